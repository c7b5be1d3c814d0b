#pragma once
// The record of the adapter dictionary nested in the battery properties
// dictionary: each field holds the value found under its key, unconverted,
// or none when the key is absent.

#include <optional>

#include "shared/PropertyList.h"

namespace corvane {

class AdapterDetails {
public:
    // Without a dictionary every field is none.
    explicit AdapterDetails(const plist::Dictionary* dictionary);

    std::optional<plist::Value> Amperage;
    std::optional<plist::Value> Description;
    std::optional<plist::Value> FamilyCode;
    std::optional<plist::Value> PMUConfiguration;
    std::optional<plist::Value> Watts;
};

}  // namespace corvane
