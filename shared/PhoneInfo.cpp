#include "shared/PhoneInfo.h"

#include <cmath>

#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane {

namespace {

constexpr const char* kTime = "time";
constexpr const char* kHostTime = "hostTime";
constexpr const char* kRate = "rate";
constexpr const char* kSysname = "sysname";
constexpr const char* kNodename = "nodename";
constexpr const char* kRelease = "release";
constexpr const char* kVersion = "version";

std::optional<double> number(const plist::Dictionary& file, std::string_view key) {
    const plist::Value* value = file.find(key);
    if (value == nullptr || !(value->isInteger() || value->isReal())) return std::nullopt;
    const double read = value->doubleValue();
    return std::isfinite(read) ? std::optional(read) : std::nullopt;
}

std::string text(const plist::Dictionary& file, std::string_view key) {
    const plist::Value* value = file.find(key);
    return value != nullptr && value->isString() ? *value->asString() : std::string();
}

}  // namespace

std::optional<PhoneInfo> PhoneInfo::read() {
    try {
        const std::optional<plist::Dictionary> file = plist::readDictionary(paths::resolve(paths::kPhoneInfo));
        if (!file) return std::nullopt;
        const std::optional<double> time = number(*file, kTime);
        if (!time) return std::nullopt;
        PhoneInfo info;
        info.time = *time;
        info.hostTime = number(*file, kHostTime).value_or(0.0);
        info.rate = number(*file, kRate).value_or(0.0);
        info.sysname = text(*file, kSysname);
        info.nodename = text(*file, kNodename);
        info.release = text(*file, kRelease);
        info.version = text(*file, kVersion);
        return info;
    } catch (...) {
        return std::nullopt;
    }
}

Outcome PhoneInfo::write() const {
    return plist::writeFile(paths::resolve(paths::kPhoneInfo), plist::Value(plist::Dictionary{{kTime, time},
                                                                                              {kHostTime, hostTime},
                                                                                              {kRate, rate},
                                                                                              {kSysname, sysname},
                                                                                              {kNodename, nodename},
                                                                                              {kRelease, release},
                                                                                              {kVersion, version}}));
}

}  // namespace corvane
