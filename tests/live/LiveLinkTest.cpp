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

}  // namespace
}  // namespace corvane::testing
