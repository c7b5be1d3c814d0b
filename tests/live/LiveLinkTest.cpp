// The app and a live phone as separate processes meeting on a private D-Bus
// session bus (the suite runs under dbus-run-session), and what happens
// without a bus.

#include <gtest/gtest.h>
#include <poll.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/model/PlistController.h"
#include "app/platform/FileChangeWatch.h"
#include "app/platform/SystemAppPlatform.h"
#include "app/screens/AppListViewController.h"
#include "shared/BusDarwinNotificationCenter.h"
#include "shared/DarwinBus.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

using nlohmann::json;

// A day long enough never to end during a test; the phone runs 100 times
// faster than real time, so its timers of seconds pass in milliseconds.
constexpr const char* kScenario = R"({
  "start": "2027-01-19T07:30:00Z", "duration": "24:00",
  "radios": {"wifi": true, "edge": true, "bluetooth": true, "location": true, "push": true},
  "settings": {"Strategy": 2, "Debug": true},
  "apps": [{"bundle": "com.apple.mobilemail", "name": "Mail"}, {"bundle": "com.spotify.client", "name": "Spotify"}],
  "events": [{"at": 0, "do": "wifi", "network": "Home", "bars": 3}, {"at": 1, "do": "unlock"}]
})";

// A bus address where no bus listens.
const std::pair<std::string, std::optional<std::string>> kNoBus{"DBUS_SESSION_BUS_ADDRESS",
                                                                "unix:path=/nonexistent/corvane-test-bus"};

// Whether a trace line holds every field given.
std::function<bool(const std::string&)> traced(json fields) {
    return [fields](const std::string& line) {
        const json parsed = json::parse(line, nullptr, false);
        if (!parsed.is_object()) return false;
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            if (!parsed.contains(it.key()) || parsed[it.key()] != it.value()) return false;
        }
        return true;
    };
}

class LiveLinkTest : public ::testing::Test {
protected:
    LiveLinkTest() : environment_({"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"}) {
        std::ofstream(scenarioFile()) << kScenario;
        // The app's side of the phone is the phone's root.
        ::setenv("CORVANE_ROOT", phoneRoot().c_str(), 1);
    }
    ~LiveLinkTest() override {
        app::AppPlatform::install(nullptr);
        app::PlistController::resetSharedInstance();
    }

    std::filesystem::path scenarioFile() const { return root_.path() / "day.json"; }
    std::filesystem::path phoneRoot() const { return root_.path() / "phone"; }

    std::unique_ptr<ChildProcess> startPhone(std::vector<std::pair<std::string, std::optional<std::string>>> env = {}) {
        auto phone = std::make_unique<ChildProcess>(
            std::vector<std::string>{CORVANE_PHONESIM, "--live", "--speed", "100", "--root", phoneRoot().string(),
                                     scenarioFile().string()},
            std::move(env));
        return phone;
    }

    // Waits until the engine has written the names file; its entries.
    std::optional<plist::Dictionary> waitForNamesFile(app::FileChangeWatch& watch) {
        const auto deadline = ChildProcess::Clock::now() + std::chrono::seconds(30);
        while (!watch.changed()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ChildProcess::Clock::now());
            pollfd watched{watch.fileDescriptor(), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
        }
        return plist::readDictionary(paths::resolve(paths::kApplicationNames));
    }

    TemporaryRoot root_;
    SavedEnvironment environment_;
};

