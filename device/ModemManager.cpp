#include "device/ModemManager.h"

#include <systemd/sd-bus.h>

namespace corvane::device {

namespace {
constexpr const char* kService = "org.freedesktop.ModemManager1";
constexpr const char* kPath = "/org/freedesktop/ModemManager1";
constexpr const char* kModem = "org.freedesktop.ModemManager1.Modem";
constexpr const char* kVoice = "org.freedesktop.ModemManager1.Modem.Voice";
constexpr const char* kCall = "org.freedesktop.ModemManager1.Call";
constexpr const char* kObjectManager = "org.freedesktop.DBus.ObjectManager";
// MMCallState and MMCallDirection.
constexpr long long kCallRingingIn = 3;
constexpr long long kCallActive = 4;
constexpr long long kCallTerminated = 7;
constexpr long long kIncoming = 1;

ModemModes modesOf(const BusValue& value) {
    if (value.items.size() != 2) return {};
    return {static_cast<std::uint32_t>(value.items[0].asInteger()),
            static_cast<std::uint32_t>(value.items[1].asInteger())};
}
}  // namespace

ModemManager::ModemManager(Bus* bus, DaemonLog& log, std::function<void()> changed)
    : BusService(bus, log, kService, "network modes, signal and calls"), changed_(std::move(changed)) {}

bool ModemManager::attach() {
    slots_.push_back(bus_->subscribe(kPath, kObjectManager, "InterfacesAdded", [this](sd_bus_message*) {
        if (modem_.empty()) findModem();
    }));
    slots_.push_back(
        bus_->subscribe(kPath, kObjectManager, "InterfacesRemoved", [this](sd_bus_message*) { findModem(); }));
    findModem();
    return true;
}

void ModemManager::detach() {
    modemWatch_.reset();
    callWatches_.clear();
    modem_.clear();
    supported_.clear();
    calls_ = CallState{};
    signal_ = 0;
    notify();
}

void ModemManager::findModem() {
    auto reply = bus_->call(kService, kPath, kObjectManager, "GetManagedObjects");
    BusValue objects;
    std::string modem;
    BusProperties modemProperties;
    if (reply && readBusValue(reply->message, objects)) {
        for (const BusValue& object : objects.items) {
            // {path: {interface: {name: value}}}
            if (object.items.size() != 2) continue;
            for (const BusValue& interface : object.items[1].items) {
                if (interface.items.size() != 2 || interface.items[0].asString() != kModem) continue;
                modem = object.items[0].asString();
                for (const BusValue& property : interface.items[1].items) {
                    if (property.items.size() != 2) continue;
                    const BusValue& variant = property.items[1];
                    modemProperties.insert_or_assign(property.items[0].asString(),
                                                     variant.items.empty() ? variant : variant.items.front());
                }
            }
            if (!modem.empty()) break;
        }
    } else {
        callFailed("GetManagedObjects");
    }
    if (modem != modem_) {
        modem_ = modem;
        modemWatch_.reset();
        callWatches_.clear();
        if (!modem.empty()) {
            modemWatch_ =
                bus_->onPropertiesChanged(modem, [this](const std::string& interface, const BusProperties& c) {
                    if (interface == kModem) {
                        readModem(c);
                        notify();
                    }
                });
            callWatches_.push_back(
                bus_->subscribe(modem_, kVoice, "CallAdded", [this](sd_bus_message*) { readCalls(); }));
            callWatches_.push_back(
                bus_->subscribe(modem_, kVoice, "CallDeleted", [this](sd_bus_message*) { readCalls(); }));
            // Each call's state changes arrive as PropertiesChanged on the call objects.
            callWatches_.push_back(bus_->subscribe("/org/freedesktop/ModemManager1/Call/",
                                                   "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                                   [this](sd_bus_message*) { readCalls(); }));
        }
    }
    supported_.clear();
    if (!modem_.empty()) readModem(modemProperties);
    readCalls();
}

void ModemManager::readModem(const BusProperties& p) {
    if (auto found = p.find("SignalQuality"); found != p.end() && !found->second.items.empty()) {
        signal_ = static_cast<int>(found->second.items[0].asInteger());
    }
    if (auto found = p.find("CurrentModes"); found != p.end()) current_ = modesOf(found->second);
    if (auto found = p.find("SupportedModes"); found != p.end()) {
        supported_.clear();
        for (const BusValue& modes : found->second.items) supported_.push_back(modesOf(modes));
    }
}

void ModemManager::readCalls() {
    calls_ = CallState{};
    if (!modem_.empty()) {
        auto list = bus_->property(kService, modem_, kVoice, "Calls");
        for (const std::string& call : list ? list->asStrings() : std::vector<std::string>{}) {
            auto properties = bus_->allProperties(kService, call, kCall);
            if (!properties) continue;
            const long long state = properties->contains("State") ? properties->at("State").asInteger() : 0;
            const long long direction = properties->contains("Direction") ? properties->at("Direction").asInteger() : 0;
            if (state == 0 || state == kCallTerminated) continue;
            calls_.inCall = true;
            if (state == kCallActive) calls_.active = true;
            if (direction == kIncoming || state == kCallRingingIn) {
                calls_.incoming = true;
            } else {
                calls_.outgoing = true;
            }
        }
    }
    notify();
}

std::optional<platform::DataRate> ModemManager::currentRate() const {
    if (modem_.empty()) return std::nullopt;
    return fastestRate(current_.allowed);
}

bool ModemManager::setRate(platform::DataRate rate) {
    if (!present() || modem_.empty()) return false;
    const std::optional<ModemModes> modes = modesForRate(supported_, rate);
    if (!modes) return false;
    if (!bus_->call(kService, modem_, kModem, "SetCurrentModes", [&](sd_bus_message* m) {
            return sd_bus_message_append(m, "(uu)", modes->allowed, modes->preferred) >= 0;
        })) {
        callFailed("SetCurrentModes");
        return false;
    }
    current_ = *modes;
    return true;
}

void ModemManager::notify() {
    if (changed_) changed_();
}

}  // namespace corvane::device
