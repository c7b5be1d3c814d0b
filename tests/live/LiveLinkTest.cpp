// The app and a live phone as separate processes meeting on a private D-Bus
// session bus (CTest runs each test under dbus-run-session), and what every
// program does without a bus.

#include <gtest/gtest.h>
#include <poll.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/model/PlistController.h"
#include "app/platform/AppPlatformFactory.h"
#include "app/platform/FileChangeWatch.h"
#include "app/screens/AppListViewController.h"
#include "shared/BusDarwinNotificationCenter.h"
#include "shared/DarwinBus.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
#include "shared/PropertyListFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

using nlohmann::json;

// A day that outlasts any test; at 100 times real time the engine's timers
// of seconds pass in milliseconds.
constexpr const char* kScenario = R"({"start": "2027-01-19T07:30:00Z", "duration": "24:00",
  "radios": {"wifi": true, "edge": true, "bluetooth": true, "location": true, "push": true},
  "settings": {"Strategy": 2, "Debug": true},
  "apps": [{"bundle": "com.apple.mobilemail", "name": "Mail"}, {"bundle": "com.spotify.client", "name": "Spotify"}],
  "events": [{"at": 0, "do": "wifi", "network": "Home", "bars": 3}, {"at": 1, "do": "unlock"}]})";

const Environment kNoBus{{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/corvane-test-bus"},
                         {"XDG_RUNTIME_DIR", std::nullopt}};

// A trace line holding every field given.
std::function<bool(const std::string&)> traced(json fields) {
    return [fields](const std::string& line) {
        const json parsed = json::parse(line, nullptr, false);
        return parsed.is_object() && std::all_of(fields.items().begin(), fields.items().end(), [&](const auto& field) {
                   return parsed.contains(field.key()) && parsed[field.key()] == field.value();
               });
    };
}

// Polls `descriptor` for what `events` asks at each turn, as a main loop
// would, until `done` or 30 s.
bool loopUntil(const std::function<bool()>& done, int descriptor, const std::function<short()>& events = {}) {
    const auto deadline = ChildProcess::Clock::now() + std::chrono::seconds(30);
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ChildProcess::Clock::now());
        if (left.count() <= 0) return false;
        pollfd watched{descriptor, events ? events() : short(POLLIN), 0};
        ::poll(&watched, 1, static_cast<int>(std::min<long>(left.count(), 1000)));
    }
    return true;
}
bool pumpUntil(platform::BusDarwinNotificationCenter& center, const std::function<bool()>& done) {
    return loopUntil([&] { return center.dispatchPending(), done(); }, center.fileDescriptor(),
                     [&] { return center.pollEvents(); });
}

class LiveLinkTest : public ::testing::Test {
protected:
    LiveLinkTest() : environment_({"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"}) {
        std::ofstream(root_.path() / "day.json") << kScenario;
        ::setenv("CORVANE_ROOT", phoneRoot().c_str(), 1);  // the app looks at the phone's files
    }
    ~LiveLinkTest() override { ProcessState::reset(); }
    std::filesystem::path phoneRoot() const { return root_.path() / "phone"; }
    ChildProcess startPhone(const Environment& environment = {}) {
        return ChildProcess({CORVANE_PHONESIM, "--live", "--speed", "100", "--root", phoneRoot().string(),
                             (root_.path() / "day.json").string()},
                            environment);
    }

    TemporaryRoot root_;
    SavedEnvironment environment_;
};

TEST_F(LiveLinkTest, AStrategyChosenInTheAppReachesALivePhoneAndTheApplicationListComesBack) {
    ChildProcess phone = startPhone();
    ASSERT_TRUE(phone.waitForLine(traced({{"system", "live"}, {"notifications", "session bus"}})));
    std::ostringstream appDiagnostics;
    auto platform = app::AppPlatformFactory::makePlatform(appDiagnostics);
    ASSERT_NE(platform->notificationPump(), nullptr) << appDiagnostics.str();
    app::AppPlatform::install(platform.get());

    // The user chooses Ultimate: the app writes the settings and posts; the
    // engine's debug lines (on in this scenario) show it reloading them.
    app::PlistController& preferences = app::PlistController::sharedInstance();
    preferences.reloadPrefs();
    preferences.setStrategy(4);
    preferences.savePrefs();
    ASSERT_TRUE(phone.waitForLine(traced({{"notification", notifications::kPreferencesChanged}})));
    EXPECT_TRUE(phone.waitForLine([](const std::string& line) {
        return line.find(R"("log")") != std::string::npos && line.find("Ultimate in force") != std::string::npos;
    }));

    // At the next lock every radio goes off; one sent for a time already
    // past runs now, and the sender is told.
    phone.send(R"({"at": 1, "do": "lock"})");
    for (const char* radio : {"wifi", "edge", "bluetooth", "location", "push"})
        EXPECT_TRUE(phone.waitForLine(traced({{"radio", radio}, {"on", false}}))) << radio;

    // The list editor asks for the applications as it appears; the engine's
    // answer lands while it is shown, and the screen shows them.
    phone.send(R"({"do": "unlock"})");
    app::AppListViewController screen;
    screen.loadViewIfNeeded();
    screen.viewWillAppear(false);
    screen.viewDidAppear(false);
    EXPECT_TRUE(
        loopUntil([&] { return screen.refreshIfNamesFileChanged(), screen.tableView().numberOfRowsInSection(0) > 0; },
                  screen.namesFileDescriptor()));
    EXPECT_EQ(screen.sortedApps, (std::vector<std::string>{"Mail", "Spotify"}));
    EXPECT_EQ(phone.finish(), 0);
    EXPECT_EQ(appDiagnostics.str(), "");
    ASSERT_EQ(phone.errorLines().size(), 1u);
    EXPECT_NE(phone.errorLines()[0].find("input line 1: at 1 s is past"), std::string::npos) << phone.errorLines()[0];
}

