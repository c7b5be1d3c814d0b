#include "device/RadioJournal.h"

#include "shared/PropertyListFile.h"

namespace corvane::device {

bool RadioJournal::noteBeforeSwitch(std::string_view radio, const plist::Value& found, std::string* whyNot) {
    plist::Dictionary noted = pending();
    if (noted.contains(radio)) return true;
    noted.set(radio, found);
    std::error_code error;
    std::filesystem::create_directories(file_.parent_path(), error);
    const Outcome written = plist::writeFile(file_, plist::Value(std::move(noted)));
    if (!written && whyNot != nullptr) *whyNot = written.message();
    return static_cast<bool>(written);
}

plist::Dictionary RadioJournal::pending() const { return plist::readDictionary(file_).value_or(plist::Dictionary{}); }

bool RadioJournal::exists() const {
    std::error_code error;
    return std::filesystem::exists(file_, error);
}

void RadioJournal::clear() {
    std::error_code error;
    std::filesystem::remove(file_, error);
}

}  // namespace corvane::device