TEST_F(LiveLinkTest, AStrategyChosenInTheAppReachesTheEngineOfALivePhoneAndTheApplicationListComesBack) {
    auto phone = startPhone();
    ASSERT_TRUE(phone->waitForLine(traced({{"system", "live"}, {"notifications", "session bus"}})));

    std::ostringstream appDiagnostics;
    auto platform = app::makeAppPlatform(appDiagnostics);
    ASSERT_NE(platform->notificationPump(), nullptr) << appDiagnostics.str();
    app::AppPlatform::install(platform.get());

    // The user chooses Ultimate: the app writes the settings and posts.
    app::PlistController& preferences = app::PlistController::sharedInstance();
    preferences.reloadPrefs();
    preferences.setStrategy(4);
    preferences.savePrefs();
    ASSERT_TRUE(phone->waitForLine(traced({{"notification", notifications::kPreferencesChanged}})));
    // The engine's debug lines (on in this scenario) say it reloaded them.
    EXPECT_TRUE(phone->waitForLine([](const std::string& line) {
        return line.find("\"log\"") != std::string::npos && line.find("Ultimate in force") != std::string::npos;
    }));

    // At the next lock every radio goes off.
    phone->send(R"({"do": "lock"})");
    for (const char* radio : {"wifi", "edge", "bluetooth", "location", "push"}) {
        EXPECT_TRUE(phone->waitForLine(traced({{"radio", radio}, {"on", false}}))) << radio;
    }

    // Back in the app, the list editor asks for the applications; the engine
    // answers while the screen is shown, and the screen shows them.
    phone->send(R"({"do": "unlock"})");
    app::AppListViewController screen;
    screen.loadViewIfNeeded();
    screen.viewWillAppear(false);
    screen.viewDidAppear(false);
    const auto deadline = ChildProcess::Clock::now() + std::chrono::seconds(30);
    while (screen.tableView().numberOfRowsInSection(0) == 0 && ChildProcess::Clock::now() < deadline) {
        pollfd watched{screen.namesFileDescriptor(), POLLIN, 0};
        ::poll(&watched, 1, 1000);
        screen.refreshIfNamesFileChanged();
    }
    EXPECT_EQ(screen.sortedApps, (std::vector<std::string>{"Mail", "Spotify"}));

    EXPECT_EQ(phone->finish(), 0);
    EXPECT_TRUE(appDiagnostics.str().empty()) << appDiagnostics.str();
}

// Drives a center as a main loop would until `done` or a deadline.
bool pumpUntil(platform::BusDarwinNotificationCenter& center, const std::function<bool()>& done) {
    const auto deadline = ChildProcess::Clock::now() + std::chrono::seconds(30);
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ChildProcess::Clock::now());
        if (left.count() <= 0) return false;
        pollfd watched{center.fileDescriptor(), center.pollEvents(), 0};
        ::poll(&watched, 1, center.waitMilliseconds(static_cast<int>(left.count())));
        center.dispatchPending();
    }
    return true;
}

TEST_F(LiveLinkTest, EachRegisteredProcessHearsAPostOnceOnItsOwnLoopThePosterIncluded) {
    std::string error;
    auto listener = platform::BusDarwinNotificationCenter::connect(&error);
    auto poster = platform::BusDarwinNotificationCenter::connect(&error);
    ASSERT_TRUE(listener && poster) << error;
    int heard = 0, twice = 0, ownEcho = 0;
    std::vector<std::string> everything;
    listener->registerDispatch("org.example.one", [&] { ++heard; });
    listener->registerDispatch("org.example.one", [&] { ++twice; });
    listener->observeAll([&](const std::string& name) { everything.push_back(name); });
    poster->registerDispatch("org.example.one", [&] { ++ownEcho; });

    poster->post("org.example.one");
    poster->post("org.example.other");
    poster->post("\xff\xfe not a name D-Bus can carry");
    poster->post("org.example.one");
    // Nothing runs inside post: handlers wait for the loop.
    EXPECT_EQ(ownEcho, 0);
    ASSERT_TRUE(pumpUntil(*listener, [&] { return everything.size() == 3; }));
    EXPECT_EQ(everything, (std::vector<std::string>{"org.example.one", "org.example.other", "org.example.one"}));
    EXPECT_EQ(heard, 2);
    EXPECT_EQ(twice, 2);
    ASSERT_TRUE(pumpUntil(*poster, [&] { return ownEcho == 2; }));
}

