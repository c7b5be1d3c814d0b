// The preference model: reloading the settings file and filling in missing
// keys, saving without losing other keys, unreadable files, and keeping the
// two data-rate restrictions coherent.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <vector>

#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::PlistController;
using namespace settings;

class PlistControllerTest : public AppTest {
protected:
    PlistController& model() { return PlistController::sharedInstance(); }

    static const plist::Value& at(const plist::Dictionary& file, std::string_view key) {
        static const plist::Value none(std::string("<missing>"));
        const plist::Value* value = file.find(key);
        return value != nullptr ? *value : none;
    }
};

TEST_F(PlistControllerTest, FileLackingEveryKeyIsFilledInOneWriteAndOneNotification) {
    writeSettings({{"Unknown", plist::Value("kept")}});
    // Values changed on screens but not saved yet are what a missing key gets.
    model().setStrategy(4);
    model().setRadioTimerDurationAtSleep(12.5);
    model().setEnableSaveStats(false);

    model().reloadPrefs();

    EXPECT_EQ(preferencesChangedCount(), 1u);
    const auto file = settingsFile();
    ASSERT_TRUE(file);
    // As 32 writes of one key each left it: in the reading order, after the
    // key the file held.
    ASSERT_EQ(file->size(), 33u);
    EXPECT_EQ(std::next(file->begin())->first, kDebug);
    EXPECT_EQ(std::prev(file->end())->first, kBluetoothAtSleep);

    // Every key, with what the app writes for it: NO, YES, the model's value
    // (some booleans as 0 or 1), or 0 for the rates and the radios.
    using V = plist::Value;
    std::vector<std::pair<std::string_view, plist::Value>> expected{{"Unknown", V("kept")},
                                                                    {kStrategy, V(4)},
                                                                    {kRadioTimerDurationAtSleep, V(12.5)},
                                                                    {kRadioTimerDurationAtWakeup, V(3.0)},
                                                                    {kWakeInterval, V(15.0)}};
    const auto each = [&](std::initializer_list<std::string_view> keys, const V& value) {
        for (std::string_view key : keys) expected.emplace_back(key, value);
    };
    each({kDebug, kDisableIcon}, V(false));
    each({kLowPowerMode, kCarMode, kEnabledAllRadios, kEnabledAllRadiosInBackground, kEnabledEdgeOffOnWifi}, V(true));
    each({kNoneOnAC, kSwitchRadiosOnLock, kSaveLastState}, V(1));
    each({kMinRate, kMaxRate, kManageCriticalLevel, kSaveStats, kEdge, k3G, k4G, kWiFi, kLocation, kPush, kBluetooth,
          kEdgeAtSleep, k3GAtSleep, k4GAtSleep, kWiFiAtSleep, kLocationAtSleep, kPushAtSleep, kBluetoothAtSleep},
         V(0));
    for (const auto& [key, value] : expected) EXPECT_EQ(at(*file, key), value) << key;
    EXPECT_EQ(file->size(), expected.size());

    // CarMode reaches the model only at the next reload; the radio states
    // are 0 at once although their creation defaults are 2.
    EXPECT_FALSE(model().carMode());
    EXPECT_EQ(model().edgeAtSleep(), 0);

    model().reloadPrefs();
    EXPECT_TRUE(model().carMode());
    EXPECT_EQ(preferencesChangedCount(), 1u);
}

