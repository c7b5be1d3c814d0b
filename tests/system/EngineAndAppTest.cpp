// The engine and the companion app on one simulated phone: the app's screens
// write the settings and lists that the engine then follows, and show what
// the engine wrote (device capabilities, battery state, statistics, wake
// events). Darwin notifications pass between the two through the phone.

#include <gtest/gtest.h>

#include "app/model/PlistController.h"
#include "app/model/PlotDBLoader.h"
#include "app/platform/AppPlatform.h"
#include "app/platform/AutoWakeFileEvents.h"
#include "app/platform/SimulatedPhoneDevice.h"
#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/ListUITableViewCell.h"
#include "app/screens/NavigationStack.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "app/screens/TableViewController.h"
#include "engine/strategies/StrategyCustom.h"
#include "engine/strategies/StrategyUltimate.h"
#include "sim/PhoneLayout.h"
#include "sim/Scenario.h"
#include "sim/SimPowerManagement.h"
#include "tests/support/HookedPhone.h"
#include "tests/support/StatisticsQueries.h"
#include "tests/support/StatisticsRows.h"

namespace corvane::testing {
namespace {

// The app's view of the phone: the phone's own notifications and clock, and
// the device and power events as the phone's files describe them.
class AppOnPhone final : public app::AppPlatform {
public:
    explicit AppOnPhone(sim::PhoneHost& phone) : phone_(phone) {}
    platform::DarwinNotificationCenter& darwinNotifications() override { return phone_.darwin(); }
    double currentTime() override { return phone_.loop().now().secondsSince1970; }
    app::AppDevice& device() override { return device_; }
    app::ScheduledPowerEvents& powerEvents() override { return powerEvents_; }

private:
    sim::PhoneHost& phone_;
    app::SimulatedPhoneDevice device_;
    app::AutoWakeFileEvents powerEvents_;
};

class EngineAndAppTest : public HookedPhoneTest {
protected:
    void SetUp() override {
        HookedPhoneTest::SetUp();
        sim::Scenario scenario;
        scenario.device.dataRates = {platform::DataRate::Rate2G, platform::DataRate::Rate3G};
        ASSERT_EQ(sim::PhoneLayout::writeFiles(scenario, 2), std::nullopt);
        phoneState([](sim::PhoneState& s) {
            s.supportedDataRates =
                std::vector<platform::DataRate>{platform::DataRate::Rate2G, platform::DataRate::Rate3G};
        });
        launch();
        appPlatform = std::make_unique<AppOnPhone>(*host);
        app::AppPlatform::install(appPlatform.get());
        navigation.setRootViewController(app::AmpwiseStoryboard::instantiateInitialViewController());
    }
    void TearDown() override {
        navigation.setRootViewController(nullptr);
        HookedPhoneTest::TearDown();
    }

    app::TableViewController& screen() {
        auto* table = dynamic_cast<app::TableViewController*>(navigation.topViewController());
        if (table == nullptr) throw std::logic_error("the top screen is not a table");
        return *table;
    }
    // The first row whose text, switch label or list label reads `label`.
    std::optional<app::IndexPath> rowOf(std::string_view label) {
        app::TableView& table = screen().tableView();
        for (int section = 0; section < table.numberOfSections(); ++section) {
            for (int row = 0; row < table.numberOfRowsInSection(section); ++row) {
                auto cell = table.cellForRowAtIndexPath({section, row});
                auto* switchCell = dynamic_cast<const app::SwitchUITableViewCell*>(cell.get());
                auto* listCell = dynamic_cast<const app::ListUITableViewCell*>(cell.get());
                if (cell && (cell->text == label || (switchCell && switchCell->label == label) ||
                             (listCell && listCell->label == label)))
                    return app::IndexPath{section, row};
            }
        }
        return std::nullopt;
    }
    void tap(std::string_view label) {
        const auto at = rowOf(label);
        ASSERT_TRUE(at) << "no row labelled " << label << " on " << screen().title;
        screen().tableView().tapRowAtIndexPath(*at);
    }
    std::string detailOf(std::string_view label) {
        const auto at = rowOf(label);
        return at ? screen().tableView().cellForRowAtIndexPath(*at)->detailText : "(no row)";
    }
    // The engine handles what the app posted.
    void engineCatchesUp() { advance(1.0); }

