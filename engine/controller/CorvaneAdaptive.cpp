// The Adaptive strategy in the cycle: at a lock it switches off only what the
// device's figures say will pay over the time the user's own locks say the
// phone will stay locked; it decides again before the phone sleeps; its
// background syncs ride on other applications' wake-ups; at a restore on a
// known WiFi network WiFi comes first; and it records what it saved.
#include <algorithm>
#include <cmath>
#include <set>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/controller/Guarded.h"
#include "engine/controller/ScheduledWakeEvent.h"
#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "engine/strategies/EnergyCostTable.h"
#include "shared/Names.h"
#include "shared/Paths.h"

namespace corvane {

namespace {

// After a WiFi-first restore, cellular data comes back if WiFi has not
// associated within this time.
constexpr double kWiFiFirstSeconds = 5.0;
// A sync wake-up counts as come within this of its time.
constexpr double kSyncSlackSeconds = 1.0;
// Decision wake-ups come no sooner than this after the phone sleeps.
constexpr double kShortestDecisionWait = 60.0;

double joules(double milliwatts, double seconds) { return milliwatts * seconds / 1000.0; }

}  // namespace

bool Corvane::adaptiveInForce() const { return strategy && strategy->strategy == kStrategyAdaptive; }

const StrategyAdaptive* Corvane::adaptiveStrategy() const {
    return adaptiveInForce() ? dynamic_cast<const StrategyAdaptive*>(strategy.get()) : nullptr;
}

AdaptiveRecords& Corvane::adaptiveRecords() {
    if (!adaptive_.records) adaptive_.records = AdaptiveRecords::load(paths::resolve(paths::kAdaptiveRecords));
    return *adaptive_.records;
}

void Corvane::saveAdaptiveRecords() {
    if (!adaptiveRecords().save(paths::resolve(paths::kAdaptiveRecords))) {
        CORVANE_DEBUG("Adaptive records COULD NOT be saved");
    }
}

platform::DeviceEnergyCosts Corvane::energyCosts() {
    return EnergyCostTable::load(platform_.energyCosts(), paths::resolve(paths::kEnergyCosts));
}

StrategyAdaptive::Radios Corvane::radiosNow() {
    StrategyAdaptive::Radios radios;
    if (!radiosLib) return radios;
    radios.wifi = radiosLib->isWiFiEnabled();
    platform::Object* wifiManager = homeScreen_.sharedWiFiManager();
    radios.wifiAssociated = radios.wifi && wifiManager != nullptr && homeScreen_.isAssociated(wifiManager);
    radios.cellularData = radiosLib->isEdgeEnabled();
    radios.bluetooth = radiosLib->isBluetoothEnabled();
    radios.bluetoothConnected = radios.bluetooth && platform_.bluetooth().connected();
    radios.location = radiosLib->isLocationEnabled();
    radios.keptByApplication = isAnApplicationStreaming();
    return radios;
}

// ---- Locks ------------------------------------------------------------------------------

void Corvane::adaptiveLockStarted() {
    if (!baseStrategy || baseStrategy->strategy != kStrategyAdaptive || adaptive_.lockedAt) return;
    adaptive_.lockedAt = platform_.clock().now();
}

void Corvane::adaptiveLockEnded() {
    if (!adaptive_.lockedAt) return;
    const platform::Date start = *adaptive_.lockedAt;
    adaptive_.lockedAt.reset();
    adaptiveRecords().addLock(start.secondsSince1970, platform::secondsBetween(start, platform_.clock().now()));
    saveAdaptiveRecords();
}

bool Corvane::adaptivePlanAtLock() {
    const StrategyAdaptive* adaptive = adaptiveStrategy();
    if (adaptive == nullptr || onAC || !adaptive_.lockedAt) {
        CORVANE_DEBUG("Adaptive: nothing to decide (on AC or not locked), radios stay on");
        return false;
    }
    const double lockedFor = platform::secondsBetween(*adaptive_.lockedAt, platform_.clock().now());
    const double expected = adaptiveRecords().expectedRemaining(adaptive_.lockedAt->secondsSince1970, lockedFor);
    const StrategyAdaptive::Radios radios = radiosNow();
    const StrategyAdaptive::Plan plan = adaptive->planFor(energyCosts(), radios, expected);
    CORVANE_DEBUG(
        "Adaptive: locked %.0f s, %.0f s more expected: WiFi %d, cellular data %d, Bluetooth %d, "
        "location %d off, low-power mode %d on, %.1f J expected",
        lockedFor, expected, plan.wifi, plan.cellularData, plan.bluetooth, plan.location, plan.lowPowerMode,
        plan.netJoules);
    if (!plan.any()) return false;
    adaptive_.radiosAtLock = radios;
    adaptive_.plan = plan;
    return true;
}

void Corvane::adaptiveRecheck() {
    if (!adaptiveInForce() || !adaptive_.lockedAt || awokeInBackground || timers_.awakeTimer || timers_.asleepTimer ||
        !isScreenDimmed()) {
        return;
    }
    const std::optional<StrategyAdaptive::Plan> before = adaptive_.plan;
    if (!adaptivePlanAtLock()) {
        adaptive_.plan = before;
        return;
    }
    StrategyAdaptive::Plan more = *adaptive_.plan;
    if (before) {
        // Radios switched off earlier stay in the plan; their memorized
        // states from that switch-off stay too.
        more.wifi = more.wifi || before->wifi;
        more.cellularData = more.cellularData || before->cellularData;
        more.bluetooth = more.bluetooth || before->bluetooth;
        more.location = more.location || before->location;
        more.lowPowerMode = more.lowPowerMode || before->lowPowerMode;
        more.netJoules += before->netJoules;
        adaptive_.radiosAtLock = StrategyAdaptive::Radios{adaptive_.radiosAtLock.wifi || before->wifi,
                                                          adaptive_.radiosAtLock.wifiAssociated,
                                                          adaptive_.radiosAtLock.cellularData || before->cellularData,
                                                          adaptive_.radiosAtLock.bluetooth || before->bluetooth,
                                                          adaptive_.radiosAtLock.bluetoothConnected,
                                                          adaptive_.radiosAtLock.location || before->location};
    } else {
        memorizeStates();
    }
    adaptive_.plan = more;
    switchAllOFF();
}

Strategie Corvane::adaptiveAtSleep(const Strategie& s, bool keptByApplication) const {
    Strategie narrowed = s;
    const StrategyAdaptive::Plan plan = adaptive_.plan.value_or(StrategyAdaptive::Plan{});
    if (!plan.wifi || keptByApplication) narrowed.wifiAtSleep = kRadioAuto;
    if (!plan.cellularData || keptByApplication) narrowed.edgeAtSleep = kRadioAuto;
    if (!plan.bluetooth || keptByApplication) narrowed.bluetoothAtSleep = kRadioAuto;
    if (!plan.location || keptByApplication) narrowed.locationAtSleep = kRadioAuto;
    narrowed.pushAtSleep = kRadioAuto;
    narrowed.threeGAtSleep = kRadioAuto;
    narrowed.fourGAtSleep = kRadioAuto;
    if (!plan.any()) narrowed.lowPowerModeAtSleep = kRadioAuto;
    return narrowed;
}

bool Corvane::adaptiveActsWhileKept() const {
    return adaptiveInForce() && adaptive_.plan && adaptive_.plan->lowPowerMode;
}

void Corvane::adaptiveSwitchedOff() {
    if (!adaptive_.plan) return;
    const double now = platform_.clock().now().secondsSince1970;
    // The processor is awake now; the saving runs until it sleeps.
    const bool lowPower = adaptive_.plan->lowPowerMode && radiosLib && radiosLib->isLowPowerModeEnabled();
    if (lowPower && !adaptive_.lowPowerAwakeSince) adaptive_.lowPowerAwakeSince = now;
    const auto mark = [now](bool planned, std::optional<double>& since) {
        if (planned && !since) since = now;
    };
    mark(adaptive_.plan->wifi, adaptive_.wifiOffSince);
    mark(adaptive_.plan->cellularData, adaptive_.cellularOffSince);
    mark(adaptive_.plan->bluetooth, adaptive_.bluetoothOffSince);
    mark(adaptive_.plan->location, adaptive_.locationOffSince);
}

void Corvane::adaptiveRestored(bool inBackground) {
    if (!adaptive_.plan) return;
    const platform::DeviceEnergyCosts costs = energyCosts();
    const double now = platform_.clock().now().secondsSince1970;
    AdaptiveRecords::Savings& savings = adaptiveRecords().savings();
    const auto saved = [&](std::optional<double>& since, double milliwatts) {
        if (since) savings.radioJoulesSaved += joules(milliwatts, now - *since);
        since.reset();
    };
    saved(adaptive_.wifiOffSince, costs.wifiIdleMilliwatts);
    saved(adaptive_.cellularOffSince, costs.cellularDataIdleMilliwatts);
    saved(adaptive_.bluetoothOffSince, costs.bluetoothIdleMilliwatts);
    saved(adaptive_.locationOffSince, costs.locationIdleMilliwatts);
    saved(adaptive_.lowPowerAwakeSince, costs.lowPowerModeSavingMilliwatts);
    if (inBackground) {
        adaptive_.nextSyncAt.reset();  // this sync is done
        savings.switchJoulesSpent +=
            StrategyAdaptive::backgroundRestoreJoules(costs, adaptive_.radiosAtLock, *adaptive_.plan);
    } else {
        savings.switchJoulesSpent += StrategyAdaptive::switchOnJoules(costs, adaptive_.radiosAtLock, *adaptive_.plan);
        adaptive_.plan.reset();
    }
    saveAdaptiveRecords();
}

void Corvane::adaptiveSystemAwake(bool awake) {
    if (!adaptive_.plan || !adaptive_.plan->lowPowerMode) return;
    const double now = platform_.clock().now().secondsSince1970;
    if (awake) {
        if (radiosLib && radiosLib->isLowPowerModeEnabled()) adaptive_.lowPowerAwakeSince = now;
        return;
    }
    if (adaptive_.lowPowerAwakeSince) {
        // Kept in memory; the records file is written at the restore.
        adaptiveRecords().savings().radioJoulesSaved +=
            joules(energyCosts().lowPowerModeSavingMilliwatts, now - *adaptive_.lowPowerAwakeSince);
        adaptive_.lowPowerAwakeSince.reset();
    }
}

bool Corvane::adaptiveShouldWakeRadiosNow() const {
    if (!adaptive_.plan || !adaptive_.plan->network() || !lastTurnOff || !adaptive_.nextSyncAt) return false;
    return platform::secondsBetween(*adaptive_.nextSyncAt, platform_.clock().now()) >= -kSyncSlackSeconds;
}

// ---- WiFi first ------------------------------------------------------------------------

bool Corvane::adaptiveWiFiFirst(bool wifiWanted) {
    if (!adaptive_.plan || !adaptive_.plan->wifi || !adaptive_.radiosAtLock.wifiAssociated || !wifiWanted) {
        return false;
    }
    CORVANE_DEBUG("Adaptive: WiFi first, cellular data waits %.0f seconds for it", kWiFiFirstSeconds);
    adaptive_.cellularWaitsForWiFi = true;
    edge2WiFiManager->edgeDisabledByMySelf(true);
    if (adaptive_.wifiFirstTimer) adaptive_.wifiFirstTimer->invalidate();
    adaptive_.wifiFirstTimer =
        platform_.mainRunLoop().scheduleTimer(kWiFiFirstSeconds, false, guarded([this] { adaptiveWiFiFirstCheck(); }));
    return true;
}

void Corvane::adaptiveWiFiFirstCheck() {
    adaptive_.wifiFirstTimer.reset();
    if (!adaptive_.cellularWaitsForWiFi || !radiosLib) return;
    platform::Object* wifiManager = homeScreen_.sharedWiFiManager();
    if (wifiManager != nullptr && homeScreen_.isAssociated(wifiManager)) {
        CORVANE_DEBUG("Adaptive: WiFi associated, cellular data stays off while it lasts");
        return;
    }
    CORVANE_DEBUG("Adaptive: WiFi did not associate, cellular data on");
    adaptive_.cellularWaitsForWiFi = false;
    const bool switched = radiosLib->setEdgeEnabled(true);
    edge2WiFiManager->edgeDisabledByMySelf(!switched);
    if (switched) {
        adaptiveRecords().savings().switchJoulesSpent += energyCosts().cellularAttachJoules;
        saveAdaptiveRecords();
    }
}

void Corvane::adaptiveWiFiSignal(int bars, platform::Object* wifiManager) {
    if (!adaptive_.cellularWaitsForWiFi || adaptive_.wifiFirstTimer) return;
    if (bars >= 1 && homeScreen_.isAssociated(wifiManager)) return;
    // WiFi lost after it came first: cellular data comes back, locked or not.
    adaptiveWiFiFirstCheck();
}

void Corvane::adaptiveChargeEnded() {
    if (!baseStrategy || baseStrategy->strategy != kStrategyAdaptive) return;
    adaptiveRecords().chargeEnded(platform_.clock().now().secondsSince1970);
    saveAdaptiveRecords();
}

// ---- Wake-ups --------------------------------------------------------------------------

void Corvane::scheduleNextWakeAdaptive() {
    platform::PowerManagement& powerManagement = platform_.powerManagement();
    const double now = platform_.clock().now().secondsSince1970;
    const double interval = getWakeIntervalMinutes() * 60.0;
    const double horizon = now + interval;

    std::vector<ScheduledWakeEvent> movable;
    std::optional<double> ride;
    for (const plist::Value& entry : powerManagement.copyScheduledPowerEvents()) {
        std::optional<ScheduledWakeEvent> event = ScheduledWakeEvent::from(entry);
        if (!event) continue;
        const double at = event->time.secondsSince1970;
        if (event->scheduledBy == power::kEngineScheduler) {
            // Only one of the engine's own is ever pending; a new one follows if needed.
            powerManagement.cancelScheduledPowerEvent(event->time, event->scheduledBy, event->eventType);
        } else if (ScheduledWakeEvent::mayBeMoved(event->scheduledBy) &&
                   !ScheduledWakeEvent::isProtected(event->scheduledBy, noDelayApps)) {
            if (at > now && at <= horizon) movable.push_back(*event);
        } else if (at > now && at <= horizon && (!ride || at < *ride)) {
            // Somebody wakes the phone anyway: the syncs ride on it.
            ride = at;
        }
    }

    // The movable events due before the next wake-up go to it, each no
    // later than a wake interval past the time its application asked for.
    const double gatherAt = ride.value_or(horizon);
    std::set<long long> distinctTimes;
    std::vector<AdaptiveState::Moved> stillMoved;
    bool gathered = false;
    for (const ScheduledWakeEvent& event : movable) {
        const double at = event.time.secondsSince1970;
        double ownTime = at;
        bool movedBefore = false;
        for (const AdaptiveState::Moved& moved : adaptive_.moved) {
            if (moved.scheduledBy == event.scheduledBy && moved.eventType == event.eventType &&
                std::fabs(moved.movedTo - at) < 1.0) {
                ownTime = moved.ownTime;
                movedBefore = true;
            }
        }
        const double target = std::min(gatherAt, ownTime + interval);
        if (std::fabs(target - at) < 1.0) {
            gathered = gathered || std::fabs(target - gatherAt) < 1.0;
            if (movedBefore) stillMoved.push_back({event.scheduledBy, event.eventType, at, ownTime});
            continue;
        }
        if (powerManagement.cancelScheduledPowerEvent(event.time, event.scheduledBy, event.eventType) != 0) continue;
        if (powerManagement.schedulePowerEvent(plist::Date{target}, event.scheduledBy, event.eventType) != 0) {
            // The other application's wake-up must not be lost: put it back where it was.
            powerManagement.schedulePowerEvent(event.time, event.scheduledBy, event.eventType);
            continue;
        }
        CORVANE_DEBUG("Gathering the wake-up of %s at %.0f", event.scheduledBy.c_str(), target);
        stillMoved.push_back({event.scheduledBy, event.eventType, target, ownTime});
        gathered = gathered || std::fabs(target - gatherAt) < 1.0;
        if (!movedBefore) distinctTimes.insert(std::llround(at));
    }
    adaptive_.moved = std::move(stillMoved);

    // The wake-ups the gathering saves: each distinct time but the one kept.
    const long long avoided = static_cast<long long>(distinctTimes.size()) - (ride ? 0 : 1);
    if (avoided > 0) {
        AdaptiveRecords::Savings& savings = adaptiveRecords().savings();
        savings.wakesAvoided += avoided;
        savings.wakeJoulesSaved += static_cast<double>(avoided) * energyCosts().wakeJoules;
        saveAdaptiveRecords();
    }

    // The engine's own wake-up only when nobody else wakes the phone: for a
    // sync while the network is off, or to decide again on a long lock.
    std::optional<double> own;
    const bool someoneWakes = ride || gathered;
    if (adaptive_.plan && adaptive_.plan->network() && !someoneWakes) own = horizon;
    const StrategyAdaptive* adaptive = adaptiveStrategy();
    if (!own && !someoneWakes && adaptive != nullptr && adaptive_.lockedAt && !onAC) {
        // While a keep-radios application runs there is nothing to decide asleep.
        const StrategyAdaptive::Radios radios = radiosNow();
        std::optional<double> after;
        if (!radios.keptByApplication) after = adaptive->paysAfter(energyCosts(), radios);
        if (after) {
            own = std::max(adaptive_.lockedAt->secondsSince1970 + *after, now + kShortestDecisionWait);
        }
    }
    adaptive_.nextSyncAt.reset();
    if (someoneWakes) adaptive_.nextSyncAt = platform::Date{gatherAt};
    if (own) {
        adaptive_.nextSyncAt = platform::Date{*own};
        CORVANE_DEBUG("Scheduling next wake at %.0f", *own);
        const int error =
            powerManagement.schedulePowerEvent(plist::Date{*own}, power::kEngineScheduler, power::kEngineEventType);
        if (error != 0) CORVANE_DEBUG("Schedule of power event failed with err code %x", static_cast<unsigned>(error));
    } else {
        CORVANE_DEBUG("No wake of my own: %s", someoneWakes ? "riding on other applications' wake-ups" : "none needed");
    }
}

}  // namespace corvane
