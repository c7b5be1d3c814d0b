#include "sim/BackgroundApps.h"

#include <algorithm>
#include <cstdio>

#include "shared/Names.h"

namespace corvane::sim {

namespace {
// The home screen's process number on the simulated phone.
constexpr int kSpringBoardPid = 57;
// Wake events of applications have this type.
constexpr std::string_view kWakeType = "wake";
}  // namespace

BackgroundApps::BackgroundApps(SimPowerManagement& power, const Scenario& scenario)
    : power_(power), wallStart_(scenario.start) {
    for (std::size_t i = 0; i < scenario.apps.size(); ++i) {
        const ScenarioApp& app = scenario.apps[i];
        if (!app.wakeEvery) continue;
        apps_.push_back(App{app.bundle, *app.wakeEvery, schedulerName(i, app.bundle), 0.0});
    }
}

std::string BackgroundApps::schedulerName(std::size_t index, std::string_view bundle) {
    char address[32];
    std::snprintf(address, sizeof address, "0x%zx", static_cast<std::size_t>(0x17e5a3c0u + index * 0x60u));
    return std::string(power::kPersistentConnectionPrefix) + "[SpringBoard," + std::to_string(kSpringBoardPid) + "," +
           address + "," + std::string(bundle) + "]";
}

void BackgroundApps::start(double now) {
    for (App& app : apps_) schedule(app, now + app.every);
}

void BackgroundApps::schedule(App& app, double ownTime) {
    app.ownTime = ownTime;
    power_.schedulePowerEvent(plist::Date{wallStart_ + ownTime}, app.scheduler, kWakeType);
}

BackgroundApps::App* BackgroundApps::find(std::string_view scheduler) {
    for (App& app : apps_) {
        if (app.scheduler == scheduler) return &app;
    }
    return nullptr;
}

const BackgroundApps::App* BackgroundApps::find(std::string_view scheduler) const {
    return const_cast<BackgroundApps*>(this)->find(scheduler);
}

std::optional<std::string> BackgroundApps::bundleOf(std::string_view scheduler) const {
    if (const App* app = find(scheduler)) return app->bundle;
    return std::nullopt;
}

void BackgroundApps::fired(std::string_view scheduler, double eventTime, double now) {
    App* app = find(scheduler);
    if (app == nullptr) return;
    ++fired_;
    pending_.push_back(app->ownTime);
    // The fired event leaves the list; the next one is due a wake interval later.
    power_.cancelScheduledPowerEvent(plist::Date{wallStart_ + eventTime}, app->scheduler, kWakeType);
    schedule(*app, now + app->every);
}

std::size_t BackgroundApps::deliverPending(double now) {
    const std::size_t count = pending_.size();
    for (double ownTime : pending_) delays_.push_back(std::max(0.0, now - ownTime));
    pending_.clear();
    return count;
}

std::vector<double> BackgroundApps::undeliveredDelays(double end) const {
    std::vector<double> waiting;
    for (double ownTime : pending_) waiting.push_back(std::max(0.0, end - ownTime));
    return waiting;
}

std::vector<double> BackgroundApps::unfiredDelays(double end) const {
    // Each application has one event scheduled at a time, due at its own time.
    std::vector<double> waiting;
    for (const App& app : apps_) {
        if (app.ownTime < end) waiting.push_back(end - app.ownTime);
    }
    return waiting;
}

}  // namespace corvane::sim