// The engine's debug lines that say it reloaded the settings.
std::size_t reloads(const ChildProcess& phone) {
    return std::count_if(phone.outputLines().begin(), phone.outputLines().end(), [](const std::string& line) {
        return line.find(R"("log")") != std::string::npos && line.find("in force (chosen") != std::string::npos;
    });
}
bool heardWake(const std::string& line) { return line.find("Reveived a wake event") != std::string::npos; }

TEST_F(LiveLinkTest, TheAppsFirstStartCostsOneReloadAndAFloodOfPostsAFewWhileThePhonesTimeMoves) {
    ChildProcess phone = startPhone();
    ASSERT_TRUE(
        phone.waitForLine([](const std::string& line) { return line.find("in force (") != std::string::npos; }));
    std::size_t before = reloads(phone);
    std::ostringstream appDiagnostics;
    auto platform = app::AppPlatformFactory::makePlatform(appDiagnostics);
    ASSERT_NE(platform->notificationPump(), nullptr) << appDiagnostics.str();
    app::AppPlatform::install(platform.get());
    // The app fills in the keys it misses; a post after its own, on the
    // same connection, is heard after it.
    app::PlistController::sharedInstance().reloadPrefs();
    platform->darwinNotifications().post(notifications::kWake);
    ASSERT_TRUE(phone.waitForLine(heardWake));
    EXPECT_EQ(reloads(phone) - before, 1u);
    EXPECT_EQ(plist::readDictionary(paths::resolve(paths::kSettings))->size(), 32u);

    before = reloads(phone);
    constexpr int kPosts = 100'000;
    for (int i = 0; i < kPosts; ++i) platform->darwinNotifications().post(notifications::kPreferencesChanged);
    platform->darwinNotifications().post(notifications::kWake);
    auto* pump = platform->notificationPump();
    ASSERT_TRUE(loopUntil([&] { return pump->dispatchPending(), (pump->pollEvents() & POLLOUT) == 0; },
                          pump->fileDescriptor(), [&] { return pump->pollEvents(); }));
    ASSERT_TRUE(
        phone.waitForLine([wakes = 0](const std::string& line) mutable { return heardWake(line) && ++wakes == 2; }));
    // At most one reload per batch the phone heard (each traced once, with
    // the phone's time, which kept moving).
    std::vector<double> heardAt;
    for (const std::string& line : phone.outputLines())
        if (traced({{"notification", notifications::kPreferencesChanged}})(line))
            heardAt.push_back(json::parse(line)["t"].get<double>());
    const std::size_t flood = reloads(phone) - before;
    ASSERT_GE(heardAt.size(), 3u);
    EXPECT_TRUE(flood >= 1 && flood <= heardAt.size() - 1 && flood <= kPosts / 100) << flood;
    EXPECT_GT(heardAt.back(), heardAt[1]);
    EXPECT_EQ(phone.finish(), 0);
}

TEST_F(LiveLinkTest, AWatcherPrintsEveryNameOnOneLineWithControlCharactersEscaped) {
    ChildProcess watcher({CORVANE_NOTIFY, "watch"});
    ASSERT_TRUE(
        watcher.waitForLine([](const std::string& line) { return line.find("watching") != std::string::npos; }, true));
    EXPECT_EQ(
        ChildProcess({CORVANE_NOTIFY, "post", "org.example.evil\nforged line\x1b[2J\\", "org.example.plain"}).finish(),
        0);
    ASSERT_TRUE(watcher.waitForLine([](const std::string& line) { return line == "org.example.plain"; }));
    ::kill(watcher.pid(), SIGTERM);
    EXPECT_EQ(watcher.finish(), 0);
    EXPECT_EQ(watcher.outputLines(),
              (std::vector<std::string>{"org.example.evil\\nforged line\\x1b[2J\\\\", "org.example.plain"}));
}

