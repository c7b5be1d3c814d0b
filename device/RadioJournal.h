#pragma once
// The radio states the daemon found before it first switched each radio,
// kept in a property-list file under the root so that they can be put back
// at a clean stop and, after a crash or power loss, at the next start. Each
// radio is noted (and the file rewritten) before the switch is made.

#include <filesystem>
#include <string>
#include <string_view>

#include "shared/PropertyList.h"

namespace corvane::device {

// The file, resolved under the root.
inline constexpr std::string_view kRadioJournalFile =
    "/private/var/mobile/Library/Preferences/org.fernhill.corvaned-radios.plist";

class RadioJournal {
public:
    explicit RadioJournal(std::filesystem::path file) : file_(std::move(file)) {}

    const std::filesystem::path& file() const { return file_; }

    // Notes `found` as the state to put back for `radio`, unless the radio is
    // noted already (the first state found is the one to restore). NO when the
    // file cannot be written: the switch must then not be made.
    bool noteBeforeSwitch(std::string_view radio, const plist::Value& found, std::string* whyNot = nullptr);

    // The radios to put back and their states; empty when none is noted. A
    // malformed file counts as empty.
    plist::Dictionary pending() const;
    bool exists() const;
    // Forgets everything (the radios are back).
    void clear();

private:
    std::filesystem::path file_;
};

}  // namespace corvane::device
