// The battery detail screens as a user meets them: the rows of the last
// battery state, the adapter sub-detail, odd or missing files, and the
// pull-to-refresh header.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "app/model/BatteryCellFormatter.h"
#include "app/model/DateText.h"
#include "app/model/DisplayFormat.h"
#include "app/model/UserDefaults.h"
#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/BatteryDetailViewController.h"
#include "app/screens/BatterySubDetailViewController.h"
#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::BatteryDetailViewController;
using app::BatterySubDetailViewController;
using app::EGORefreshTableHeaderView;

constexpr std::string_view kHomeSegue = "lastBattCell";
constexpr int kAdapterRow = 15;

class BatteryDetailTest : public AppTest {
protected:
    // The home screen, then the battery detail screen opened from it.
    BatteryDetailViewController& openDetail() {
        stack.setRootViewController(std::make_unique<app::ViewController>());
        stack.performSegue(*stack.topViewController(), kHomeSegue, nullptr);
        auto* screen = dynamic_cast<BatteryDetailViewController*>(stack.topViewController());
        EXPECT_NE(screen, nullptr);
        return *screen;
    }

    // "title=detail;" for each row.
    static std::string rows(app::TableViewController& screen) {
        std::string shown;
        for (int row = 0; row < screen.tableView().numberOfRowsInSection(0); ++row) {
            auto cell = screen.tableView().cellForRowAtIndexPath({0, row});
            shown += cell ? cell->text + "=" + cell->detailText + ";" : "<no cell>;";
        }
        return shown;
    }
    static std::string detail(app::TableViewController& screen, int row) {
        auto cell = screen.tableView().cellForRowAtIndexPath({0, row});
        return cell ? cell->detailText : "<no cell>";
    }

    static void writeState(const plist::Dictionary& state) { writeFile(paths::kLastBatteryState, plist::Value(state)); }

    static void writeRawState(std::string_view bytes) {
        writeFile(paths::kLastBatteryState, plist::Value(plist::Dictionary{}));
        std::ofstream(paths::resolve(paths::kLastBatteryState), std::ios::trunc) << bytes;
    }

    // Taps the adapter row; the sub-detail screen it opened, if any.
    BatterySubDetailViewController* openAdapterDetails(BatteryDetailViewController& screen) {
        screen.tableView().tapRowAtIndexPath({0, kAdapterRow});
        return dynamic_cast<BatterySubDetailViewController*>(stack.topViewController());
    }

    app::NavigationStack stack{app::AmpwiseStoryboard::make()};
};