TEST_F(PlistControllerTest, MissingUnreadableOrUnwritableFileNeverLosesTheModel) {
    model().setStrategy(5);
    model().reloadPrefs();
    EXPECT_FALSE(std::filesystem::exists(paths::resolve(paths::kSettings)));
    EXPECT_EQ(model().strategy(), 5);
    EXPECT_EQ(preferencesChangedCount(), 0u);

    // Opened before the engine ever ran: no preferences folder yet. The first
    // setting saved makes it.
    std::filesystem::remove_all(paths::resolve(paths::kPreferencesFolder));
    EXPECT_TRUE(model()._saveValueToFile("", kDebug, plist::Value(false)));
    EXPECT_EQ(settingsFile(), (plist::Dictionary{{"Debug", plist::Value(false)}}));
    EXPECT_EQ(preferencesChangedCount(), 1u);

    // Malformed: read like a missing file, then a single-key write starts a
    // new file after moving the old one aside, whole.
    const std::string torn = "<?xml version=\"1.0\"?><plist><dict><key>Strategy</key><integer>3";
    { std::ofstream(paths::resolve(paths::kSettings)) << torn; }
    model().reloadPrefs();
    EXPECT_EQ(model().strategy(), 5);
    EXPECT_EQ(preferencesChangedCount(), 1u);
    model()._saveValueToFile("", kCarMode, plist::Value(true));
    EXPECT_EQ(settingsFile(), (plist::Dictionary{{"CarMode", plist::Value(true)}}));
    EXPECT_EQ(preferencesChangedCount(), 2u);
    EXPECT_EQ(movedAside(paths::kSettings),
              (std::map<std::string, std::string>{{"org.fernhill.Ampwise.plist.unreadable-20231114T221320Z", torn}}));
    EXPECT_TRUE(logged("moved aside to"));

    // A root that is not a dictionary: the whole model replaces it, and a
    // second copy moved aside in the same second keeps the first.
    writeFile(paths::kSettings, plist::Value(plist::Array{plist::Value(1), plist::Value("x")}));
    model().reloadPrefs();
    EXPECT_EQ(model().strategy(), 5);
    model().savePrefs();
    const auto file = settingsFile();
    ASSERT_TRUE(file);
    EXPECT_EQ(at(*file, kStrategy), plist::Value(5));
    EXPECT_EQ(preferencesChangedCount(), 3u);
    EXPECT_EQ(movedAside(paths::kSettings).size(), 2u);

    // A failed write (a file where the folder should be) notifies nothing,
    // and the model goes back to what was last saved.
    std::filesystem::remove_all(paths::resolve(paths::kPreferencesFolder));
    { std::ofstream(paths::resolve(paths::kPreferencesFolder)) << "not a folder"; }
    model().setEdge(1);
    EXPECT_FALSE(model().radioRestrictionChanged(2, true));
    EXPECT_FALSE(model()._saveValueToFile("", kDebug, plist::Value(true)));
    EXPECT_FALSE(std::filesystem::is_directory(paths::resolve(paths::kPreferencesFolder)));
    EXPECT_EQ(preferencesChangedCount(), 3u);
    EXPECT_EQ(model().edge(), 2);
    EXPECT_EQ(model().radioRestrictionForType(true), 0);
    EXPECT_EQ(model().strategy(), 5);
}

TEST_F(PlistControllerTest, AFileThatCannotBeReadIsKeptAndTheUserToldAtEachTry) {
    // Ultimate, padded past the size cap: cannot be read. Neither a reload
    // nor a change writes over it, and the user hears why each time.
    const std::string path = paths::resolve(paths::kSettings).string();
    const std::string padded =
        plist::toXml(plist::Value(plist::Dictionary{{"Strategy", plist::Value(4)}})) + std::string(2 << 20, ' ');
    ASSERT_TRUE(writeFileAtomically(path, padded));
    model().reloadPrefs();
    model().setStrategy(5);
    EXPECT_FALSE(model().savePrefs());
    EXPECT_FALSE(model()._saveValueToFile("", kCarMode, plist::Value(true)));
    EXPECT_EQ(readWholeFile(path, padded.size()), padded);
    EXPECT_TRUE(movedAside(paths::kSettings).empty());
    EXPECT_EQ(preferencesChangedCount(), 0u);
    EXPECT_EQ(model().strategy(), 2);
    ASSERT_EQ(alerts.size(), 3u);
    for (const app::SettingsAlert& alert : alerts) {
        EXPECT_NE(alert.message.find(path + ": too large"), std::string::npos) << alert.message;
    }
    EXPECT_EQ(alerts[1].title, "Setting not saved");
}

