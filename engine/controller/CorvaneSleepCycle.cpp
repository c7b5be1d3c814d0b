// The radio sleep and wake cycle: the delayed switch-off after a lock, the
// delayed switch-on after an unlock, the memorized radio states, the
// background wake-ups while the phone sleeps and the radios-off time.
#include <cmath>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/controller/Guarded.h"
#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "engine/strategies/Strategie.h"
#include "shared/SettingsCodes.h"

namespace corvane {

namespace {

// A foreground restore that finds airplane mode on is retried once after this delay.
constexpr double kAirplaneRetrySeconds = 15.0;
// Radios restored during a background wake stay on at least this long.
constexpr double kMinimumBackgroundOnSeconds = 120.0;

// The value a switch takes for an at-sleep setting of 1 (on) or 2 (off).
bool switchOnFor(RadioSetting setting) { return setting == kRadioOn; }

void stopTimer(std::shared_ptr<platform::Timer>& timer) {
    if (timer) timer->invalidate();
    timer.reset();
}

}  // namespace

void Corvane::deviceLocked() {
    edge2WiFiManager->deviceLocked();
    adaptiveLockStarted();
    asleepRadiosAsync();
}

void Corvane::deviceUnlocked() {
    edge2WiFiManager->deviceUnlocked();
    adaptiveLockEnded();
    awakeRadiosAsync();
}

void Corvane::asleepRadiosAsync() {
    if (timers_.awakeTimer) {
        // The radios are still as they were: nothing to memorize or switch.
        stopTimer(timers_.awakeTimer);
        CORVANE_DEBUG("Wake timer canceled, radios stay as they are");
        return;
    }
    if (timers_.asleepTimer || !strategy) return;
    CORVANE_DEBUG("Switching radios off in %.1f seconds", strategy->radioTimerDurationAtSleep);
    timers_.asleepTimer = platform_.mainRunLoop().scheduleTimer(strategy->radioTimerDurationAtSleep, false,
                                                                guarded([this] { asleepRadiosSync(); }));
}

void Corvane::asleepRadiosSync() {
    if (adaptiveInForce() && !adaptivePlanAtLock()) {
        // Switching off would not pay: everything stays as it is.
        timers_.asleepTimer.reset();
        return;
    }
    memorizeStates();
    switchAllOFF();
    timers_.asleepTimer.reset();
}

void Corvane::awakeRadiosAsync() {
    if (timers_.asleepTimer) {
        stopTimer(timers_.asleepTimer);
        CORVANE_DEBUG("Annulation du timer d'extinction des radios");
        return;
    }
    if (!strategy) return;
    if (!timers_.awakeTimer && strategy->enabledAllRadios) {
        CORVANE_DEBUG("Switching radios on in %.1f seconds", strategy->radioTimerDurationAtWakeup);
        timers_.awakeTimer = platform_.mainRunLoop().scheduleTimer(strategy->radioTimerDurationAtWakeup, false,
                                                                   guarded([this] { restoreStates(); }));
        return;
    }
    if (strategy->strategy == kStrategyUltimate && temporaryStrategyInForce()) {
        showUltimateWarning();
    }
}

void Corvane::restoreStates() { restoreStates(false); }

void Corvane::restoreStatesInBackground() { restoreStates(true); }

void Corvane::restoreStates(bool inBackground) {
    if (!strategy || !radiosLib) return;
    const std::shared_ptr<Strategie> inForce = strategy;  // stays alive through the restore
    const Strategie& s = *inForce;
    if (adaptiveInForce() && !adaptive_.plan) {
        // Nothing was switched off at this lock: nothing to bring back.
        stopTimer(timers_.awakeTimer);
        setLastTurnOnIsNow();
        return;
    }

    if (!s.enabledAllRadios) {
        if (s.strategy == kStrategyUltimate && temporaryStrategyInForce()) {
            showUltimateWarning();
        }
    } else {
        if (manageLowPowerMode && !shouldEnableRadio(memorized_.lowPowerModeLastState, s.lowPowerMode)) {
            radiosLib->setLowPowerModeEnabled(false);
        }

        if (radiosLib->isAirplaneModeEnabled()) {
            if (!inBackground) {
                // One retry later. The retry is kept as the pending wake timer
                // so that a lock before it fires cancels it like any wake timer.
                CORVANE_DEBUG("Airplane mode is on, restoring radios again in %.0f seconds", kAirplaneRetrySeconds);
                if (timers_.awakeTimer) timers_.awakeTimer->invalidate();
                timers_.awakeTimer = platform_.mainRunLoop().scheduleTimer(
                    kAirplaneRetrySeconds, false, guarded([this] { restoreStatesInBackground(); }));
                return;
            }
            CORVANE_DEBUG("Airplane mode is still on, radios stay as they are");
            setLastTurnOnIsNow();
            return;
        }

        if (inBackground) awokeInBackground = true;

        if (shouldEnableRadio(memorized_.locationLastState, s.location)) radiosLib->setLocationEnabled(true);
        // WiFi switched off by the verification counts as on; once it has
        // had its chance to come back, the verification below checks it again.
        const bool wifiWanted = memorized_.wifiLastState || edge2WiFiManager->wifiDisabledByMySelf();
        if (shouldEnableRadio(wifiWanted, s.wifi)) radiosLib->setWiFiEnabled(true);
        edge2WiFiManager->wifiDisabledByMySelf(false);
        if (shouldEnableRadio(memorized_.bluetoothLastState, s.bluetooth)) radiosLib->setBluetoothEnabled(true);
        if (shouldEnableRadio(memorized_.pushLastState, s.push)) radiosLib->setPushEnabled(true);

        const bool fourG = shouldEnableRadio(memorized_._3GLastState == kSpeed4G, s.fourG);
        const bool threeG = shouldEnableRadio(memorized_._3GLastState == kSpeed3G, s.threeG);
        if (fourG || threeG) {
            radiosLib->set3GState(fourG ? kSpeed4G : kSpeed3G);
        } else if (memorized_.memorizedOnce) {
            radiosLib->set3GState(kSpeed2G);
        } else {
            // Nothing memorized yet (plugged in before the first lock): the
            // speed the user has is not lowered to 2G.
            CORVANE_DEBUG("No radio states memorized yet, the speed stays as it is");
        }

        if (shouldEnableRadio(memorized_.edgeLastState || edge2WiFiManager->edgeDisabledByMySelf(), s.edge) &&
            !(adaptiveInForce() && adaptiveWiFiFirst(wifiWanted))) {
            // A refused switch (during a call) counts as switched off by the
            // manager, whose own checks then retry it.
            const bool switched = radiosLib->setEdgeEnabled(true);
            edge2WiFiManager->edgeDisabledByMySelf(!switched);
        }

        if (lastTurnOff) {
            const platform::Date now = platform_.clock().now();
            lastSavedRadioTime = std::fabs(platform::secondsBetween(*lastTurnOff, now));
            savedRadioTime += lastSavedRadioTime;
            savedRadioTimeSinceFirstUse += lastSavedRadioTime;
            lastTurnOff.reset();
            CORVANE_DEBUG("Radios were off for %.0f seconds", lastSavedRadioTime);
            persistData();
        }
        adaptiveRestored(inBackground);
        edge2WiFiManager->timerVerifyWiFiAndEdge(wifiWanted, lastTurnOn);
    }

    // A direct restore (the phone plugged in) also ends a wake timer still pending.
    stopTimer(timers_.awakeTimer);
    setLastTurnOnIsNow();
}

void Corvane::memorizeStates() {
    if (timers_.awakeTimer) {
        CORVANE_DEBUG("A wake timer is running, I do not memorize anything now !");
        return;
    }
    if (!radiosLib) return;
    memorized_.airplaneLastState = radiosLib->isAirplaneModeEnabled();
    if (memorized_.airplaneLastState) {
        CORVANE_DEBUG("Airplane mode is on, nothing memorized");
        return;
    }
    if (temporaryStrategyInForce()) {
        CORVANE_DEBUG("A temporary strategy is in force, nothing memorized");
        return;
    }
    memorized_.wifiLastState = edge2WiFiManager->wifiDisabledByMySelf() ? true : radiosLib->isWiFiEnabled();
    memorized_.edgeLastState = edge2WiFiManager->edgeDisabledByMySelf() ? true : radiosLib->isEdgeEnabled();
    memorized_._3GLastState = radiosLib->get3GState();
    memorized_.bluetoothLastState = radiosLib->isBluetoothEnabled();
    memorized_.locationLastState = radiosLib->isLocationEnabled();
    memorized_.pushLastState = radiosLib->isPushEnabled();
    memorized_.lowPowerModeLastState = radiosLib->isLowPowerModeEnabled();
    memorized_.memorizedOnce = true;
    CORVANE_DEBUG("Memorized: WiFi %d, Edge %d, speed %s, Bluetooth %d, Location %d, Push %d, LowPowerMode %d",
                  memorized_.wifiLastState, memorized_.edgeLastState,
                  networkSpeedToString(memorized_._3GLastState).c_str(), memorized_.bluetoothLastState,
                  memorized_.locationLastState, memorized_.pushLastState, memorized_.lowPowerModeLastState);
}

void Corvane::switchAllOFF() {
    if (!strategy || !radiosLib) return;
    // Adaptive leaves the radios to the application and may still switch the low-power mode.
    const bool keptByApplication = isAnApplicationStreaming();
    if (keptByApplication && !adaptiveActsWhileKept()) {
        CORVANE_DEBUG("Switching all radios off cancel because an application is streaming");
        return;
    }
    const std::shared_ptr<Strategie> inForce = strategy;
    // Adaptive switches off only the radios its plan names.
    const Strategie s = adaptiveInForce() ? adaptiveAtSleep(*inForce, keptByApplication) : Strategie(*inForce);
    if (!inForce->canTurnOFFRadios()) return;
    if (radiosLib->isTethering()) {
        CORVANE_DEBUG("Switching all radios off canceled because we are tethered");
        return;
    }

    const bool carModeOnAC = onAC && CommonToAllStrategies::sharedInstance().carMode();

    if (manageLowPowerMode && s.lowPowerModeAtSleep != kRadioAuto) {
        radiosLib->setLowPowerModeEnabled(switchOnFor(s.lowPowerModeAtSleep));
    }
    if (s.wifiAtSleep != kRadioAuto) radiosLib->setWiFiEnabled(switchOnFor(s.wifiAtSleep));

    NetworkSpeed floor = kSpeedNoChange;
    if (s.edgeAtSleep != kRadioAuto) {
        radiosLib->setEdgeEnabled(switchOnFor(s.edgeAtSleep));
        if (s.edgeAtSleep == kRadioOn) floor = kSpeed2G;
        if (s.edgeAtSleep == kRadioOff) floor = kSpeedGSM;
    }

    if (s.locationAtSleep != kRadioAuto) {
        if (carModeOnAC) {
            CORVANE_DEBUG("Car mode detected, not switching Location OFF");
        } else {
            radiosLib->setLocationEnabled(switchOnFor(s.locationAtSleep));
        }
    }
    if (s.pushAtSleep != kRadioAuto) radiosLib->setPushEnabled(switchOnFor(s.pushAtSleep));
    if (s.bluetoothAtSleep != kRadioAuto) {
        if (carModeOnAC) {
            CORVANE_DEBUG("Car mode detected, not switching BT OFF");
        } else {
            radiosLib->setBluetoothEnabled(switchOnFor(s.bluetoothAtSleep));
        }
    }

    // With cellular data switched off (or left alone) no speed is set.
    if (floor != kSpeedGSM && !(floor == kSpeedNoChange && adaptiveInForce())) {
        NetworkSpeed speed = floor;
        if (s.fourGAtSleep == kRadioOn) {
            speed = kSpeed4G;
        } else if (s.threeGAtSleep == kRadioOn) {
            speed = kSpeed3G;
        }
        radiosLib->set3GState(speed);
    }

    // A second switch-off without a switch-on in between keeps the first date;
    // the low-power mode alone is no radio off.
    if (!lastTurnOff && !keptByApplication) lastTurnOff = platform_.clock().now();
    adaptiveSwitchedOff();
}

void Corvane::setLastTurnOnIsNow() { lastTurnOn = platform_.clock().now(); }

bool Corvane::shouldIWakeRadiosNow() {
    if (!strategy || !strategy->enabledAllRadiosInBackground) return false;
    // Adaptive's syncs come with the wake-up they ride on.
    if (adaptiveInForce()) return adaptiveShouldWakeRadiosNow();
    const double elapsed = lastTurnOff ? platform::secondsBetween(*lastTurnOff, platform_.clock().now()) : 0.0;
    return elapsed > strategy->wakeIntervalMinutes * 60.0;
}

void Corvane::awakeRadiosBackground() {
    if (awokeInBackground || !strategy || !strategy->enabledAllRadiosInBackground || timers_.awakeTimer ||
        timers_.asleepTimer) {
        return;
    }
    CORVANE_DEBUG("Waking radios in background");
    restoreStates(true);
    lastRestoreInBackground = platform_.clock().now();
}

bool Corvane::switchAllOffInBackground() {
    if (!awokeInBackground) return true;
    if (!strategy || !strategy->enabledAllRadiosInBackground || timers_.awakeTimer || timers_.asleepTimer) return true;
    if (lastRestoreInBackground &&
        platform::secondsBetween(*lastRestoreInBackground, platform_.clock().now()) < kMinimumBackgroundOnSeconds) {
        CORVANE_DEBUG("switchAllOffInBackground canceled since last restore less than 120 seconds");
        return false;
    }
    switchAllOFF();
    awokeInBackground = false;
    return true;
}

void Corvane::wakeRadiosInBackgroundIfNeeded() {
    if (!isScreenDimmed()) {
        awakeRadiosBackground();
    } else if (shouldIWakeRadiosNow()) {
        awakeRadiosBackground();
    } else {
        CORVANE_DEBUG("Wake radios in background canceled since not enough elapsed time");
    }
}

bool Corvane::isScreenDimmed() {
    platform::Object* lockScreenManager = homeScreen_.sharedLockScreenManager();
    if (lockScreenManager == nullptr) {
        CORVANE_DEBUG("Cannot wake radios in backgroud since lockScreenManager is nil");
        return false;
    }
    platform::Object* controller = homeScreen_.lockScreenViewController(lockScreenManager);
    if (controller == nullptr) {
        CORVANE_DEBUG("Cannot wake radios in backgroud since lockScreenViewController is nil");
        return false;
    }
    return homeScreen_.isInScreenOffMode(controller);
}

bool Corvane::isDimmed() {
    platform::Object* awayController = homeScreen_.sharedAwayController();
    return awayController != nullptr && homeScreen_.isDimmed(awayController);
}

}  // namespace corvane
