#include "app/platform/SimulatedPhoneDevice.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <map>

#include "app/model/AppLog.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PhoneInfo.h"
#include "shared/PropertyListFile.h"

namespace corvane::app {

namespace {

std::string fieldText(const char* field) { return std::string(field, ::strnlen(field, _UTSNAME_LENGTH)); }

// A plain number counts for a real or an integer entry alike.
bool hasKind(const plist::Value& value, plist::Value::Kind kind) {
    if (kind == plist::Value::Kind::Real || kind == plist::Value::Kind::Integer)
        return value.isInteger() || value.isReal();
    return value.kind() == kind;
}

}  // namespace

std::optional<plist::Dictionary> SimulatedPhoneDevice::deviceFile() {
    try {
        const std::filesystem::path path = paths::resolve(paths::kSimulatedDevice);
        std::optional<plist::Dictionary> file = plist::readDictionary(path);
        if (!file) AMPWISE_LOG("Device file missing or malformed : %s", path.c_str());
        return file;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<plist::Value> SimulatedPhoneDevice::deviceEntry(std::string_view key, plist::Value::Kind kind) {
    const std::optional<plist::Dictionary> file = deviceFile();
    return file ? entry(*file, key, kind) : std::nullopt;
}

std::optional<plist::Value> SimulatedPhoneDevice::entry(const plist::Dictionary& file, std::string_view key,
                                                        plist::Value::Kind kind) {
    const plist::Value* value = file.find(key);
    if (value == nullptr) return std::nullopt;
    if (!hasKind(*value, kind)) {
        AMPWISE_LOG("Device file entry %.*s has the wrong type", static_cast<int>(key.size()), key.data());
        return std::nullopt;
    }
    return *value;
}

KernelIdentification SimulatedPhoneDevice::uname() const {
    KernelIdentification identification;
    try {
        struct utsname system {};
        if (::uname(&system) == 0) {
            identification.sysname = fieldText(system.sysname);
            identification.nodename = fieldText(system.nodename);
            identification.release = fieldText(system.release);
            identification.version = fieldText(system.version);
            identification.machine = fieldText(system.machine);
        }
        if (const std::optional<PhoneInfo> phone = PhoneInfo::read()) {
            identification.sysname = phone->sysname;
            identification.nodename = phone->nodename;
            identification.release = phone->release;
            identification.version = phone->version;
        }
        if (auto machine = deviceEntry(simdevice::kMachine, plist::Value::Kind::String))
            identification.machine = *machine->asString();
    } catch (...) {
    }
    return identification;
}

std::string SimulatedPhoneDevice::systemVersion() const {
    try {
        const std::filesystem::path path = paths::resolve(paths::kSystemVersion);
        if (auto file = plist::readDictionary(path)) {
            const plist::Value* version = file->find(systemversion::kProductVersion);
            if (version != nullptr && version->isString()) return *version->asString();
        }
        AMPWISE_LOG("No product version in %s, asking the device file", path.c_str());
        if (auto version = deviceEntry(simdevice::kSystemVersion, plist::Value::Kind::String))
            return *version->asString();
    } catch (...) {
    }
    return {};
}

double SimulatedPhoneDevice::coreFoundationVersionNumber() const {
    const auto number = deviceEntry(simdevice::kCoreFoundationVersionNumber, plist::Value::Kind::Real);
    return number ? number->doubleValue() : 0.0;
}

int SimulatedPhoneDevice::userInterfaceIdiom() const {
    const auto idiom = deviceEntry(simdevice::kUserInterfaceIdiom, plist::Value::Kind::Integer);
    return idiom ? idiom->intValue() : 0;
}

bool SimulatedPhoneDevice::classRespondsToClassOperation(std::string_view className, std::string_view operation) const {
    if (className != deviceinfo::kLowPowerModeSettingsClass || operation != deviceinfo::kLowPowerModeEnabledOperation)
        return false;
    const auto available = deviceEntry(simdevice::kLowPowerModeAvailable, plist::Value::Kind::Boolean);
    return available && *available->asBoolean();
}

std::optional<std::function<bool(std::string_view)>> SimulatedPhoneDevice::loadCapabilityFunction() {
    try {
        const auto table = deviceEntry(simdevice::kCapabilities, plist::Value::Kind::Dictionary);
        if (!table) return std::nullopt;
        std::map<std::string, bool, std::less<>> answers;
        for (const auto& [name, answer] : *table->asDictionary()) answers[name] = answer.boolValue();
        return std::function<bool(std::string_view)>([answers = std::move(answers)](std::string_view name) {
            const auto found = answers.find(name);
            return found != answers.end() && found->second;
        });
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<std::string>> SimulatedPhoneDevice::copySupportedDataRates() {
    try {
        // One reading for both entries, so that they come from the same file.
        const std::optional<plist::Dictionary> file = deviceFile();
        if (!file) return std::nullopt;
        const auto reachable = entry(*file, simdevice::kTelephonyServerReachable, plist::Value::Kind::Boolean);
        if (!reachable || !*reachable->asBoolean()) return std::nullopt;
        std::vector<std::string> rates;
        if (const auto list = entry(*file, simdevice::kSupportedDataRates, plist::Value::Kind::Array)) {
            for (const plist::Value& rate : *list->asArray()) {
                if (rate.isString()) rates.push_back(*rate.asString());
            }
        }
        return rates;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::string> SimulatedPhoneDevice::hostName() const {
    try {
        if (const std::optional<PhoneInfo> phone = PhoneInfo::read(); phone && !phone->nodename.empty())
            return phone->nodename;
        char buffer[HOST_NAME_MAX + 1] = {};
        if (::gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0') return std::nullopt;
        return std::string(buffer);
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace corvane::app