TEST_F(PlistControllerTest, EngineWrittenKeysAreReadAndKeptByBothWrites) {
    writeSettings({{"SwitchRadiosOnLock", plist::Value(0)},
                   {"Debug", plist::Value(1)},
                   {"BlockPopups", plist::Value(false)},
                   {"NoneOnAC", plist::Value(1)},
                   {"Strategy", plist::Value(5)}});
    model().reloadPrefs();
    EXPECT_FALSE(model().switchRadiosOnLock());
    EXPECT_TRUE(model().debug());
    const std::size_t fillIns = preferencesChangedCount();

    model().setSwitchRadiosOnLock(true);  // savePrefs does not own this key
    model().setWakeIntervalMinutes(30.0);
    model().setEnableSaveLastState(false);
    model().savePrefs();
    EXPECT_EQ(preferencesChangedCount(), fillIns + 1);
    const auto file = settingsFile().value_or(plist::Dictionary{});
    // Booleans as booleans, reals as reals, integers as integers.
    for (const auto& [key, value] :
         std::vector<std::pair<std::string_view, plist::Value>>{{kSwitchRadiosOnLock, plist::Value(0)},
                                                                {kBlockPopups, plist::Value(false)},
                                                                {kNoneOnAC, plist::Value(true)},
                                                                {kWakeInterval, plist::Value(30.0)},
                                                                {kEdge, plist::Value(0)}})
        EXPECT_EQ(at(file, key), value) << key;

    model()._saveValueToFile("", kSwitchRadiosOnLock, plist::Value(true));
    EXPECT_EQ(at(settingsFile().value(), kSwitchRadiosOnLock), plist::Value(true));
    EXPECT_EQ(preferencesChangedCount(), fillIns + 2);

    // Another file is read and rewritten itself, never given the settings.
    const std::string otherFile = std::string(paths::kPreferencesFolder) + "/org.fernhill.other.plist";
    writeFile(otherFile, plist::Value(plist::Dictionary{{"Own", plist::Value(3)}}));
    model()._saveValueToFile(otherFile, "Added", plist::Value(4));
    EXPECT_EQ(plist::readDictionary(paths::resolve(otherFile)),
              (plist::Dictionary{{"Own", plist::Value(3)}, {"Added", plist::Value(4)}}));
}

TEST_F(PlistControllerTest, ValuesOfAnyTypeGoThroughTheNumberConversions) {
    plist::Dictionary prefs;
    prefs.set(kDebug, plist::Value("YES"));
    prefs.set(kCarMode, plist::Value(plist::Date{1e9}));
    prefs.set(kWakeInterval, plist::Value("20.5"));
    prefs.set(kRadioTimerDurationAtSleep, plist::Value(std::numeric_limits<double>::quiet_NaN()));
    prefs.set(kRadioTimerDurationAtWakeup, plist::Value(std::numeric_limits<double>::infinity()));
    prefs.set(kStrategy, plist::Value(8589934595LL));  // 2^33 + 3
    prefs.set(kMinRate, plist::Value(8589934595LL));
    prefs.set(kMaxRate, plist::Value(2.9));
    prefs.set(kEdge, plist::Value("2"));
    prefs.set(k3G, plist::Value(plist::Dictionary{}));
    prefs.set(kBluetooth, plist::Value(-3));
    writeSettings(prefs);

    model().reloadPrefs();
    EXPECT_TRUE(model().debug());
    EXPECT_FALSE(model().carMode());
    EXPECT_DOUBLE_EQ(model().wakeIntervalMinutes(), 20.5);
    EXPECT_TRUE(std::isnan(model().radioTimerDurationAtSleep()));
    EXPECT_TRUE(std::isinf(model().radioTimerDurationAtWakeup()));
    EXPECT_EQ(model().strategy(), std::numeric_limits<std::int32_t>::max());  // read as 32 bits
    EXPECT_EQ(model().radioRestrictionForType(true), 8589934595LL);
    EXPECT_EQ(model().radioRestrictionForType(false), 2);
    EXPECT_EQ(model().edge(), 2);
    EXPECT_EQ(model().threeG(), 0);
    EXPECT_EQ(model().bluetooth(), -3);

    // The next save stores proper types in place of the odd ones, and
    // non-finite durations as they were read.
    model().savePrefs();
    const auto file = settingsFile().value_or(plist::Dictionary{});
    EXPECT_EQ(at(file, kDebug), plist::Value(true));
    EXPECT_EQ(at(file, kMaxRate), plist::Value(2));
    EXPECT_TRUE(std::isinf(at(file, kRadioTimerDurationAtWakeup).doubleValue()));
}

