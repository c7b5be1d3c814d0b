#include "sim/PhoneDay.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "engine/platform/PowerManagement.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "shared/StatisticsStore.h"

namespace corvane::sim {

namespace {

constexpr double kEpsilon = 1e-6;

std::uint32_t applicationStateCode(AppState state) {
    switch (state) {
        case AppState::Foreground: return kApplicationForeground;
        case AppState::Background: return kApplicationBackground;
        case AppState::Suspended: return kApplicationSuspended;
        case AppState::Killed: return kApplicationKilled;
    }
    return kApplicationUnknown;
}

// The trace line that records a scenario event.
TraceWriter::Line eventTraceLine(const ScenarioEvent& event) {
    TraceWriter::Line line{{"event", eventKindName(event.kind)}};
    switch (event.kind) {
        case EventKind::Unlock:
        case EventKind::Lock:
        case EventKind::ScreenOn:
        case EventKind::ScreenOff: break;
        case EventKind::AC:
        case EventKind::Airplane:
        case EventKind::Tether: line["on"] = event.on; break;
        case EventKind::Call: line["active"] = event.on; break;
        case EventKind::WiFi:
            line["network"] = event.network ? TraceWriter::Line(*event.network) : TraceWriter::Line(nullptr);
            line["bars"] = event.bars;
            break;
        case EventKind::Cellular: line["bars"] = event.bars; break;
        case EventKind::App:
            line["bundle"] = event.bundle;
            line["state"] = appStateName(event.state);
            break;
        case EventKind::Settings: {
            TraceWriter::Line set = TraceWriter::Line::object();
            for (const auto& [key, value] : event.set) {
                if (value.isBoolean()) {
                    set[key] = value.boolValue();
                } else if (value.isInteger()) {
                    set[key] = value.integerValue();
                } else {
                    set[key] = value.doubleValue();
                }
            }
            line["set"] = set;
            break;
        }
        case EventKind::Battery: line["percent"] = event.percent; break;
        case EventKind::Notify: line["name"] = event.name; break;
    }
    return line;
}

std::string_view powerMessageName(std::uint32_t type) {
    switch (type) {
        case platform::kIOMessageCanSystemSleep: return "canSystemSleep";
        case platform::kIOMessageSystemWillSleep: return "systemWillSleep";
        case platform::kIOMessageSystemWillPowerOn: return "systemWillPowerOn";
        case platform::kIOMessageSystemHasPoweredOn: return "systemHasPoweredOn";
        default: return "other";
    }
}

std::string_view answerName(SimPowerManagement::Answer answer) {
    switch (answer) {
        case SimPowerManagement::Answer::Allowed: return "allowed";
        case SimPowerManagement::Answer::Cancelled: return "cancelled";
        case SimPowerManagement::Answer::None: break;
    }
    return "none";
}

long long countStatisticsRows() { return statistics::countRows(paths::resolve(paths::kStatisticsDatabase)); }

}  // namespace

PhoneDay::PhoneDay(PhoneHost& host, const Scenario& scenario, const PowerModel& model, TraceWriter* trace,
                   PhoneDayOptions options)
    : host_(host),
      scenario_(scenario),
      model_(model),
      trace_(trace),
      options_(std::move(options)),
      battery_(model, scenario.battery.designCapacity.value_or(model.profile().batteryCapacity),
               scenario.battery.startPercent),
      meter_(model, battery_, 0.0),
      apps_(host.power(), scenario) {
    counts_.scenario = scenario.name;
    counts_.batteryStartPercent = battery_.percent();
    for (const ScenarioApp& app : scenario.apps) appStates_[app.bundle] = AppState::Killed;

    // The phone as the scenario describes it at t = 0.
    const std::vector<platform::DataRate>& rates = scenario.device.dataRates;
    host_.phone().withState([&](PhoneState& s) {
        s.supportedDataRates = rates;
        s.maxAllowedDataRate =
            rates.empty() ? std::nullopt : std::optional(*std::max_element(rates.begin(), rates.end()));
        s.capabilities = std::map<std::string, bool>{{"cellular-data", !rates.empty()}};
        s.lowPowerModeAvailable = scenario.device.lowPowerMode;
        s.wifiEnabled = scenario.radios.at(Radio::WiFi);
        s.cellularData = scenario.radios.at(Radio::Edge);
        s.bluetoothEnabled = scenario.radios.at(Radio::Bluetooth);
        s.locationServices = scenario.radios.at(Radio::Location);
    });
    pushOn_ = host_.phone().pushEnabled();

    host_.phone().setChangeObserver([this](const RadioChange& change) { onRadioChange(change); });
    host_.log().setObserver([this](const std::string& line) {
        ++counts_.debugLines;
        traceLine({{"log", line}});
    });
    host_.alerts().setObserver([this](const AlertRecord& alert) {
        ++counts_.alerts;
        traceLine({{"alert", alert.title}, {"message", alert.message}});
    });
    host_.darwin().registerDispatch(notifications::kPushPreferences, [this] { onPushPreferencesChanged(); });
    if (options_.timeline) {
        meter_.setObserver([this](double from, double to, const ComponentState& state) {
            timeline_.record(from, to, state, battery_.percent(), meter_.onAC());
        });
    }
    refreshState();
}

PhoneDay::~PhoneDay() {
    host_.phone().setChangeObserver({});
    host_.log().setObserver({});
    host_.alerts().setObserver({});
    meter_.setObserver({});
}

double PhoneDay::now() const { return host_.loop().now().secondsSince1970 - scenario_.start; }

void PhoneDay::traceLine(const TraceWriter::Line& fields) { traceLine(now(), fields); }

void PhoneDay::traceLine(double t, const TraceWriter::Line& fields) {
    if (trace_ != nullptr) trace_->write(t, fields);
}

// ---- Stepping ------------------------------------------------------------------

void PhoneDay::startUp() {
    if (started_) return;
    started_ = true;
    traceLine({{"system", "start"}, {"wallClock", formatIso8601(scenario_.start)}});
    host_.homeScreen().finishLaunching();
    host_.loop().runPending();
    reportBattery();
    apps_.start(now());
    refreshScheduledEvents();
}

void PhoneDay::run() { runUntil(scenario_.duration); }

void PhoneDay::runUntil(double limit) {
    startUp();
    int stuck = 0;
    for (;;) {
        const double before = now();
        const double stop = nextStop(limit);
        advanceTo(stop);
        handleDue();
        if (options_.progress) options_.progress(now());
        if (stop >= limit - kEpsilon) break;
        // Every due item moves itself into the future; this only guards
        // against an instant that keeps coming back.
        if (now() <= before + kEpsilon && ++stuck > 1000) {
            advanceTo(before + 0.001);
            stuck = 0;
        }
    }
    // The scheduled events as they stand when the run stops, for whoever
    // reads the phone's files afterwards.
    host_.power().saveEvents();
}

double PhoneDay::nextStop(double limit) const {
    const double t = now();
    double stop = limit;
    if (nextEvent_ < scenario_.events.size()) stop = std::min(stop, scenario_.events[nextEvent_].at);
    if (auto event = nextPowerEvent()) stop = std::min(stop, *event);
    if (!asleep_) {
        stop = std::min(stop, nextReport_);
        if (askAt_) stop = std::min(stop, *askAt_);
        if (auto percent = battery_.secondsToNextPercent(meter_.drawNow(), meter_.onAC())) {
            stop = std::min(stop, t + *percent);
        }
    }
    return std::max(stop, t);
}

void PhoneDay::advanceTo(double t) {
    host_.loop().advanceTo(platform::Date{scenario_.start + t});
    meter_.advanceTo(t);
    if (!batteryEmptyAt_ && battery_.charge() <= 0.0) batteryEmptyAt_ = t;
}

void PhoneDay::handleDue() {
    const double t = now();
    fireDuePowerEvents();
    while (nextEvent_ < scenario_.events.size() && scenario_.events[nextEvent_].at <= t + kEpsilon) {
        apply(scenario_.events[nextEvent_++]);
    }
    if (asleep_) return;
    if (battery_.wholePercent() != lastReportedPercent_ || t >= nextReport_ - kEpsilon) reportBattery();
    if (askAt_ && t >= *askAt_ - kEpsilon) askToSleep();
}

// ---- The system ------------------------------------------------------------------

SimPowerManagement::Answer PhoneDay::postPowerMessage(std::uint32_t type) {
    SimPowerManagement& power = host_.power();
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", type);
    traceLine({{"power", powerMessageName(type)}, {"code", code}});
    const std::intptr_t argument = power.postMessage(type);
    host_.loop().runPending();
    const auto message = power.message(argument);
    const auto answer = message ? message->answer : SimPowerManagement::Answer::None;
    // What the engine did while handling the message comes between the two lines.
    if (answer != SimPowerManagement::Answer::None) {
        traceLine({{"power", powerMessageName(type)}, {"answer", answerName(answer)}});
    }
    refreshScheduledEvents();
    return answer;
}

void PhoneDay::reportBattery() {
    const double t = now();
    meter_.advanceTo(t);
    const plist::Dictionary properties = battery_.properties(scenario_.start + t, meter_.drawNow(), meter_.onAC());
    lastReportedPercent_ = battery_.wholePercent();
    nextReport_ = t + kBatteryReportInterval;
    host_.homeScreen().reportBatteryStatus(&properties);
    host_.loop().runPending();
    // The list changes at the power messages and the applications' wakes; a
    // look every report catches any other change within 20 s.
    refreshScheduledEvents();
    // The home screen reads the WiFi signal for its status bar as often.
    if (meter_.state().wifiEnabled) {
        host_.homeScreen().querySignalStrengthBars();
        host_.loop().runPending();
    }
}

bool PhoneDay::heldAwake() const {
    const ComponentState& s = meter_.state();
    return s.call || s.tethering || s.streaming;
}

void PhoneDay::askToSleep() {
    const double t = now();
    askAt_.reset();
    if (asleep_ || meter_.state().screenOn) return;
    if (holdUntil_ > t + kEpsilon) {
        askAt_ = holdUntil_;
        return;
    }
    if (heldAwake()) {
        askAt_ = t + kSleepAskRetry;
        return;
    }
    if (postPowerMessage(platform::kIOMessageCanSystemSleep) == SimPowerManagement::Answer::Cancelled) {
        ++counts_.sleepsRefused;
        askAt_ = t + kSleepAskRetry;
        return;
    }
    postPowerMessage(platform::kIOMessageSystemWillSleep);
    meter_.advanceTo(t);
    asleep_ = true;
    host_.loop().setSuspended(true);
    refreshState();
    traceLine({{"system", "sleep"}});
    // The captured log is only traced; it need not grow all run long.
    host_.log().clear();
}

void PhoneDay::powerOn(const std::string& cause, bool background) {
    if (!asleep_) return;
    const double t = now();
    meter_.advanceTo(t);
    asleep_ = false;
    host_.loop().setSuspended(false);
    refreshState();
    if (background) {
        ++counts_.backgroundWakes;
        if (cause == power::kEngineScheduler) ++counts_.engineWakes;
        timeline_.wake(t, cause == power::kEngineScheduler);
    } else {
        ++counts_.userWakes;
    }
    traceLine({{"system", "powerOn"}, {"cause", cause}});
    postPowerMessage(platform::kIOMessageSystemWillPowerOn);
    postPowerMessage(platform::kIOMessageSystemHasPoweredOn);
    refreshState();
    askAt_ = t + kFirstSleepAsk;
    nextReport_ = t + kBatteryReportInterval;
    if (battery_.wholePercent() != lastReportedPercent_) reportBattery();
}

// ---- Scheduled power events ---------------------------------------------------------

void PhoneDay::refreshScheduledEvents(bool force) {
    const std::uint64_t version = host_.power().eventsVersion();
    if (!force && scheduledVersion_ == version) return;
    scheduledVersion_ = version;

    std::vector<Scheduled> current;
    for (const auto& event : host_.power().events()) {
        current.push_back(Scheduled{event.time.secondsSince1970 - scenario_.start, event.scheduledBy, event.eventType});
    }
    std::sort(current.begin(), current.end());
    if (trace_ != nullptr) {
        std::vector<Scheduled> removed, added;
        std::set_difference(scheduled_.begin(), scheduled_.end(), current.begin(), current.end(),
                            std::back_inserter(removed));
        std::set_difference(current.begin(), current.end(), scheduled_.begin(), scheduled_.end(),
                            std::back_inserter(added));
        for (const Scheduled& event : removed) {
            traceLine({{"scheduled", "removed"}, {"by", event.by}, {"type", event.type}, {"at", event.time}});
        }
        for (const Scheduled& event : added) {
            traceLine({{"scheduled", "added"}, {"by", event.by}, {"type", event.type}, {"at", event.time}});
        }
    }
    scheduled_ = std::move(current);
    // Forget fired events that have left the list.
    std::set<FiredKey> stillListed;
    for (const Scheduled& event : scheduled_) {
        if (firedEvents_.count(event.firedKey()) != 0) stillListed.insert(event.firedKey());
    }
    firedEvents_ = std::move(stillListed);
}

double PhoneDay::maintenanceWindowFrom(double t) const {
    double window = *idleSince_ + kFirstMaintenanceWindow;
    double spacing = kFirstMaintenanceWindow;
    while (window < t - kEpsilon) {
        spacing = std::min(spacing * 2.0, kLongestMaintenanceSpacing);
        window += spacing;
    }
    return window;
}

double PhoneDay::runsAt(const Scheduled& event) const {
    double time = event.time;
    if (options_.osBatching && idleSince_) {
        if (auto bundle = apps_.bundleOf(event.by)) {
            const ScenarioApp* app = scenario_.app(*bundle);
            if (app != nullptr && !app->alarm) time = maintenanceWindowFrom(event.time);
        }
    }
    return time + (asleep_ ? kResumeSeconds : 0.0);
}

std::optional<double> PhoneDay::nextPowerEvent() const {
    std::optional<double> next;
    for (const Scheduled& event : scheduled_) {
        if (firedEvents_.count(event.firedKey()) != 0) continue;
        const double at = runsAt(event);
        if (!next || at < *next) next = at;
    }
    return next;
}

void PhoneDay::fireDuePowerEvents() {
    const double t = now();
    std::vector<Scheduled> due;
    for (const Scheduled& event : scheduled_) {
        if (runsAt(event) <= t + kEpsilon && firedEvents_.insert(event.firedKey()).second) due.push_back(event);
    }
    if (due.empty()) return;
    if (asleep_) powerOn(due.front().by, true);
    for (const Scheduled& event : due) {
        if (auto bundle = apps_.bundleOf(event.by)) {
            apps_.fired(event.by, event.time, t);
            traceLine({{"appWake", *bundle}, {"network", networkAvailable()}});
        }
    }
    refreshScheduledEvents();
    deliverIfPossible();
}

// ---- Scenario events ------------------------------------------------------------------

void PhoneDay::apply(const ScenarioEvent& event) {
    const double t = now();
    // The phone must run to act; only the battery and the WiFi around it
    // change while it sleeps.
    if (asleep_ && event.kind != EventKind::Battery && event.kind != EventKind::WiFi &&
        event.kind != EventKind::Cellular) {
        powerOn(std::string(eventKindName(event.kind)), false);
    }
    meter_.advanceTo(t);
    perform(event);
    traceLine(t, eventTraceLine(event));
    if (event.kind == EventKind::WiFi) applyWiFiEnvironment(event.network, event.bars);
    settleAfterEvent();
}

void PhoneDay::perform(const ScenarioEvent& event) {
    switch (event.kind) {
        case EventKind::Unlock:
        case EventKind::Lock:
        case EventKind::ScreenOn:
        case EventKind::ScreenOff: applyScreen(event.kind); break;
        case EventKind::AC:
            meter_.setOnAC(event.on);
            host_.homeScreen().setOnAC(event.on);
            break;
        case EventKind::WiFi: break;  // after the event's trace line
        case EventKind::Cellular: applyCellularSignal(event.bars); break;
        case EventKind::App:
            appStates_[event.bundle] = event.state;
            host_.homeScreen().setApplicationState(event.bundle, applicationStateCode(event.state));
            break;
        case EventKind::Call:
        case EventKind::Airplane:
        case EventKind::Tether: applyTelephony(event.kind, event.on); break;
        case EventKind::Settings: writeSettings(event.set); break;
        case EventKind::Battery: battery_.forcePercent(event.percent); break;
        case EventKind::Notify: host_.darwin().post(event.name); break;
    }
}

void PhoneDay::applyScreen(EventKind kind) {
    // The home screen turns the screen and the lock on and off; it never
    // repeats a state it is already in.
    const PhoneState before = host_.phone().snapshot();
    HomeScreenHost& home = host_.homeScreen();
    switch (kind) {
        case EventKind::Unlock:
            if (before.screenOff) home.setScreenOff(false);
            if (before.uiLocked) home.setUILocked(false);
            break;
        case EventKind::ScreenOn:
            if (before.screenOff) home.setScreenOff(false);
            break;
        case EventKind::Lock:
            if (!before.uiLocked) home.setUILocked(true);
            [[fallthrough]];
        default:  // the screen goes off
            if (!before.screenOff) home.setScreenOff(true);
            askAt_.reset();
            break;
    }
}

void PhoneDay::applyTelephony(EventKind kind, bool on) {
    const bool wasInAirplaneMode = host_.phone().withState([&](PhoneState& s) {
        const bool airplaneMode = s.airplaneMode;
        if (kind == EventKind::Call) s.inCall = s.activeCall = on;
        if (kind == EventKind::Airplane) s.airplaneMode = on;
        if (kind == EventKind::Tether) s.tethering = on;
        return airplaneMode;
    });
    // Leaving airplane mode, the radio registers with the network again.
    if (kind == EventKind::Airplane && wasInAirplaneMode && !on && cellularBars_ > 0) {
        meter_.spend(Component::Cellular, model_.profile().networkRegistration);
    }
}

void PhoneDay::settleAfterEvent() {
    host_.loop().runPending();
    meter_.advanceTo(now());
    refreshState();
    refreshScheduledEvents();
    // The system's idle timer starts again whenever the screen goes dark.
    if (meter_.state().screenOn) {
        askAt_.reset();
    } else if (!asleep_ && !askAt_) {
        askAt_ = now() + kFirstSleepAsk;
    }
    deliverIfPossible();
}

void PhoneDay::writeSettings(const plist::Dictionary& values) {
    // As the app does: read the file, change the keys, write it back whole,
    // then tell the engine.
    const std::filesystem::path path = paths::resolve(paths::kSettings);
    plist::Dictionary settings = plist::readDictionary(path).value_or(plist::Dictionary{});
    for (const auto& [key, value] : values) settings.set(key, value);
    plist::writeFile(path, plist::Value(std::move(settings)));
    host_.darwin().post(notifications::kPreferencesChanged);
}

// ---- Radios and the network ---------------------------------------------------------------

void PhoneDay::refreshState() {
    const PhoneState s = host_.phone().snapshot();
    ComponentState& c = meter_.state();
    c.asleep = asleep_;
    c.screenOn = !s.screenOff;
    c.interactive = !s.screenOff && !s.uiLocked;
    c.lowPowerMode = s.lowPowerModeAvailable && s.lowPowerMode;
    c.wifiEnabled = s.wifiEnabled && s.wifiPowered;
    c.wifiAssociated = c.wifiEnabled && s.wifiAssociated;
    c.cellularData = s.cellularData;
    c.cellularRadio = !s.airplaneMode;
    if (s.supportedDataRates && !s.supportedDataRates->empty()) {
        platform::DataRate rate = *std::max_element(s.supportedDataRates->begin(), s.supportedDataRates->end());
        if (s.maxAllowedDataRate && *s.maxAllowedDataRate < rate) rate = *s.maxAllowedDataRate;
        c.speed = rate;
    }
    c.bluetooth = s.bluetoothEnabled;
    c.bluetoothConnected = s.bluetoothEnabled && s.bluetoothConnected;
    c.location = s.locationServices;
    c.push = pushOn_;
    c.call = s.inCall || s.activeCall;
    c.tethering = s.tethering;
    c.cellularBars = cellularBars_;
    c.wifiBars = bars_;
    c.streaming = false;
    c.locationInUse = false;
    bool offlineApp = false;
    for (const ScenarioApp& app : scenario_.apps) {
        const AppState state = appStates_[app.bundle];
        if (app.audio && (state == AppState::Foreground || state == AppState::Background)) c.streaming = true;
        if (state == AppState::Foreground && app.location) c.locationInUse = true;
        if (state == AppState::Foreground && !app.network) offlineApp = true;
    }
    // The user wants the network while working on the phone (unless in an
    // application that needs none) and while an audio stream plays.
    c.userTraffic = (c.interactive && !offlineApp) || c.streaming;
    // OS batching: idle while the screen is off and the phone not on AC.
    const bool idle = !c.screenOn && !meter_.onAC();
    if (!idle) {
        idleSince_.reset();
    } else if (!idleSince_) {
        idleSince_ = now();
    }
}

void PhoneDay::onRadioChange(const RadioChange& change) {
    const double t = change.time.secondsSince1970 - scenario_.start;
    meter_.advanceTo(t);
    refreshState();
    ++counts_.radioSwitches;
    if (change.radio == Radio::Edge && change.on && meter_.state().cellularUp()) {
        meter_.spend(Component::Cellular, model_.profile().cellularAttach);
    }
    if (change.radio == Radio::Speed) {
        traceLine(t, {{"radio", radioName(change.radio)}, {"speed", dataRateName(change.speed)}});
    } else {
        traceLine(t, {{"radio", radioName(change.radio)}, {"on", change.on}});
    }
    if (change.radio == Radio::WiFi) {
        if (associationTimer_) associationTimer_->invalidate();
        if (change.on) {
            // WiFi finds the network within reach a moment after it comes on.
            if (network_) {
                associationTimer_ = host_.loop().scheduleTimer(kAssociationSeconds, false, [this] { associateNow(); });
            }
        } else {
            host_.loop().dispatchToMain([this] { host_.homeScreen().wifiLinkChanged(); });
        }
    }
    queueDeliveryCheck();
}

void PhoneDay::onPushPreferencesChanged() {
    const bool on = host_.phone().pushEnabled();
    if (on == pushOn_) return;
    meter_.advanceTo(now());
    pushOn_ = on;
    refreshState();
    ++counts_.radioSwitches;
    traceLine({{"radio", radioName(Radio::Push)}, {"on", on}});
}

void PhoneDay::applyCellularSignal(int bars) {
    // Coming back into coverage, the radio registers with the network again.
    if (cellularBars_ <= 0 && bars > 0 && meter_.state().cellularRadio) {
        meter_.spend(Component::Cellular, model_.profile().networkRegistration);
    }
    cellularBars_ = bars;
    refreshState();
    queueDeliveryCheck();
}

void PhoneDay::applyWiFiEnvironment(const std::optional<std::string>& network, int bars) {
    network_ = network;
    bars_ = bars;
    associateNow();
}

void PhoneDay::associateNow() {
    meter_.advanceTo(now());
    const bool wasAssociated = meter_.state().wifiAssociated;
    const bool changed = host_.phone().withState([&](PhoneState& s) {
        const bool associate = network_.has_value() && s.wifiEnabled && s.wifiPowered;
        const std::optional<std::string> network = associate ? network_ : std::nullopt;
        const int bars = associate ? bars_ : 0;
        const bool different = s.wifiAssociated != associate || s.wifiNetwork != network || s.wifiBars != bars;
        s.wifiAssociated = associate;
        s.wifiNetwork = network;
        s.wifiBars = bars;
        return different;
    });
    refreshState();
    if (!changed) return;
    const ComponentState& state = meter_.state();
    if (state.wifiAssociated && !wasAssociated) meter_.spend(Component::WiFi, model_.profile().wifiAssociation);
    traceLine({{"wifiLink", state.wifiAssociated ? TraceWriter::Line(*network_) : TraceWriter::Line(nullptr)},
               {"bars", state.wifiAssociated ? bars_ : 0}});
    // The home screen learns of the link change when it runs.
    auto tellHomeScreen = [this] {
        host_.homeScreen().wifiLinkChanged();
        host_.homeScreen().querySignalStrengthBars();
    };
    if (asleep_) {
        host_.loop().scheduleTimer(0.0, false, tellHomeScreen);
    } else {
        tellHomeScreen();
    }
    queueDeliveryCheck();
}

bool PhoneDay::networkAvailable() const { return meter_.state().networkUp(); }

bool PhoneDay::overWiFi() const { return meter_.state().wifiUp(); }

void PhoneDay::queueDeliveryCheck() {
    if (deliveryCheckQueued_ || !apps_.hasPending()) return;
    deliveryCheckQueued_ = true;
    host_.loop().dispatchToMain([this] {
        deliveryCheckQueued_ = false;
        deliverIfPossible();
    });
}

void PhoneDay::deliverIfPossible() {
    if (asleep_ || !apps_.hasPending() || !networkAvailable()) return;
    const double t = now();
    const std::size_t delivered = apps_.deliverPending(t);
    traceLine({{"delivered", delivered}, {"over", overWiFi() ? "wifi" : "cellular"}});
    startTransfer(kAppTransferSeconds);
}

void PhoneDay::startTransfer(double seconds) {
    const double t = now();
    meter_.advanceTo(t);
    meter_.startTransfer(overWiFi(), t + seconds);
    holdUntil_ = std::max(holdUntil_, t + seconds);
}

// ---- Summary -------------------------------------------------------------------------------

RunSummary PhoneDay::summary() const {
    RunSummary r = counts_;
    const double end = now();
    r.simulatedSeconds = end;
    r.batteryEndPercent = battery_.percent();
    r.batteryEmptyAt = batteryEmptyAt_;
    for (std::size_t i = 0; i < kComponentCount; ++i) r.energy[i] = meter_.energy(static_cast<Component>(i));
    r.lowPowerModeSaved = meter_.lowPowerModeSaved();
    r.joinEnergy = meter_.joinEnergy();
    r.transferEnergy = meter_.transferEnergy();
    r.totalEnergy = meter_.totalEnergy();
    r.profile = model_.profile().name;
    r.energyFromBattery = battery_.energyDrawn();
    r.batteryEnergy = battery_.energyWhenFull();
    r.batteryLowestPercent = battery_.lowestPercent();
    if (meter_.secondsOnBattery() > 0.0 && meter_.energyOnBattery() > 0.0) {
        r.meanDrawOnBattery = meter_.energyOnBattery() / meter_.secondsOnBattery() * 1000.0;
    }
    r.userTrafficWithoutNetworkMinutes = meter_.userTrafficWithoutNetwork() / 60.0;
    if (options_.timeline) r.timeline = timeline_.toJson();
    r.radioOffHours = meter_.dataOffSeconds() / 3600.0;
    for (const auto& [radio, seconds] : meter_.offSeconds())
        r.radioOffHoursByRadio[std::string(radioName(radio))] = seconds / 3600.0;
    r.rowsWritten = countStatisticsRows();
    r.engineIo.byHourOfDay = host_.phone().ioMeter().byHourOfDay();
    r.appEventsFired = apps_.eventsFired();
    std::vector<double> delays = apps_.deliveredDelays();
    r.delivered = delays.size();
    const std::vector<double> waiting = apps_.undeliveredDelays(end);
    r.undelivered = waiting.size();
    delays.insert(delays.end(), waiting.begin(), waiting.end());
    const std::vector<double> unfired = apps_.unfiredDelays(end);
    r.neverFired = unfired.size();
    delays.insert(delays.end(), unfired.begin(), unfired.end());
    if (!delays.empty()) {
        r.deliveryDelayMean = std::accumulate(delays.begin(), delays.end(), 0.0) / static_cast<double>(delays.size());
        r.deliveryDelayWorst = *std::max_element(delays.begin(), delays.end());
    }
    return r;
}

}  // namespace corvane::sim