TEST_F(BatteryDetailTest, ShowsEveryPropertyInOrderAndOpensTheAdapterDetails) {
    plist::Dictionary state{{"BatteryInstalled", true},
                            {"CycleCount", 12},
                            {"AppleRawCurrentCapacity", 1500},
                            {"AppleRawMaxCapacity", 1600},
                            {"DesignCapacity", 1810},
                            {"InstantAmperage", -350},
                            {"Temperature", 2500},
                            {"TimeRemaining", 95},
                            {"UpdateTime", 1'700'000'123},
                            {"Voltage", 3850},
                            {"IsCharging", false},
                            {"AtCriticalLevel", false},
                            {"AtWarnLevel", true},
                            {"FullyCharged", false},
                            {"Manufacturer", "A"}};
    state.set("AdapterDetails", plist::Dictionary{{"Description", "pd charger"}, {"Amperage", 2100}, {"Watts", 20}});
    state.set("Serial", plist::Array{"C0", "X"});
    state.set("battery-data", plist::Dictionary{{"Voltage", 1}});
    writeState(state);

    auto& screen = openDetail();
    EXPECT_EQ(rows(screen),
              "Battery installed ;)=YES;Charge cycle count=12;Current capacity=1500 mAh;Max capacity=1600 mAh;"
              "Design capacity=1810 mAh;Instant Amperage=-350 mA;Temperature=25.00°C (77.00°F);Time remaining=95 "
              "min;Measured on=" +
                  app::DateText::shortDateShortTime(1'700'000'123) +
                  ";Voltage =3.850 V;Is charging=NO;At critical level=NO;At warn level=YES;AC connected=nil;"
                  "Fully charged=NO;AC Adapter info=;Manufacturer=Apple;#Serial=N/A;");

    // A plain row leads nowhere.
    screen.tableView().tapRowAtIndexPath({0, 3});
    EXPECT_EQ(stack.depth(), 2u);

    auto* details = openAdapterDetails(screen);
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->title, "AC Adapter info");  // the row's words, not the file's key
    EXPECT_EQ(rows(*details), "Description=pd charger;Amperage=2100 mA;Power=20 W;");

    // A newer state written meanwhile shows on the way back.
    writeState(plist::Dictionary{{"Voltage", 4123}});
    stack.popViewControllerAnimated(true);
    EXPECT_EQ(detail(screen, 9), "4.123 V");
    EXPECT_EQ(detail(screen, 0), "nil");
}

TEST_F(BatteryDetailTest, FormatsValuesOfAnyTypeWithTheirRowsFormats) {
    const app::BatteryCellFormatter manufacturer("Manufacturer", "%@");
    EXPECT_EQ(manufacturer.format("B"), "B");
    EXPECT_EQ(manufacturer.format(7), "7");
    const app::BatteryCellFormatter voltage("Voltage ", "%0.3f V", 1000.0);
    EXPECT_EQ(voltage.format("3.9e3"), "3.900 V");
    EXPECT_EQ(voltage.format("high"), "0.000 V");
    EXPECT_EQ(voltage.format(plist::Data{1, 2}), "0.000 V");
    const app::BatteryCellFormatter current("Current capacity", "%@ mAh");
    EXPECT_EQ(current.format(1.5), "1.5 mAh");
    EXPECT_EQ(current.format(plist::Data{0x0a, 0x0b, 0x0c, 0x0d, 0x0e}), "<0a0b0c0d 0e> mAh");
    EXPECT_EQ(current.format(plist::Date{0.0}), "1970-01-01 00:00:00 +0000 mAh");

    // Object and numeric conversions never reach printf with the wrong
    // argument; missing arguments read as empty text or 0.
    using app::DisplayFormat;
    EXPECT_EQ(DisplayFormat::apply("%@ and %@", {std::string("x")}), "x and ");
    EXPECT_EQ(DisplayFormat::apply("%d%% %x", {std::string("12abc")}), "12% 0");
    EXPECT_EQ(DisplayFormat::apply("%5.1f|%-4s|%s", {2.26, std::string("ab"), 1.5}), "  2.3|ab  |1.5");
    EXPECT_EQ(DisplayFormat::apply("%n %c 100%", {std::string("a")}), "%n %c 100%");
    EXPECT_EQ(DisplayFormat::apply("%99999999999f", {1.0}).size(),
              static_cast<std::size_t>(DisplayFormat::kMaximumWidth));
    EXPECT_EQ(DisplayFormat::apply("%d", {std::nan("")}), "0");
}

TEST_F(BatteryDetailTest, MalformedFilesAndOddValuesNeverCrash) {
    auto allNil = [&](BatteryDetailViewController& screen) {
        for (int row = 0; row < 18; ++row)
            if (row != kAdapterRow && detail(screen, row) != "nil") return false;
        return detail(screen, kAdapterRow).empty();
    };
    auto& none = openDetail();  // no file: every row nil, the adapter row still leads on
    EXPECT_EQ(none.tableView().numberOfRowsInSection(0), 18);
    EXPECT_TRUE(allNil(none));
    ASSERT_NE(openAdapterDetails(none), nullptr);
    writeRawState("<?xml version=\"1.0\"?><plist><dict><key>Voltage</key><integer>38");
    EXPECT_TRUE(allNil(openDetail()));
    writeState({});
    writeFile(paths::kLastBatteryState, plist::Value(plist::Array{1, 2}));
    EXPECT_TRUE(allNil(openDetail()));

    writeState({{"Voltage", plist::Date{1'000.0}},
                {"Temperature", "warm"},
                {"UpdateTime", plist::Date{1'600'000'000.0}},
                {"CycleCount", 3.5},
                {"Manufacturer", 7},
                {"Serial", plist::Dictionary{}},
                {"AdapterDetails", plist::Array{plist::Dictionary{{"Watts", 5}}}}});
    auto& screen = openDetail();
    EXPECT_EQ(detail(screen, 6), "0.00°C (32.00°F)");
    EXPECT_EQ(detail(screen, 8), app::DateText::shortDateShortTime(1'600'000'000.0));
    EXPECT_EQ(detail(screen, 9), "1.000 V");
    EXPECT_EQ(detail(screen, 15), "N/A");
    // An adapter array is a plain row: tapping it opens nothing.
    EXPECT_EQ(openAdapterDetails(screen), nullptr);
    EXPECT_EQ(stack.depth(), 2u);

    // The file changes between showing a dictionary and opening it.
    writeState({{"AdapterDetails", plist::Dictionary{{"Watts", 5}}}});
    auto& fresh = openDetail();
    writeState({{"AdapterDetails", "gone"}});
    auto* details = openAdapterDetails(fresh);
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(rows(*details), "Description=nil;Amperage=nil;Power=nil;");
}

TEST_F(BatteryDetailTest, PullingPastTheThresholdReloadsTheFileAndKeepsTheHeaderVisible) {
    writeFile(paths::kAppUserDefaults, plist::Value(plist::Dictionary{{"Other", 1}}));
    writeState({{"Voltage", 3850}});
    auto& screen = openDetail();
    ASSERT_TRUE(screen._refreshHeaderView);
    EGORefreshTableHeaderView& header = *screen._refreshHeaderView;
    app::TableView& table = screen.tableView();

    table.dragTo(-64.0);  // short of the threshold
    table.endDragging();
    EXPECT_FALSE(screen.hasPendingWork());
    EXPECT_EQ(table.contentInset.top, 0.0);

    table.dragTo(-66.0);
    EXPECT_EQ(header._statusLabel.text, "Release to refresh status");
    writeState({{"Voltage", 4123}});
    table.endDragging();
    EXPECT_EQ(table.contentInset.top, 60.0);
    // A second pull before the refresh has run joins it.
    table.dragTo(-70.0);
    table.endDragging();
    // The refresh runs on the main queue's next turn, not inside the gesture.
    EXPECT_EQ(detail(screen, 9), "3.850 V");

    platform.now = 1'700'000'500.0;
    EXPECT_EQ(screen.runPendingWork(), 1u);
    EXPECT_EQ(detail(screen, 9), "4.123 V");
    EXPECT_EQ(header._state, EGORefreshTableHeaderView::RefreshState::Normal);
    const std::string lastUpdate = "Last update: " + app::DateText::shortDateShortTime(platform.now);
    EXPECT_EQ(header._lastUpdatedLabel.text, lastUpdate);

    // Remembered in the app's own defaults, beside their other keys.
    const auto defaults = plist::readDictionary(paths::resolve(paths::kAppUserDefaults));
    ASSERT_TRUE(defaults);
    ASSERT_TRUE(defaults->find(userdefaults::kRefreshHeaderLastRefresh));
    EXPECT_EQ(*defaults->find(userdefaults::kRefreshHeaderLastRefresh), plist::Value(lastUpdate));
    EXPECT_TRUE(defaults->contains("Other"));
    EXPECT_FALSE(settingsFile() && settingsFile()->contains(userdefaults::kRefreshHeaderLastRefresh));
}

TEST_F(BatteryDetailTest, UnreadableUserDefaultsStartEmptyAndAreRewritten) {
    writeFile(paths::kAppUserDefaults, plist::Value(plist::Dictionary{}));
    std::ofstream(paths::resolve(paths::kAppUserDefaults), std::ios::trunc) << "not a property list";
    app::UserDefaults& defaults = app::UserDefaults::standardUserDefaults();
    EXPECT_FALSE(defaults.objectForKey("Key"));
    defaults.setObject("Key", "value");
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(plist::readDictionary(paths::resolve(paths::kAppUserDefaults)), (plist::Dictionary{{"Key", "value"}}));
}

}  // namespace
}  // namespace corvane::testing
