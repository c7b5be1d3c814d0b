// System power messages and scheduled wake-ups: the engine allows or refuses
// the system's sleep, schedules its own wake-up before the phone sleeps and
// gathers other applications' persistent-connection wake-ups behind it.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/controller/Guarded.h"
#include "engine/controller/ScheduledWakeEvent.h"
#include "engine/strategies/Strategie.h"
#include "shared/Names.h"

namespace corvane {

namespace {

// Movable wake events are placed this long after the engine's own wake-up.
constexpr double kDelayAfterOwnWakeSeconds = 20.0;

const char* powerMessageName(std::uint32_t messageType) {
    switch (messageType) {
        case platform::kIOMessageCanSystemSleep: return "kIOMessageCanSystemSleep";
        case platform::kIOMessageSystemWillSleep: return "kIOMessageSystemWillSleep";
        case platform::kIOMessageSystemHasPoweredOn: return "kIOMessageSystemHasPoweredOn";
        case platform::kIOMessageSystemWillPowerOn: return "kIOMessageSystemWillPowerOn";
        default: return "unhandled message";
    }
}

// Power messages that arrive while no engine instance exists: the system must
// still get an answer to the questions it waits for.
void answerWithoutEngine(platform::PowerManagement& powerManagement, std::uint32_t messageType,
                         std::intptr_t messageArgument) {
    CORVANE_DEBUG("Power message 0x%x (argument 0x%lx): %s", messageType, static_cast<long>(messageArgument),
                  powerMessageName(messageType));
    switch (messageType) {
        case platform::kIOMessageCanSystemSleep:
        case platform::kIOMessageSystemWillSleep:
            CORVANE_DEBUG("_self is nil : it won't work");
            powerManagement.allowPowerChange(messageArgument);
            break;
        case platform::kIOMessageSystemWillPowerOn: CORVANE_DEBUG("_self is nil : it won't work"); break;
        default: break;
    }
}

using ScheduledEvent = ScheduledWakeEvent;

}  // namespace

void Corvane::registerPowerListener() {
    if (powerRegistered_) {
        CORVANE_DEBUG("already registered to power events!");
        return;
    }
    platform::PowerManagement& powerManagement = platform_.powerManagement();
    // The messages go to the engine instance of the moment, so a message that
    // arrives while there is none is still answered.
    powerRegistered_ = powerManagement.registerForSystemPower(
        guarded([&powerManagement](std::uint32_t messageType, std::intptr_t argument) {
            if (Corvane* engine = Corvane::sharedEngine()) {
                engine->powerMessageCallback(messageType, argument);
            } else {
                answerWithoutEngine(powerManagement, messageType, argument);
            }
        }));
    if (powerRegistered_) {
        CORVANE_DEBUG("IORegisterForSystemPower done");
    } else {
        CORVANE_DEBUG("IORegisterForSystemPower failed");
    }

    platform::DarwinNotificationCenter& darwin = platform_.darwinNotifications();
    darwin.registerDispatch(notifications::kWake, guarded([] { CORVANE_DEBUG("Reveived a wake event"); }));
    darwin.registerDispatch(notifications::kPreferencesChanged, guarded([] {
                                CORVANE_DEBUG("Reveived a pref event");
                                if (Corvane* engine = Corvane::sharedEngine()) engine->reloadPrefs();
                            }));
}

void Corvane::powerMessageCallback(std::uint32_t messageType, std::intptr_t messageArgument) {
    CORVANE_DEBUG("Power message 0x%x (argument 0x%lx): %s", messageType, static_cast<long>(messageArgument),
                  powerMessageName(messageType));
    platform::PowerManagement& powerManagement = platform_.powerManagement();
    switch (messageType) {
        case platform::kIOMessageCanSystemSleep:
            adaptiveRecheck();
            if (timers_.asleepTimer && isScreenDimmed()) {
                // A sleep delay longer than the phone's idle time: asleep, the
                // radios would stay on until the next wake. Switch them off now.
                CORVANE_DEBUG("The system asks to sleep, switching radios off now");
                timers_.asleepTimer->invalidate();
                asleepRadiosSync();
                awokeInBackground = false;  // off now, whatever woke them
                powerManagement.allowPowerChange(messageArgument);
            } else if (isScreenDimmed() && !switchAllOffInBackground()) {
                // Only while the screen is off is the background switch-off
                // asked; when it answers YES the radios are already off.
                powerManagement.cancelPowerChange(messageArgument);
            } else {
                powerManagement.allowPowerChange(messageArgument);
            }
            break;
        case platform::kIOMessageSystemWillSleep:
            adaptiveSystemAwake(false);
            writeHeldBackBatteryState();
            scheduleNextWake();
            powerManagement.allowPowerChange(messageArgument);
            break;
        case platform::kIOMessageSystemWillPowerOn:
            adaptiveSystemAwake(true);
            wakeRadiosInBackgroundIfNeeded();
            break;
        default: break;
    }
}

void Corvane::scheduleNextWake() {
    if (adaptiveInForce()) {
        scheduleNextWakeAdaptive();
        return;
    }
    platform::PowerManagement& powerManagement = platform_.powerManagement();
    const double interval = getWakeIntervalMinutes() * 60.0;
    const platform::Date next = platform::addSeconds(platform_.clock().now(), interval);
    const platform::Date delayed = platform::addSeconds(next, kDelayAfterOwnWakeSeconds);
    // Under None the user chose no saving: other applications keep their times.
    const bool gatherOthers = strategy && strategy->strategy != kStrategyNone;
    CORVANE_DEBUG("Scheduling next wake at %.0f", next.secondsSince1970);

    std::vector<MovedWakeEvent> stillMoved;
    const plist::Array events = powerManagement.copyScheduledPowerEvents();
    for (const plist::Value& entry : events) {
        std::optional<ScheduledEvent> event = ScheduledEvent::from(entry);
        if (!event) {
            CORVANE_DEBUG("Scheduled power event without time, scheduler or type left as it is");
            continue;
        }
        const std::string& by = event->scheduledBy;
        if (by == power::kEngineScheduler) {
            // An earlier wake of the engine: only one is ever pending.
            const int error = powerManagement.cancelScheduledPowerEvent(event->time, by, event->eventType);
            if (error != 0) {
                CORVANE_DEBUG("Failed to cancel power event %.0f, %s, %s : error=%x", event->time.secondsSince1970,
                              by.c_str(), event->eventType.c_str(), static_cast<unsigned>(error));
            }
        } else if (gatherOthers && ScheduledEvent::mayBeMoved(by) && !ScheduledEvent::isProtected(by, noDelayApps)) {
            // The time the application asked for, also when the engine moved
            // the event before: the phone may sleep again and again before
            // the engine's own wake comes, and each sleep would push it on.
            double ownTime = event->time.secondsSince1970;
            for (const MovedWakeEvent& moved : movedWakeEvents_) {
                if (moved.scheduledBy == by && moved.eventType == event->eventType &&
                    std::fabs(moved.movedTo - ownTime) < 1.0) {
                    ownTime = moved.ownTime;
                    break;
                }
            }
            const platform::Date target{
                std::min(delayed.secondsSince1970, ownTime + interval + kDelayAfterOwnWakeSeconds)};
            if (std::fabs(target.secondsSince1970 - event->time.secondsSince1970) < 1.0) {
                stillMoved.push_back({by, event->eventType, event->time.secondsSince1970, ownTime});
                continue;
            }
            CORVANE_DEBUG("Delaying notification for application %s", by.c_str());
            const int error = powerManagement.cancelScheduledPowerEvent(event->time, by, event->eventType);
            if (error != 0) {
                // The event stays where it is; it is not scheduled a second time.
                CORVANE_DEBUG("Failed to cancel power event %.0f, %s, %s : error=%x", event->time.secondsSince1970,
                              by.c_str(), event->eventType.c_str(), static_cast<unsigned>(error));
                stillMoved.push_back({by, event->eventType, event->time.secondsSince1970, ownTime});
                continue;
            }
            const int scheduled = powerManagement.schedulePowerEvent(target, by, event->eventType);
            if (scheduled == 0) {
                stillMoved.push_back({by, event->eventType, target.secondsSince1970, ownTime});
                continue;
            }
            CORVANE_DEBUG("Schedule of power event failed with err code %x", static_cast<unsigned>(scheduled));
            // The other application's wake-up must not be lost: put it back where it was.
            const int restored = powerManagement.schedulePowerEvent(event->time, by, event->eventType);
            if (restored == 0) {
                stillMoved.push_back({by, event->eventType, event->time.secondsSince1970, ownTime});
            } else {
                CORVANE_DEBUG("Power event %s could not be put back either : error=%x", by.c_str(),
                              static_cast<unsigned>(restored));
            }
        }
    }
    // Events that fired or that their applications cancelled are forgotten.
    movedWakeEvents_ = std::move(stillMoved);

    const int error = powerManagement.schedulePowerEvent(next, power::kEngineScheduler, power::kEngineEventType);
    if (error != 0) CORVANE_DEBUG("Schedule of power event failed with err code %x", static_cast<unsigned>(error));
}

}  // namespace corvane
