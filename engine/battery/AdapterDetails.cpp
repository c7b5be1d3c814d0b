#include "engine/battery/AdapterDetails.h"

#include "shared/Names.h"

namespace corvane {

namespace {
std::optional<plist::Value> valueFor(const plist::Dictionary* dictionary, std::string_view key) {
    if (dictionary == nullptr) return std::nullopt;
    if (const plist::Value* value = dictionary->find(key)) return *value;
    return std::nullopt;
}
}  // namespace

AdapterDetails::AdapterDetails(const plist::Dictionary* dictionary)
    : Amperage(valueFor(dictionary, battery::kAdapterAmperage)),
      Description(valueFor(dictionary, battery::kAdapterDescription)),
      FamilyCode(valueFor(dictionary, battery::kAdapterFamilyCode)),
      PMUConfiguration(valueFor(dictionary, battery::kAdapterPMUConfiguration)),
      Watts(valueFor(dictionary, battery::kAdapterWatts)) {}

}  // namespace corvane
