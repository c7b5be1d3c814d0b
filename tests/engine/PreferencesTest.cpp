// The settings file and the application lists as the engine reads them, and
// the missing keys it writes back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "shared/AtomicFile.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAreArray;

std::optional<plist::Dictionary> readSettings() { return plist::readDictionary(paths::resolve(paths::kSettings)); }

std::string fileBytes(const std::filesystem::path& path) { return readWholeFile(path).value_or(""); }

using PreferencesTest = LaunchedPhoneTest;

TEST_F(PreferencesTest, OnlyStrategyFiveWritesEveryMissingKeyOnceAndPostsNothing) {
    writeSettings({{"Strategy", 5}});
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
    EXPECT_EQ(host->darwin().postCount(notifications::kPreferencesChanged), 0u);

    // The Custom strategy is in force with those values.
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyCustom);
    EXPECT_DOUBLE_EQ(engine()->currentStrategy()->radioTimerDurationAtSleep, 5.0);
    EXPECT_TRUE(access().manageLowPowerMode());

    // Nothing is missing any more: a second reload writes nothing.
    const std::string complete = fileBytes(settingsPath());
    engine()->reloadPrefs();
    EXPECT_EQ(fileBytes(settingsPath()), complete);
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
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyAggressive);
    EXPECT_DOUBLE_EQ(engine()->currentStrategy()->radioTimerDurationAtSleep, 5.0);
    EXPECT_EQ(engine()->currentStrategy()->wifi, kRadioAuto);

    // As Custom, the same keys are read, and odd values are kept as they are.
    writeSettings({{"Strategy", 5}, {"RadioTimerDurationAtSleep", 99.0}, {"WiFi", 7}, {"3GAtSleep", "1"}});
    engine()->reloadPrefs();
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyCustom);
    EXPECT_DOUBLE_EQ(engine()->currentStrategy()->radioTimerDurationAtSleep, 99.0);
    EXPECT_EQ(engine()->currentStrategy()->wifi, 7);
    EXPECT_EQ(engine()->currentStrategy()->threeGAtSleep, kRadioOn);
}

TEST_F(PreferencesTest, CustomOnACStartsWithNoneAndKeepsTheCustomValuesForLater) {
    engine()->setOnAC(true);
    writeSettings({{"Strategy", 5}, {"NoneOnAC", true}, {"RadioTimerDurationAtSleep", 42.0}});
    engine()->reloadPrefs();
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyNone);

    engine()->acPowerChanged(false, nullptr);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyCustom);
    EXPECT_DOUBLE_EQ(engine()->currentStrategy()->radioTimerDurationAtSleep, 42.0);
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
        EXPECT_EQ(access().radios().minAllowedRate(), c.minimum);
        EXPECT_EQ(access().radios().maxAllowedRate(), c.maximum);
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
    }
    EXPECT_DOUBLE_EQ(inForce->radioTimerDurationAtSleep, 5.0);
}

