#pragma once
// The phone between the scenario's events: the system's side of a phone day.
// It reports the battery (at start-up, every 20 s while awake and at each
// percent of charge); with the screen off and nothing holding the phone
// awake it asks the engine whether it may sleep (20 s after the screen goes
// off or the phone powers on, then every 30 s while refused), sleeps until
// the earliest scheduled power event and powers on for it; it fires other
// applications' wake events, whose applications then use the network for a
// few seconds if a radio lets them; and it wakes at once for the user. The
// power model charges every second of it to the battery.
//
// With OS batching (the platform's own saving, without any saver) other
// applications' wake events are held while the phone stays idle (screen
// off, not on AC) and fired together in maintenance windows 1 h after the
// phone went idle, then 2 h, 4 h and every 6 h; alarm clocks are exempt.

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "sim/BackgroundApps.h"
#include "sim/DayTimeline.h"
#include "sim/EnergyMeter.h"
#include "sim/PhoneHost.h"
#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/SimBattery.h"
#include "sim/TraceWriter.h"

namespace corvane::sim {

struct PhoneDayOptions {
    bool osBatching = false;
    bool timeline = false;  // record a DayTimeline for plots
    // Called now and then with the virtual time reached.
    std::function<void(double)> progress;
};

class PhoneDay {
public:
    // Seconds after the screen goes off or the phone powers on before the
    // system first asks to sleep, and between asks while refused.
    static constexpr double kFirstSleepAsk = 20.0;
    static constexpr double kSleepAskRetry = 30.0;
    static constexpr double kBatteryReportInterval = 20.0;
    // How long an application uses the network at its wake.
    static constexpr double kAppTransferSeconds = 5.0;
    // How long WiFi takes to associate after it is switched on.
    static constexpr double kAssociationSeconds = 3.0;
    // A phone woken by a scheduled power event runs again this long after
    // the event's time (the hardware resumes first).
    static constexpr double kResumeSeconds = 0.5;
    // OS batching: the first maintenance window after the phone goes idle,
    // and the longest spacing the doubling reaches.
    static constexpr double kFirstMaintenanceWindow = 3600.0;
    static constexpr double kLongestMaintenanceSpacing = 6 * 3600.0;

    // The phone must be set up (PhoneLayout) and the engine loaded; `trace`
    // may be none; `model` must outlive the day.
    PhoneDay(PhoneHost& host, const Scenario& scenario, const PowerModel& model, TraceWriter* trace,
             PhoneDayOptions options = {});
    ~PhoneDay();
    PhoneDay(const PhoneDay&) = delete;
    PhoneDay& operator=(const PhoneDay&) = delete;

    // The home screen finishes launching and reports the battery for the first time.
    void startUp();
    // Runs every event up to the end of the scenario.
    void run();
    // Runs up to `t` seconds from start (tests step a day with it).
    void runUntil(double t);
    RunSummary summary() const;

    double now() const;  // seconds from start
    bool asleep() const { return asleep_; }
    const SimBattery& battery() const { return battery_; }
    const EnergyMeter& meter() const { return meter_; }

private:
    // A fired event is known by who scheduled it and its whole second.
    using FiredKey = std::pair<std::string, long long>;
    struct Scheduled {
        double time;  // seconds from start
        std::string by;
        std::string type;
        bool operator<(const Scheduled& other) const {
            return std::tie(time, by, type) < std::tie(other.time, other.by, other.type);
        }
        FiredKey firedKey() const { return {by, std::llround(std::floor(time))}; }
    };

    // Stepping.
    double nextStop(double limit) const;
    void advanceTo(double t);
    void handleDue();

    // The system.
    void powerOn(const std::string& cause, bool background);
    void askToSleep();
    bool heldAwake() const;
    SimPowerManagement::Answer postPowerMessage(std::uint32_t type);
    void reportBattery();

    // Scheduled power events.
    void refreshScheduledEvents(bool force = false);
    void fireDuePowerEvents();
    std::optional<double> nextPowerEvent() const;
    // When a listed event runs: its time, deferred to a maintenance window
    // under OS batching, after the resume delay when the phone sleeps.
    double runsAt(const Scheduled& event) const;
    double maintenanceWindowFrom(double t) const;

    // Scenario events: apply wakes the phone when the event needs it,
    // performs the event, traces it and lets the phone settle afterwards.
    void apply(const ScenarioEvent& event);
    void perform(const ScenarioEvent& event);
    void applyScreen(EventKind kind);
    void applyTelephony(EventKind kind, bool on);
    void settleAfterEvent();
    void applyWiFiEnvironment(const std::optional<std::string>& network, int bars);
    void applyCellularSignal(int bars);
    void writeSettings(const plist::Dictionary& values);

    // The radios and the network.
    void refreshState();
    void onRadioChange(const RadioChange& change);
    void onPushPreferencesChanged();
    void associateNow();
    void queueDeliveryCheck();
    void deliverIfPossible();
    bool networkAvailable() const;
    bool overWiFi() const;
    void startTransfer(double seconds);

    void traceLine(const TraceWriter::Line& fields);
    void traceLine(double t, const TraceWriter::Line& fields);

    PhoneHost& host_;
    const Scenario& scenario_;
    const PowerModel& model_;
    TraceWriter* trace_;
    PhoneDayOptions options_;
    DayTimeline timeline_;
    SimBattery battery_;
    EnergyMeter meter_;
    BackgroundApps apps_;

    std::size_t nextEvent_ = 0;
    bool started_ = false;
    bool asleep_ = false;
    std::optional<double> askAt_;
    double nextReport_ = 0.0;
    int lastReportedPercent_ = -1;
    double holdUntil_ = 0.0;  // a transfer keeps the system awake until then

    // The WiFi network within reach.
    std::optional<std::string> network_;
    int bars_ = 0;
    int cellularBars_ = 3;
    std::optional<double> idleSince_;  // OS batching: the phone idle since then
    std::shared_ptr<platform::Timer> associationTimer_;
    bool deliveryCheckQueued_ = false;
    bool pushOn_ = false;
    std::map<std::string, AppState> appStates_;

    // The scheduled power events as last read, and those already fired.
    std::vector<Scheduled> scheduled_;
    std::optional<std::uint64_t> scheduledVersion_;  // of the power management's list, when last read
    std::set<FiredKey> firedEvents_;

    RunSummary counts_;
    std::optional<double> batteryEmptyAt_;
};

}  // namespace corvane::sim