TEST_F(LiveLinkTest, EachRegisteredProcessHearsPostsOnItsOwnLoopThePosterIncluded) {
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
    poster->post("org.example.end");
    EXPECT_EQ(ownEcho, 0);  // nothing runs inside post: handlers wait for the loop
    ASSERT_TRUE(pumpUntil(*listener, [&] { return !everything.empty() && everything.back() == "org.example.end"; }));
    // The second post of a name joins the first when both waited together.
    EXPECT_EQ(std::count(everything.begin(), everything.end(), "org.example.other"), 1);
    EXPECT_EQ(everything.size(), 2u + static_cast<std::size_t>(heard));
    EXPECT_TRUE(heard == 1 || heard == 2) << heard;
    EXPECT_EQ(twice, heard);
    EXPECT_TRUE(pumpUntil(*poster, [&] { return ownEcho >= 1; }));
}

TEST_F(LiveLinkTest, ANotificationPostedByHandReachesTheEngineAndTheWatchers) {
    ChildProcess phone = startPhone();
    ASSERT_TRUE(phone.waitForLine(traced({{"system", "live"}, {"notifications", "session bus"}})));
    const std::string request(notifications::kApplicationListRequest);
    ChildProcess watcher({CORVANE_NOTIFY, "watch", request});
    ASSERT_TRUE(
        watcher.waitForLine([](const std::string& line) { return line.find("watching") != std::string::npos; }, true));
    app::FileChangeWatch namesFile(paths::resolve(paths::kApplicationNames));

    ChildProcess byHand({"dbus-send", "--session", "--type=signal", std::string(darwinbus::kObjectPath),
                         std::string(darwinbus::kInterface) + "." + std::string(darwinbus::kMember),
                         "string:" + request});
    ASSERT_EQ(byHand.finish(), 0);
    ASSERT_TRUE(loopUntil([&] { return namesFile.changed(); }, namesFile.fileDescriptor()));
    EXPECT_EQ(plist::readDictionary(paths::resolve(paths::kApplicationNames)),
              (plist::Dictionary{{"com.apple.mobilemail", "Mail"}, {"com.spotify.client", "Spotify"}}));

    // corvane-notify posts the same signal; the watcher hears only its one name.
    EXPECT_EQ(ChildProcess({CORVANE_NOTIFY, "post", std::string(notifications::kWake)}).finish(), 0);
    EXPECT_TRUE(phone.waitForLine(traced({{"notification", notifications::kWake}})));
    ::kill(watcher.pid(), SIGTERM);
    EXPECT_EQ(watcher.finish(), 0);
    EXPECT_EQ(watcher.outputLines(), std::vector<std::string>{request});
    EXPECT_EQ(phone.finish(), 0);
}

TEST_F(LiveLinkTest, WithoutABusEveryProgramSaysSoOnceAndKeepsItsNotificationsToItself) {
    // The phone: one line, and its own notifications still reach its engine.
    ChildProcess phone = startPhone(kNoBus);
    ASSERT_TRUE(phone.waitForLine(traced({{"system", "live"}, {"notifications", "inside the phone"}})));
    phone.send(R"({"do": "notify", "name": "org.fernhill.ampwise-apps"})");
    phone.send(R"({"do": "no such thing"})");
    phone.send(std::string(70'000, ' '));  // input that never ends a line is not kept
    ASSERT_EQ(phone.finish(), 0);
    ASSERT_EQ(phone.errorLines().size(), 3u);
    EXPECT_NE(phone.errorLines()[0].find("notifications stay inside the phone"), std::string::npos);
    EXPECT_NE(phone.errorLines()[1].find("input line 2"), std::string::npos);
    EXPECT_NE(phone.errorLines()[2].find("input line 3: longer than 64 KiB"), std::string::npos);
    EXPECT_TRUE(plist::readDictionary(paths::resolve(paths::kApplicationNames)));
    EXPECT_TRUE(phone.waitForLine([](const std::string& line) { return line.rfind("Battery:", 0) == 0; }));

    // The app: one line, and no pump for its loop to drive.
    for (const auto& [name, value] : kNoBus)
        value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    std::ostringstream diagnostics;
    auto platform = app::AppPlatformFactory::makePlatform(diagnostics);
    EXPECT_EQ(platform->notificationPump(), nullptr);
    EXPECT_EQ(diagnostics.str().find('\n'), diagnostics.str().size() - 1);
    EXPECT_NE(diagnostics.str().find("stay inside this process"), std::string::npos);
}

}  // namespace
}  // namespace corvane::testing
