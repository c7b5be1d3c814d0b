#include "engine/edgewifi/Edge2WiFiManager.h"

#include "engine/controller/DebugLog.h"
#include "engine/controller/Guarded.h"
#include "engine/platform/HomeScreen.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "engine/strategies/Strategie.h"
#include "shared/Names.h"
#include "shared/SettingsCodes.h"

namespace corvane {

namespace {

constexpr double kVerificationDelaySeconds = 5.0;
// A verification this soon after the wake-up has nothing to verify yet.
constexpr double kMinimumAwakeSeconds = 4.5;
constexpr int kAssociationPauses = 10;
constexpr double kAssociationPauseSeconds = 1.0;

double sinceReferenceDate(platform::Date date) { return date.secondsSince1970 - plist::kSecondsFrom1970To2001; }

const char* onOff(bool enabled) { return enabled ? "ON" : "OFF"; }

}  // namespace

Edge2WiFiManager::Edge2WiFiManager(platform::Platform& platform) : platform_(platform) {}

Edge2WiFiManager::~Edge2WiFiManager() {
    // Only tests destroy a manager; the engine's one lives until the process
    // ends. A verification still running reads this object, so wait for it
    // (it pauses ten seconds at most).
    for (const std::shared_ptr<platform::Timer>& timer : verificationTimers_) timer->invalidate();
    std::unique_lock guard(gate_->mutex);
    gate_->open = false;
    gate_->finished.wait(guard, [this] { return gate_->running == 0; });
}

void Edge2WiFiManager::setRadioLib(RadiosLib* radiosLib) { radioLib.store(radiosLib); }

void Edge2WiFiManager::strategyDidChanged(std::shared_ptr<const Strategie> strategy) {
    std::lock_guard guard(stateMutex_);
    followsWiFi_.store(strategy && strategy->enabledEdgeOffOnWifi);
    currentStrategy = std::move(strategy);
}

std::shared_ptr<const Strategie> Edge2WiFiManager::currentStrategyNow() const {
    std::lock_guard guard(stateMutex_);
    return currentStrategy;
}

// ---- Signal and lock events ---------------------------------------------------------

bool Edge2WiFiManager::followsWiFi() const { return followsWiFi_.load(); }

void Edge2WiFiManager::wifiConnected() {
    std::shared_ptr<const Strategie> strategy = currentStrategyNow();
    if (strategy && strategy->enabledEdgeOffOnWifi) switchEdge(false);
}

void Edge2WiFiManager::wifiDisconnected() {
    std::shared_ptr<const Strategie> strategy = currentStrategyNow();
    if (strategy && strategy->enabledEdgeOffOnWifi) switchEdge(true);
}

void Edge2WiFiManager::deviceLocked() { deviceLocked_.store(0); }

void Edge2WiFiManager::deviceUnlocked() { deviceLocked_.store(1); }

void Edge2WiFiManager::switchEdge(bool enabled) {
    std::shared_ptr<const Strategie> strategy = currentStrategyNow();
    if (!strategy) {
        CORVANE_DEBUG("switchEdge to %s canceled since currentStrategy is nil", onOff(enabled));
        return;
    }
    if (enabled && deviceLocked_.load() == 0 && strategy->edgeAtSleep != kRadioOn) {
        CORVANE_DEBUG("Do not turn Edge ON since device is locked and EdgeAtSleep not forcing it to ON");
        return;
    }
    RadiosLib* radios = radioLib.load();
    if (radios == nullptr) {
        CORVANE_DEBUG("switchEdge to %s canceled since there is no radio gateway yet", onOff(enabled));
        return;
    }
    radios->setEdgeEnabled(enabled);
}

void Edge2WiFiManager::switchWiFi(bool enabled) {
    RadiosLib* radios = radioLib.load();
    if (radios == nullptr) {
        CORVANE_DEBUG("switchWiFi to %s canceled since there is no radio gateway yet", onOff(enabled));
        return;
    }
    radios->setWiFiEnabled(enabled);
}

// ---- AC power (car mode) ------------------------------------------------------------

void Edge2WiFiManager::ACPowerChanged(bool onAC) {
    if (!CommonToAllStrategies::sharedInstance().carMode()) {
        CORVANE_DEBUG("Car mode is OFF, no BT/Location management on AC change");
        return;
    }
    RadiosLib* radios = radioLib.load();
    if (radios == nullptr) {
        CORVANE_DEBUG("Car mode is ON, but there is no radio gateway yet : no BT management on AC change");
        return;
    }
    if (radios->isAirplaneModeEnabled()) {
        CORVANE_DEBUG("Car mode is ON, but Airplane mode is also ON : no BT management on AC change");
        return;
    }
    if (onAC) {
        radios->setBluetoothEnabled(true);
        radios->setLocationEnabled(true);
        return;
    }
    std::shared_ptr<const Strategie> strategy = currentStrategyNow();
    if (!strategy) {
        CORVANE_DEBUG("Car mode is ON, but there is no strategy : no BT/Location management on AC change");
        return;
    }
    if (strategy->bluetoothAtSleep == kRadioOn) {
        CORVANE_DEBUG("do not turn off BT in car mode when AC lost because BT At sleep is ON");
    } else {
        radios->setBluetoothEnabled(false);
    }
    if (strategy->locationAtSleep == kRadioOn) {
        CORVANE_DEBUG("do not turn off Location in car mode when AC lost because Location At sleep is ON");
    } else {
        radios->setLocationEnabled(false);
    }
}

// ---- Persistence ------------------------------------------------------------------

void Edge2WiFiManager::reloadStates(const plist::Dictionary& dictionary) {
    const plist::Value* edge = dictionary.find(statistics::kEdgeDisabledByMyself);
    const plist::Value* wifi = dictionary.find(statistics::kWifiDisabledByMySelf);
    edgeDisabledByMySelf_.store(edge != nullptr && edge->boolValue());
    wifiDisabledByMySelf_.store(wifi != nullptr && wifi->boolValue());
}

void Edge2WiFiManager::persistData(plist::Dictionary& dictionary) const {
    dictionary.set(statistics::kEdgeDisabledByMyself, plist::Value(edgeDisabledByMySelf_.load()));
    dictionary.set(statistics::kWifiDisabledByMySelf, plist::Value(wifiDisabledByMySelf_.load()));
}

bool Edge2WiFiManager::wifiDisabledByMySelf() const { return wifiDisabledByMySelf_.load(); }

bool Edge2WiFiManager::edgeDisabledByMySelf() const { return edgeDisabledByMySelf_.load(); }

void Edge2WiFiManager::edgeDisabledByMySelf(bool disabled) { edgeDisabledByMySelf_.store(disabled); }

void Edge2WiFiManager::setFlagsChangedHandler(std::function<void()> handler) { flagsChanged_ = std::move(handler); }

void Edge2WiFiManager::wifiDisabledByMySelf(bool disabled) {
    if (wifiDisabledByMySelf_.exchange(disabled) == disabled || !flagsChanged_) return;
    // Called from a verification thread too: the handler runs on the main
    // thread, and not at all once the manager is gone.
    platform_.mainRunLoop().dispatchToMain([this, gate = gate_] {
        {
            std::lock_guard guard(gate->mutex);
            if (!gate->open) return;
        }
        guarded(flagsChanged_)();
    });
}

// ---- Verification -------------------------------------------------------------------

void Edge2WiFiManager::timerVerifyWiFiAndEdge(bool wifiState, platform::Date turnedOnAt) {
    wifiLastState.store(wifiState);
    lastTurnOn.store(sinceReferenceDate(turnedOnAt));
    std::erase_if(verificationTimers_, [](const std::shared_ptr<platform::Timer>& timer) { return !timer->isValid(); });
    verificationTimers_.push_back(platform_.mainRunLoop().scheduleTimer(kVerificationDelaySeconds, false,
                                                                        guarded([this] { timerVerifyWiFiAndEdge(); })));
}

void Edge2WiFiManager::timerVerifyWiFiAndEdge() {
    platform_.threads().detachNewThread([this, gate = gate_] {
        {
            std::lock_guard guard(gate->mutex);
            if (!gate->open) return;
            ++gate->running;
        }
        // The count must come down whatever the verification does.
        guarded([this] { timerVerifyWiFiAndEdgeImpl(); })();
        std::lock_guard guard(gate->mutex);
        --gate->running;
        gate->finished.notify_all();
    });
}

void Edge2WiFiManager::timerVerifyWiFiAndEdgeImpl() {
    RadiosLib* radios = radioLib.load();
    if (radios == nullptr) {
        CORVANE_DEBUG("Timer verify WiFi is still connected canceled because there is no radio gateway yet");
        return;
    }
    if (radios->isAirplaneModeEnabled()) {
        CORVANE_DEBUG("Timer verify WiFi is still connected canceled because we are in airplane mode");
        return;
    }
    std::shared_ptr<const Strategie> strategy = currentStrategyNow();
    if (!strategy) {
        CORVANE_DEBUG("Timer verify WiFi is still connected canceled since currentStrategy is nil");
        return;
    }
    if (!strategy->enabledEdgeOffOnWifi) {
        CORVANE_DEBUG("enabledEdgeOffOnWifi is NO : no WiFi/Edge management");
        return;
    }
    std::lock_guard guard(lock_);
    verifyUnderLock(*radios);
}

void Edge2WiFiManager::verifyUnderLock(RadiosLib& radios) {
    const double awakeSeconds = sinceReferenceDate(platform_.clock().now()) - lastTurnOn.load();
    if (awakeSeconds < kMinimumAwakeSeconds) {
        CORVANE_DEBUG("Timer action canceled since mobile woke up for less than 4.5 seconds");
        return;
    }
    if (!wifiLastState.load() && !wifiDisabledByMySelf_.load()) {
        CORVANE_DEBUG("Timer verify WiFi is still connected disabled since wifi was not enabled");
        return;
    }
    platform::HomeScreen homeScreen(platform_.runtime());
    platform::Object* wifiManager = homeScreen.sharedWiFiManager();
    if (radios.isWiFiEnabled()) {
        if (homeScreen.isAssociated(wifiManager)) return;
        if (waitForAssociation(wifiManager)) return;
        CORVANE_DEBUG("WiFi is ON but no network is visible : turn OFF WiFi and turn ON Edge");
        switchWiFi(false);
        // Off for want of a network, not by the user's choice: it counts as
        // on when the radios are memorized, so it comes back at the wake-up.
        wifiDisabledByMySelf(true);
        switchEdge(true);
        return;
    }
    CORVANE_DEBUG("WiFi should be ON but is OFF : try to connect to WiFi");
    switchWiFi(true);
    if (waitForAssociation(wifiManager)) {
        CORVANE_DEBUG("We got a network : we should turn Edge OFF");
        wifiDisabledByMySelf(false);
        switchEdge(false);
    } else {
        CORVANE_DEBUG("We did not got a network : turn WiFi back OFF");
        switchWiFi(false);
        wifiDisabledByMySelf(true);
        switchEdge(true);
    }
}

bool Edge2WiFiManager::waitForAssociation(platform::Object* wifiManager) {
    platform::HomeScreen homeScreen(platform_.runtime());
    int pauses = 0;
    while (!homeScreen.isAssociated(wifiManager) && pauses < kAssociationPauses) {
        platform_.threads().sleepSeconds(kAssociationPauseSeconds);
        ++pauses;
    }
    return homeScreen.isAssociated(wifiManager);
}

}  // namespace corvane