TEST_F(PreferencesTest, AMissingOrUnreadableSettingsFileKeepsWhatIsInForce) {
    const std::vector<std::optional<std::string>> files = {
        std::nullopt,                                                                         // deleted
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Strategy</key><integer>3",  // torn
        std::string("\x00\xff garbage", 11),
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><integer>3</integer></array></plist>",  // wrong root
    };
    for (const std::optional<std::string>& bytes : files) {
        SCOPED_TRACE(bytes.value_or("deleted"));
        writeSettings({{"Strategy", 3}, {"LowPowerMode", false}});
        engine()->reloadPrefs();
        const Strategie* inForce = engine()->currentStrategy();
        ASSERT_EQ(inForce->strategy, kStrategyAggressive);

        if (bytes)
            writeFileAtomically(settingsPath(), *bytes);
        else
            std::filesystem::remove(settingsPath());
        engine()->reloadPrefs();
        EXPECT_EQ(engine()->currentStrategy(), inForce);
        EXPECT_FALSE(access().manageLowPowerMode());
        // Neither replaced by a file of defaults nor created.
        if (bytes)
            EXPECT_EQ(fileBytes(settingsPath()), *bytes);
        else
            EXPECT_FALSE(std::filesystem::exists(settingsPath()));
    }
    // A link to settings elsewhere is not followed, a FIFO does not block;
    // each stays as it is.
    const std::filesystem::path elsewhere = paths::resolve("/private/elsewhere.plist");
    ASSERT_TRUE(plist::writeFile(elsewhere, plist::Value(plist::Dictionary{{"Strategy", 1}})));
    for (const bool link : {true, false}) {
        writeSettings({{"Strategy", 3}});
        engine()->reloadPrefs();
        std::filesystem::remove(settingsPath());
        link ? std::filesystem::create_symlink(elsewhere, settingsPath())
             : (void)::mkfifo(settingsPath().c_str(), 0600);
        engine()->reloadPrefs();
        EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyAggressive) << link;
        EXPECT_EQ(std::filesystem::symlink_status(settingsPath()).type(),
                  link ? std::filesystem::file_type::symlink : std::filesystem::file_type::fifo);
        std::filesystem::remove(settingsPath());
    }

    // It counts again once it is readable.
    writeSettings({{"Strategy", 1}});
    engine()->reloadPrefs();
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyIMessage);
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
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyCustom);
    EXPECT_TRUE(access().manageLowPowerMode());
    EXPECT_DOUBLE_EQ(engine()->currentStrategy()->radioTimerDurationAtSleep, 12.5);
    EXPECT_DOUBLE_EQ(engine()->currentStrategy()->wakeIntervalMinutes, 30.0);
    EXPECT_DOUBLE_EQ(engine()->currentStrategy()->radioTimerDurationAtWakeup, 3.0);
    EXPECT_EQ(engine()->currentStrategy()->edge, kRadioAuto);

    // Present keys of the wrong type are left as the app wrote them.
    std::optional<plist::Dictionary> stored = readSettings();
    ASSERT_TRUE(stored.has_value());
    for (const auto& [key, value] : settings) EXPECT_EQ(*stored->find(key), value) << key;
}

TEST_F(PreferencesTest, ApplicationListsCountOnlyTheirYesEntriesAndBrokenListsAreEmpty) {
    writeSettings({{"Strategy", 2}});
    writeFile(paths::kShutdownList, {{"com.example.game", true}, {"com.example.quiet", false}});
    writeFileAtomically(paths::resolve(paths::kKeepList), "not a property list");
    writeFileAtomically(paths::resolve(paths::kDelayList),
                        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>");
    host->homeScreen().addApplication("com.example.game", "Game");
    host->homeScreen().addApplication("com.example.quiet", "Quiet");
    engine()->reloadPrefs();
    EXPECT_TRUE(engine()->isShutdownApp(host->homeScreen().application("com.example.game")));
    EXPECT_FALSE(engine()->isShutdownApp(host->homeScreen().application("com.example.quiet")));
    EXPECT_TRUE(access().keepApps().empty());
    EXPECT_TRUE(access().noDelayApps().empty());
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

    // A directory in the file's place is moved aside, and the file written.
    const std::filesystem::path namesPath = paths::resolve(paths::kApplicationNames);
    std::filesystem::remove(namesPath);
    std::filesystem::create_directories(namesPath / "inside");
    host->darwin().post(notifications::kApplicationListRequest);
    host->loop().runPending();
    EXPECT_EQ(plist::readDictionary(namesPath), names);
    EXPECT_TRUE(std::filesystem::is_directory(namesPath.string() + ".unreadable-20270115T080000Z/inside"));
}

TEST_F(PreferencesTest, AFloodOfPostsCostsEachHandlerOneRun) {
    writeSettings({{"Strategy", 3}});
    host->homeScreen().addApplication("com.example.mail", "Mail");
    engine()->postPostInit();
    host->log().clear();
    for (int i = 0; i < 50'000; ++i) {
        host->darwin().post(notifications::kPreferencesChanged);
        host->darwin().post(notifications::kApplicationListRequest);
    }
    host->loop().runPending();
    EXPECT_EQ(logCount("in force (chosen"), 1u);
    EXPECT_EQ(logCount("Application names file: 1 entries"), 1u);
    // Once handled, the next post is handled again.
    host->darwin().post(notifications::kPreferencesChanged);
    host->loop().runPending();
    EXPECT_EQ(logCount("in force (chosen"), 2u);
}

}  // namespace
}  // namespace corvane::testing