TEST_F(LiveLinkTest, ANotificationPostedByHandReachesTheEngineAndTheWatchers) {
    auto phone = startPhone();
    ASSERT_TRUE(phone->waitForLine(traced({{"system", "live"}, {"notifications", "session bus"}})));
    ChildProcess watcher({CORVANE_NOTIFY, "watch", std::string(notifications::kApplicationListRequest)});
    ASSERT_TRUE(watcher.waitForLine([](const std::string& line) { return line.find("watching") != std::string::npos; },
                                    30.0, true));
    app::FileChangeWatch namesFile(paths::resolve(paths::kApplicationNames));

    ChildProcess byHand({"dbus-send", "--session", "--type=signal", std::string(darwinbus::kObjectPath),
                         std::string(darwinbus::kInterface) + "." + std::string(darwinbus::kMember),
                         "string:" + std::string(notifications::kApplicationListRequest)});
    ASSERT_EQ(byHand.finish(), 0);
    const auto names = waitForNamesFile(namesFile);
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (plist::Dictionary{{"com.apple.mobilemail", "Mail"}, {"com.spotify.client", "Spotify"}}));
    EXPECT_TRUE(
        watcher.waitForLine([](const std::string& line) { return line == notifications::kApplicationListRequest; }));

    // corvane-notify posts the same signal.
    ChildProcess poster({CORVANE_NOTIFY, "post", std::string(notifications::kWake)});
    EXPECT_EQ(poster.finish(), 0);
    EXPECT_TRUE(phone->waitForLine(traced({{"notification", notifications::kWake}})));
    // The watcher was told to hear one name only.
    ::kill(watcher.pid(), SIGTERM);
    EXPECT_EQ(watcher.finish(), 0);
    EXPECT_EQ(watcher.outputLines(), (std::vector<std::string>{std::string(notifications::kApplicationListRequest)}));
    EXPECT_EQ(phone->finish(), 0);
}

TEST_F(LiveLinkTest, WithoutABusEveryProgramSaysSoOnceAndKeepsItsNotificationsToItself) {
    // The phone: one line on standard error, and its own notifications still reach its engine.
    auto phone = startPhone({kNoBus, {"XDG_RUNTIME_DIR", std::nullopt}});
    ASSERT_TRUE(phone->waitForLine(traced({{"system", "live"}, {"notifications", "inside the phone"}})));
    phone->send(R"({"do": "notify", "name": "org.fernhill.ampwise-apps"})");
    phone->send(R"({"do": "no such thing"})");
    ASSERT_EQ(phone->finish(), 0);
    ASSERT_EQ(phone->errorLines().size(), 2u);
    EXPECT_NE(phone->errorLines()[0].find("notifications stay inside the phone"), std::string::npos);
    EXPECT_NE(phone->errorLines()[1].find("input line 2"), std::string::npos);
    EXPECT_TRUE(plist::readDictionary(paths::resolve(paths::kApplicationNames)));
    EXPECT_TRUE(phone->waitForLine([](const std::string& line) { return line.rfind("Battery:", 0) == 0; }, 1.0));

    // The app: one line, and delivery inside its process.
    ::setenv(kNoBus.first.c_str(), kNoBus.second->c_str(), 1);
    ::unsetenv("XDG_RUNTIME_DIR");
    std::ostringstream diagnostics;
    auto platform = app::makeAppPlatform(diagnostics);
    EXPECT_EQ(platform->notificationPump(), nullptr);
    const std::string said = diagnostics.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_NE(said.find("stay inside this process"), std::string::npos);
    int heard = 0;
    platform->darwinNotifications().registerDispatch(notifications::kPreferencesChanged, [&] { ++heard; });
    platform->darwinNotifications().post(notifications::kPreferencesChanged);
    EXPECT_EQ(heard, 1);

    // The debugging tool has nothing to do without a bus: it says so and fails.
    ChildProcess notify({CORVANE_NOTIFY, "post", "org.example.one"}, {kNoBus, {"XDG_RUNTIME_DIR", std::nullopt}});
    EXPECT_EQ(notify.finish(), 1);
    ASSERT_EQ(notify.errorLines().size(), 1u);
    EXPECT_NE(notify.errorLines()[0].find("no session bus"), std::string::npos);
}

}  // namespace
}  // namespace corvane::testing