    std::unique_ptr<AppOnPhone> appPlatform;
    app::NavigationStack navigation{app::AmpwiseStoryboard::make()};
};

TEST_F(EngineAndAppTest, StrategiesChosenInTheAppAreFollowedByTheEngine) {
    tap("Settings");
    tap("Strategy");
    tap("Ultimate");
    engineCatchesUp();
    EXPECT_NE(dynamic_cast<const StrategyUltimate*>(engine()->userStrategy()), nullptr);

    // Custom, with a one-hour wake interval picked in the custom settings.
    tap("Custom");
    tap("Radios wakeup interval");
    tap("1 hour");
    engineCatchesUp();
    const auto* custom = dynamic_cast<const StrategyCustom*>(engine()->userStrategy());
    ASSERT_NE(custom, nullptr);
    EXPECT_DOUBLE_EQ(custom->wakeIntervalMinutes, 60.0);

    // Back home, the strategy row names it.
    while (navigation.depth() > 1) navigation.popViewControllerAnimated(true);
    EXPECT_EQ(screen().tableView().cellForRowAtIndexPath({0, 3})->text, "Using : custom mode");
}

TEST_F(EngineAndAppTest, TheAppShowsWhatTheEngineFoundAndRecorded) {
    // Device capabilities found by the engine at start-up.
    tap("Infos");
    EXPECT_EQ(detailOf("Device"), "iPhone6,1");
    EXPECT_EQ(detailOf("Supports 4G"), "No");
    navigation.popViewControllerAnimated(true);

    // The last battery state, reported once the statistics interval has passed.
    advance(31.0);
    battery(plist::Dictionary{{std::string(battery::kCurrentCapacity), 55},
                              {std::string(battery::kMaxCapacity), 100},
                              {std::string(battery::kVoltage), 3850},
                              {std::string(battery::kTemperature), 2500}});
    tap("Last battery state");
    EXPECT_EQ(detailOf("Voltage "), "3.850 V");
    EXPECT_EQ(detailOf("Temperature"), "25.00°C (77.00°F)");
    navigation.popViewControllerAnimated(true);

    // The statistics rows, purged from the settings.
    ASSERT_GE(rowCount(), 1u);
    tap("Settings");
    tap("Purge graph data");
    tap("Keep nothing");
    ASSERT_TRUE(navigation.answerAlert(1));
    EXPECT_EQ(rowCount(), 0u);
}

TEST_F(EngineAndAppTest, AnApplicationWithWakeEventsCanBeKeptFromBeingDelayed) {
    const std::string mail = "com.example.mail";
    const std::string scheduler = "com.apple.persistentconnection[SpringBoard,42,0x1f,com.example.mail]";
    const double start = now();
    for (double at : {600.0, 1200.0, 1800.0}) {
        ASSERT_EQ(host->power().schedulePowerEvent(plist::Date{now() + at}, scheduler, "wake"), 0);
    }
    // The phone writes its list of events at its run loop's next turn.
    host->loop().runPending();
    tap("Settings");
    // The first visit asks the engine for the application names; until they
    // come, the application with wake events shows by its identifier.
    tap("Local notification apps");
    EXPECT_EQ(screen().tableView().numberOfRowsInSection(0), 1);
    engineCatchesUp();
    navigation.popViewControllerAnimated(true);
    tap("Local notification apps");
    ASSERT_EQ(screen().tableView().numberOfRowsInSection(0), 1);
    auto cell =
        std::dynamic_pointer_cast<app::SwitchUITableViewCell>(screen().tableView().cellForRowAtIndexPath({0, 0}));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->subLabel, mail);

    cell->userSetSwitch(true);
    engineCatchesUp();
    // The engine's next wake-up leaves the application's wake events where they are.
    host->power().postMessage(platform::kIOMessageSystemWillSleep);
    host->loop().runPending();
    EXPECT_EQ(host->power().eventsScheduledBy(scheduler).at(0).time.secondsSince1970, start + 600.0);
}

TEST_F(EngineAndAppTest, PurgeAndGraphLoadsWorkBesideTheEngineStoringRows) {
    // A long history the purge takes away, so that each graph load reads a while.
    const std::int64_t monthAgo = static_cast<std::int64_t>(now()) - 31 * 86400;
    writeStatisticsRows(everyStep(monthAgo, 30, 3000));
    app::PlotDBLoader& loader = app::PlotDBLoader::sharedInstance();
    std::vector<std::string> loadErrors;
    std::vector<std::string> purgeOutcomes;
    std::vector<std::int64_t> stored;
    // The engine's first row, before the app opens: the engine takes the
    // database over (its journal becomes a write-ahead log).
    advance(30);
    battery(90, 100);
    tap("Settings");
    tap("Purge graph data");
    for (int reading = 0; reading < 40; ++reading) {
        // The graph screen loads on its own thread while the engine stores a row.
        ASSERT_TRUE(loader.loadAllData());
        advance(30);
        const auto time = static_cast<std::int64_t>(now());
        battery(plist::Dictionary{{std::string(battery::kCurrentCapacity), 90 - reading},
                                  {std::string(battery::kMaxCapacity), 100},
                                  {std::string(battery::kUpdateTime), time}});
        stored.push_back(time);
        loader.waitLoading();
        if (!loader.lastLoadError().empty()) loadErrors.push_back(loader.lastLoadError());
        if (reading % 10 == 9) {
            tap("Keep last week only");
            ASSERT_TRUE(navigation.answerAlert(1));
            purgeOutcomes.push_back(navigation.pendingAlerts().back().message);
            ASSERT_TRUE(navigation.answerAlert(0));
        }
    }
    EXPECT_EQ(loadErrors, std::vector<std::string>{});
    // The first purge takes the old history away; the later ones find nothing
    // older than a week. None of them meets a busy database.
    EXPECT_EQ(purgeOutcomes, (std::vector<std::string>{"Purge done: 3,000 records removed", "Nothing older than a week",
                                                       "Nothing older than a week", "Nothing older than a week"}));
    std::vector<std::int64_t> times;
    for (const auto& row : query("SELECT UpdateTime FROM BATTERY_STATUS WHERE UpdateTime IS NOT NULL ORDER BY ID"))
        times.push_back(std::stoll(row.at(0).text.value_or("0")));
    EXPECT_EQ(times, stored) << "every reading stored, nothing older kept";
}

}  // namespace
}  // namespace corvane::testing