struct CoherenceCase {
    const char* name;
    bool support2G, support4G;
    std::int64_t min, max;  // bounds before the change, set in that order
    bool minimumChanged;    // which bound the user then sets
    std::int64_t newValue;
    bool expectedResult;
    std::int64_t expectedMin, expectedMax;
};

TEST_F(PlistControllerTest, RateRestrictionsStayCoherentWithEachOtherAndTheDevice) {
    const CoherenceCase cases[] = {
        {"min 2G under max 3G, with 4G", true, true, 0, 2, true, 1, true, 1, 3},
        {"min 2G under max 3G, without 4G", true, false, 0, 2, true, 1, true, 1, 0},
        {"min 3G under max 4G", true, true, 0, 3, true, 2, true, 2, 0},
        {"max 2G over min 2G", true, true, 1, 0, false, 1, true, 0, 1},
        {"max 4G over min 3G, with 2G", true, true, 2, 0, false, 3, true, 1, 3},
        {"max 4G over min 3G, without 2G", false, true, 2, 0, false, 3, true, 0, 3},
        {"max 3G over min 2G", true, true, 1, 0, false, 2, true, 0, 2},
        {"coherent pair", true, true, 1, 0, false, 3, false, 1, 3},
        {"no maximum", true, true, 0, 0, true, 3, false, 3, 0},
        {"no minimum", true, true, 0, 1, true, 0, false, 0, 1},
    };
    for (const CoherenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        useDevice(c.support2G, true, c.support4G);
        platform.notifications.clear();
        // Each setting step is coherent by itself (the other bound is still 0).
        if (c.min != 0) {
            ASSERT_FALSE(model().radioRestrictionChanged(c.min, true));
        }
        if (c.max != 0) {
            ASSERT_FALSE(model().radioRestrictionChanged(c.max, false));
        }

        EXPECT_EQ(model().radioRestrictionChanged(c.newValue, c.minimumChanged), c.expectedResult);
        EXPECT_EQ(model().radioRestrictionForType(true), c.expectedMin);
        EXPECT_EQ(model().radioRestrictionForType(false), c.expectedMax);
        const auto file = settingsFile().value_or(plist::Dictionary{});
        EXPECT_EQ(at(file, kMinRate), plist::Value(static_cast<long long>(c.expectedMin)));
        EXPECT_EQ(at(file, kMaxRate), plist::Value(static_cast<long long>(c.expectedMax)));
        EXPECT_EQ(preferencesChangedCount(), (c.min != 0) + (c.max != 0) + 1u);
        std::filesystem::remove(paths::resolve(paths::kSettings));
    }

    // Rates stored by hand are not range-checked: extremes reconcile without overflow.
    constexpr auto kLargest = std::numeric_limits<std::int64_t>::max();
    writeSettings({{"MinRate", plist::Value(static_cast<long long>(kLargest))},
                   {"MaxRate", plist::Value(static_cast<long long>(std::numeric_limits<std::int64_t>::min()))}});
    model().reloadPrefs();
    EXPECT_TRUE(model().ensureRateCoherence(true));
    EXPECT_EQ(model().radioRestrictionForType(false), 0);
    EXPECT_FALSE(model().ensureRateCoherence(true));
    EXPECT_TRUE(model().radioRestrictionChanged(kLargest, false));
    EXPECT_EQ(model().radioRestrictionForType(true), kLargest - 2);

    // A model made before the engine described the device reconciles with
    // the description once it reloads, as the rate screens show it.
    std::filesystem::remove(paths::resolve(paths::kMobileData));
    std::filesystem::remove(paths::resolve(paths::kSettings));
    PlistController::resetSharedInstance();
    model();
    MobileDataInfo described;
    described.setSupport2G(true);
    described.setSupport3G(true);
    described.setSupport4G(true);
    ASSERT_TRUE(described.saveToFile());
    model().reloadPrefs();
    ASSERT_FALSE(model().radioRestrictionChanged(2, false));
    EXPECT_TRUE(model().radioRestrictionChanged(1, true));
    EXPECT_EQ(model().radioRestrictionForType(false), 3);
}

}  // namespace
}  // namespace corvane::testing
