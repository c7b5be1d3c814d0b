#pragma once
// A fresh filesystem root for one simulated phone, laid out before start-up:
// the system's own files (its version, the phone's description of itself,
// the push preferences) and the scenario's settings file and application
// lists, all where the phone keeps them. A root that phonesim laid out
// before carries a marker file and is emptied; any other non-empty folder is
// refused, so that no user data is ever removed.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "sim/Scenario.h"

namespace corvane::sim {

class PhoneLayout {
public:
    // The marker file at the top of every folder phonesim lays out.
    static constexpr const char* kMarker = ".phonesim-root";

    // Makes `root` an empty folder carrying the marker. Answers the reason
    // when it cannot.
    static std::optional<std::string> prepareRoot(const std::filesystem::path& root);

    // Writes the files under the current root (CORVANE_ROOT). With a
    // strategy, the settings file chooses it whatever the scenario says.
    static std::optional<std::string> writeFiles(const Scenario& scenario, std::optional<std::int32_t> strategy);
};

}  // namespace corvane::sim
