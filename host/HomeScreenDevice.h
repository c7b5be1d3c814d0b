#pragma once
// What the home-screen objects answer about the device they run on: the
// WiFi manager's, lock screen's, UI controller's and telephony manager's
// facts, kept by the device (simulated or real) under its own lock.

#include <functional>
#include <optional>
#include <string>
#include <type_traits>

namespace corvane::host {

struct HomeScreenFacts {
    // WiFi (the home screen's WiFi manager).
    bool wifiPowered = true;
    bool wifiEnabled = true;
    bool wifiAssociated = false;
    std::optional<std::string> wifiNetwork;
    int wifiBars = 0;

    // The home screen's telephony manager; every answer is NO when absent.
    bool telephonyManagerPresent = true;
    bool airplaneMode = false;
    bool inCall = false;
    bool outgoingCall = false;
    bool incomingCall = false;
    bool activeCall = false;
    bool tethering = false;

    // Power and screen.
    bool onAC = false;
    bool screenOff = false;
    bool uiLocked = false;
    bool dimmed = false;  // the older away controller's answer
};

class HomeScreenDevice {
public:
    virtual ~HomeScreenDevice() = default;
    // Runs `change` on the facts under the device's lock.
    virtual void withFacts(const std::function<void(HomeScreenFacts&)>& change) = 0;
    // The WiFi manager's switch.
    virtual void setWiFiEnabled(bool enabled) = 0;
    // The system version decides which screen-off method the lock screen has.
    virtual std::string systemVersion() = 0;

    // Runs `read` on the facts under the device's lock and answers its result.
    template <class Fn>
    auto withState(Fn&& read) {
        using Result = std::invoke_result_t<Fn&, HomeScreenFacts&>;
        if constexpr (std::is_void_v<Result>) {
            withFacts([&](HomeScreenFacts& facts) { read(facts); });
        } else {
            std::optional<Result> result;
            withFacts([&](HomeScreenFacts& facts) { result.emplace(read(facts)); });
            return std::move(*result);
        }
    }
};

}  // namespace corvane::host
