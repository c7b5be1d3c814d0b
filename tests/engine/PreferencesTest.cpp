// The settings file and the application lists as the engine reads them, and
// the missing keys it writes back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "engine/edgewifi/Edge2WiFiManager.h"
#include "shared/AtomicFile.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAreArray;

// Counts the files renamed into a folder, as every atomic rewrite does.
class RewriteCounter {
public:
    explicit RewriteCounter(const std::filesystem::path& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        // The temporary names of the moves keep the kernel from merging
        // successive renames onto the same name into one event.
        if (fd_ >= 0) inotify_add_watch(fd_, folder.c_str(), IN_MOVED_FROM | IN_MOVED_TO);
    }
    ~RewriteCounter() {
        if (fd_ >= 0) close(fd_);
    }
    bool watching() const { return fd_ >= 0; }

    // Rewrites of the named file since the last call.
    int take(const std::string& name) {
        int count = 0;
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t length = read(fd_, buffer, sizeof buffer);
            if (length <= 0) break;
            for (char* at = buffer; at < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if ((event->mask & IN_MOVED_TO) != 0 && event->len > 0 && name == event->name) ++count;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count;
    }

private:
    int fd_;
};

// The settings file's own name, as a rename into its folder reports it.
const std::string kSettingsName = std::filesystem::path(paths::kSettings).filename().string();

std::optional<plist::Dictionary> readSettings() { return plist::readDictionary(paths::resolve(paths::kSettings)); }

std::string fileBytes(const std::filesystem::path& path) { return readWholeFile(path).value_or(""); }

using PreferencesTest = LaunchedPhoneTest;

TEST_F(PreferencesTest, OnlyStrategyFiveWritesEveryMissingKeyOnceAndPostsNothing) {
    writeSettings({{"Strategy", 5}});
    RewriteCounter rewrites(settingsPath().parent_path());
    ASSERT_TRUE(rewrites.watching());

    engine()->reloadPrefs();

    // Each missing key in the table's order, with the type the app expects.
    // clang-format off
    const std::vector<std::pair<std::string, plist::Value>> expected = {
        {"Strategy", 5}, {"Debug", 1}, {"NoneOnAC", 1}, {"SwitchRadiosOnLock", 0}, {"MinRate", 0}, {"MaxRate", 0},
        {"EnabledAllRadios", true}, {"EnabledAllRadiosInBackground", true}, {"EnabledEdgeOffOnWifi", true},
        {"RadioTimerDurationAtSleep", 5.0}, {"RadioTimerDurationAtWakeup", 3.0}, {"WakeInterval", 30.0},
        {"ManageCriticalLevel", true}, {"SaveStats", true}, {"SaveLastState", true}, {"BlockPopups", false},
        {"Edge", 0}, {"3G", 0}, {"4G", 0}, {"WiFi", 0}, {"Location", 0}, {"Push", 0}, {"Bluetooth", 0},
        {"EdgeAtSleep", 0}, {"3GAtSleep", 0}, {"4GAtSleep", 0}, {"WiFiAtSleep", 0}, {"LocationAtSleep", 0},
        {"PushAtSleep", 0}, {"BluetoothAtSleep", 0}};
    // clang-format on
    std::optional<plist::Dictionary> settings = readSettings();
    ASSERT_TRUE(settings.has_value());
    std::vector<std::pair<std::string, plist::Value>> stored(settings->begin(), settings->end());
    EXPECT_THAT(stored, ElementsAreArray(expected));
    EXPECT_EQ(rewrites.take(kSettingsName), static_cast<int>(expected.size()) - 1);
    EXPECT_EQ(host->darwin().postCount(notifications::kPreferencesChanged), 0u);

    // The Custom strategy is in force with those values.
    ASSERT_NE(engine()->strategy, nullptr);
    EXPECT_EQ(engine()->strategy, engine()->baseStrategy);
    EXPECT_EQ(engine()->strategy->strategy, kStrategyCustom);
    EXPECT_DOUBLE_EQ(engine()->strategy->radioTimerDurationAtSleep, 5.0);
    EXPECT_EQ(engine()->strategy->edgeAtSleep, kRadioAuto);
    EXPECT_TRUE(engine()->manageLowPowerMode);
    EXPECT_TRUE(CommonToAllStrategies::sharedInstance().carMode());
    EXPECT_FALSE(CommonToAllStrategies::sharedInstance().blockPopups());

    // Nothing is missing any more: a second reload writes nothing.
    engine()->reloadPrefs();
    EXPECT_EQ(rewrites.take(kSettingsName), 0);
}

TEST_F(PreferencesTest, CustomKeysCountOnlyForTheCustomStrategy) {
    const plist::Dictionary settings{{"Debug", true},
                                     {"NoneOnAC", false},
                                     {"Strategy", 3},
                                     {"SwitchRadiosOnLock", 1},
                                     {"MinRate", 0},
                                     {"MaxRate", 0},
                                     {"RadioTimerDurationAtSleep", 99.0},
                                     {"WiFi", 1}};
    writeSettings(settings);
    const std::string before = fileBytes(settingsPath());
    engine()->reloadPrefs();
    EXPECT_EQ(fileBytes(settingsPath()), before);
    EXPECT_EQ(engine()->strategy->strategy, kStrategyAggressive);
    EXPECT_DOUBLE_EQ(engine()->strategy->radioTimerDurationAtSleep, 5.0);
    EXPECT_EQ(engine()->strategy->wifi, kRadioAuto);
    EXPECT_TRUE(CommonToAllStrategies::sharedInstance().switchRadiosOnLock());

    // As Custom, the same keys are read, and odd values are kept as they are.
    writeSettings({{"Strategy", 5}, {"RadioTimerDurationAtSleep", 99.0}, {"WiFi", 7}, {"3GAtSleep", "1"}});
    engine()->reloadPrefs();
    EXPECT_EQ(engine()->strategy->strategy, kStrategyCustom);
    EXPECT_DOUBLE_EQ(engine()->strategy->radioTimerDurationAtSleep, 99.0);
    EXPECT_EQ(engine()->strategy->wifi, 7);
    EXPECT_EQ(engine()->strategy->threeGAtSleep, kRadioOn);
}

TEST_F(PreferencesTest, CustomOnACStartsWithNoneAndKeepsTheCustomValuesForLater) {
    engine()->onAC = true;
    writeSettings({{"Strategy", 5}, {"NoneOnAC", true}, {"RadioTimerDurationAtSleep", 42.0}});
    engine()->reloadPrefs();
    EXPECT_EQ(engine()->strategy->strategy, kStrategyNone);
    EXPECT_EQ(engine()->baseStrategy->strategy, kStrategyCustom);
    EXPECT_DOUBLE_EQ(engine()->baseStrategy->radioTimerDurationAtSleep, 42.0);

    engine()->acPowerChanged(false, nullptr);
    EXPECT_EQ(engine()->strategy, engine()->baseStrategy);
    EXPECT_DOUBLE_EQ(engine()->strategy->radioTimerDurationAtSleep, 42.0);
}

TEST_F(PreferencesTest, RateCodesBecomeTheRadioGatewaysLimits) {
    using platform::DataRate;
    struct Case {
        int code;
        std::optional<DataRate> minimum;
        std::optional<DataRate> maximum;
    };
    const Case cases[] = {{0, std::nullopt, std::nullopt},
                          {1, DataRate::Rate2G, std::nullopt},
                          {2, DataRate::Rate3G, DataRate::Rate3G},
                          {3, std::nullopt, DataRate::Rate4G},
                          {9, std::nullopt, std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        writeSettings({{"Strategy", 2}, {"MinRate", c.code}, {"MaxRate", c.code}});
        engine()->reloadPrefs();
        EXPECT_EQ(engine()->radiosLib->minAllowedRate(), c.minimum);
        EXPECT_EQ(engine()->radiosLib->maxAllowedRate(), c.maximum);
    }
}

TEST_F(PreferencesTest, AnUnknownStrategyNumberKeepsTheStrategyInForce) {
    writeSettings({{"Strategy", 3}});
    engine()->reloadPrefs();
    const Strategie* inForce = engine()->currentStrategy();
    for (int number : {9, -1}) {
        writeSettings({{"Strategy", number}, {"RadioTimerDurationAtSleep", 1.0}});
        engine()->reloadPrefs();
        EXPECT_EQ(engine()->currentStrategy(), inForce);
        EXPECT_EQ(engine()->userStrategy(), inForce);
        EXPECT_EQ(logCount("Strategy " + std::to_string(number) + " is unknown"), 1u);
    }
    EXPECT_DOUBLE_EQ(inForce->radioTimerDurationAtSleep, 5.0);
}

TEST_F(PreferencesTest, UnreadableSettingsGiveTheDefaultsAndStayUntouched) {
    writeSettings({{"Strategy", 3}, {"LowPowerMode", false}});
    engine()->reloadPrefs();
    ASSERT_EQ(engine()->strategy->strategy, kStrategyAggressive);

    const std::vector<std::string> unreadable = {
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Strategy</key><integer>3",  // torn
        std::string("\x00\xff garbage", 11),
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><integer>3</integer></array></plist>",  // wrong root
    };
    for (const std::string& bytes : unreadable) {
        writeFileAtomically(settingsPath(), bytes);
        useStrategy(kStrategyAggressive);
        engine()->manageLowPowerMode = false;
        engine()->reloadPrefs();
        EXPECT_EQ(engine()->strategy->strategy, kStrategyNormal);
        EXPECT_TRUE(engine()->manageLowPowerMode);
        EXPECT_EQ(fileBytes(settingsPath()), bytes);  // not replaced by a file of defaults
    }
    EXPECT_EQ(logCount("is not a readable dictionary, using the defaults"), unreadable.size());
    EXPECT_GE(logCount("COULD NOT be created"), 1u);
}

TEST_F(PreferencesTest, ValuesOfUnexpectedTypesGiveDefaultsOrConversions) {
    plist::Dictionary settings{{"Debug", plist::Dictionary{{"a", 1}}}, {"Strategy", "5"},  // a numeric string converts
                               {"LowPowerMode", plist::Array{true}},   {"RadioTimerDurationAtSleep", "12.5"},
                               {"WakeInterval", plist::Date{1000.0}},  {"Edge", plist::Array{}}};
    writeSettings(settings);
    // A real that is not a number would make a timer of no duration at all.
    std::string bytes = fileBytes(settingsPath());
    const std::string nan = "<key>RadioTimerDurationAtWakeup</key><real>nan</real>";
    bytes.insert(bytes.rfind("</dict>"), nan);
    writeFileAtomically(settingsPath(), bytes);
    engine()->reloadPrefs();
    EXPECT_TRUE(DebugLog::debugEnabled());
    EXPECT_EQ(engine()->strategy->strategy, kStrategyCustom);
    EXPECT_TRUE(engine()->manageLowPowerMode);
    EXPECT_DOUBLE_EQ(engine()->strategy->radioTimerDurationAtSleep, 12.5);
    EXPECT_DOUBLE_EQ(engine()->strategy->wakeIntervalMinutes, 30.0);
    EXPECT_DOUBLE_EQ(engine()->strategy->radioTimerDurationAtWakeup, 3.0);
    EXPECT_EQ(engine()->strategy->edge, kRadioAuto);
    EXPECT_GE(logCount("holds no number"), 4u);
    EXPECT_EQ(logCount("RadioTimerDurationAtWakeup holds no finite number"), 1u);

    // Present keys of the wrong type are left as the app wrote them.
    std::optional<plist::Dictionary> stored = readSettings();
    ASSERT_TRUE(stored.has_value());
    for (const auto& [key, value] : settings) EXPECT_EQ(*stored->find(key), value) << key;
}

TEST_F(PreferencesTest, ADeletedSettingsFileChangesNothing) {
    writeSettings({{"Strategy", 3}});
    writeFile(paths::kShutdownList, {{"com.example.game", true}});
    engine()->reloadPrefs();
    const Strategie* inForce = engine()->currentStrategy();

    std::filesystem::remove(settingsPath());
    std::filesystem::remove(paths::resolve(paths::kShutdownList));
    engine()->reloadPrefs();
    EXPECT_EQ(engine()->currentStrategy(), inForce);
    EXPECT_EQ(engine()->shutdownApps.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(settingsPath()));
    EXPECT_EQ(logCount("File not found : "), 1u);

    // It counts again once it reappears.
    writeSettings({{"Strategy", 1}});
    engine()->reloadPrefs();
    EXPECT_EQ(engine()->strategy->strategy, kStrategyIMessage);
    EXPECT_TRUE(engine()->shutdownApps.empty());
}

TEST_F(PreferencesTest, ApplicationListsAreLoadedUnderTheManagersLock) {
    writeSettings({{"Strategy", 2}});
    writeFile(paths::kShutdownList, {{"com.example.game", true}, {"com.example.quiet", false}});
    writeFileAtomically(paths::resolve(paths::kKeepList), "not a property list");
    writeFileAtomically(paths::resolve(paths::kDelayList),
                        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>");
    host->homeScreen().addApplication("com.example.game", "Game");
    host->homeScreen().addApplication("com.example.quiet", "Quiet");

    std::atomic<int> lockedWhileLoading{-1};
    host->log().setObserver([&](const std::string& line) {
        if (line.find("Radios-off list") == std::string::npos || lockedWhileLoading.load() != -1) return;
        std::thread probe([&] {
            std::mutex& lock = engine()->edge2WiFiManager->lock();
            if (lock.try_lock()) {
                lock.unlock();
                lockedWhileLoading = 0;
            } else {
                lockedWhileLoading = 1;
            }
        });
        probe.join();
    });
    engine()->reloadPrefs();
    host->log().setObserver({});

    EXPECT_EQ(lockedWhileLoading.load(), 1);
    EXPECT_TRUE(engine()->isShutdownApp(host->homeScreen().application("com.example.game")));
    EXPECT_FALSE(engine()->isShutdownApp(host->homeScreen().application("com.example.quiet")));
    EXPECT_TRUE(engine()->keepApps.empty());
    EXPECT_TRUE(engine()->noDelayApps.empty());
    EXPECT_EQ(logCount("is not a readable dictionary, the list is empty"), 2u);
}

TEST_F(PreferencesTest, AnotherWriterNeverLeavesATornSettingsFile) {
    writeSettings({{"Strategy", 5}});
    std::atomic<bool> stop{false};
    std::atomic<int> writes{0};
    std::atomic<int> reads{0};
    std::atomic<int> torn{0};

    // The app rewrites the file in a loop, always without most keys, so the
    // engine keeps filling them in meanwhile.
    std::thread writer([&] {
        for (int i = 0; !stop.load() && i < 100000; ++i) {
            plist::Dictionary settings{{"Strategy", 5}, {"Writer", i}};
            plist::writeFile(settingsPath(), plist::Value(std::move(settings)));
            ++writes;
        }
    });
    std::thread reader([&] {
        while (!stop.load()) {
            std::optional<plist::Dictionary> settings = readSettings();
            ++reads;
            if (!settings || !settings->contains("Strategy")) ++torn;
        }
    });
    while (writes.load() < 3) std::this_thread::yield();
    for (int round = 0; round < 4; ++round) engine()->reloadPrefs();
    stop = true;
    writer.join();
    reader.join();

    EXPECT_EQ(torn.load(), 0);
    EXPECT_GT(reads.load(), 0);
    std::optional<plist::Dictionary> last = readSettings();
    ASSERT_TRUE(last.has_value());
    EXPECT_TRUE(last->contains("Strategy"));
    EXPECT_EQ(engine()->strategy->strategy, kStrategyCustom);
    // No temporary file is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(settingsPath().parent_path())) {
        EXPECT_EQ(entry.path().filename().string().find(".corvane-"), std::string::npos) << entry.path();
    }
}

TEST_F(PreferencesTest, TheApplicationNamesFileListsEveryApplicationOnce) {
    host->homeScreen().addApplication("com.example.mail", "Mail");
    host->homeScreen().addApplication("com.example.game", "Game");
    host->homeScreen().addApplication("com.example.mail", "Mail Two");
    engine()->postPostInit();
    host->darwin().post(notifications::kApplicationListRequest);
    host->loop().runPending();

    std::optional<plist::Dictionary> names = plist::readDictionary(paths::resolve(paths::kApplicationNames));
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(names->size(), 2u);
    EXPECT_EQ(*names->find("com.example.mail"), plist::Value("Mail Two"));
    EXPECT_EQ(*names->find("com.example.game"), plist::Value("Game"));
}

}  // namespace
}  // namespace corvane::testing
