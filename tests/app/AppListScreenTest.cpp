// The application-list editor in its three modes, opened from a settings
// screen through the navigation stack, and the scheduled power events read
// from the phone's AutoWake file.

#include <gtest/gtest.h>
#include <poll.h>

#include <fstream>

#include "app/platform/AutoWakeFileEvents.h"
#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/AppListViewController.h"
#include "app/screens/SettingsViewController.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::AppListViewController;
using app::SwitchUITableViewCell;

plist::Value wakeEvent(std::string scheduledBy) {
    return plist::Value(plist::Dictionary{{std::string(power::kEventTime), plist::Value(plist::Date{1.7e9})},
                                          {std::string(power::kEventScheduledBy), std::move(scheduledBy)},
                                          {std::string(power::kEventType), "wake"}});
}

std::string springBoardScheduler(std::string_view application, std::string_view token = "1a2b") {
    return "com.apple.persistentconnection[SpringBoard,42,0x" + std::string(token) + "," + std::string(application) +
           "]";
}

class AppListScreenTest : public AppTest {
protected:
    // The editor is opened from the settings screen, which sets its mode; a
    // complete settings file keeps that screen from writing.
    void SetUp() override {
        AppTest::SetUp();
        writeCompleteSettings({});
        app::Storyboard storyboard = app::AmpwiseStoryboard::make();
        storyboard.registerScene("unknownListSegue", [] {
            auto editor = std::make_unique<AppListViewController>();
            editor->shutdowApp = 7;
            return editor;
        });
        stack = std::make_unique<app::NavigationStack>(std::move(storyboard));
        stack->setRootViewController(std::make_unique<app::SettingsViewController>());
    }
    void TearDown() override {
        stack.reset();
        AppTest::TearDown();
    }

    AppListViewController& open(const char* segue) {
        stack->performSegue(*stack->topViewController(), segue, nullptr);
        return dynamic_cast<AppListViewController&>(*stack->topViewController());
    }

    // What the rows read: "label|subLabel|on;" each, "|on" or "|off" after
    // the switch, then "|fixed" when it cannot be switched.
    static std::string rows(AppListViewController& screen) {
        std::string shown;
        for (int row = 0; row < screen.tableView().numberOfRowsInSection(0); ++row) {
            auto cell =
                std::dynamic_pointer_cast<SwitchUITableViewCell>(screen.tableView().cellForRowAtIndexPath({0, row}));
            if (cell)
                shown += cell->label + "|" + cell->subLabel + (cell->switchCtrl.on ? "|on" : "|off") +
                         (cell->switchCtrl.enabled ? ";" : "|fixed;");
        }
        return shown;
    }

    static SwitchUITableViewCell& cell(AppListViewController& screen, int row) {
        return dynamic_cast<SwitchUITableViewCell&>(*screen.tableView().cellForRowAtIndexPath({0, row}));
    }

    static std::optional<plist::Dictionary> list(std::string_view file) {
        return plist::readDictionary(paths::resolve(file));
    }

    std::unique_ptr<app::NavigationStack> stack;
};

TEST_F(AppListScreenTest, AsksTheEngineForTheNamesBeforeAppearingAndShowsItsAnswer) {
    writeFile(paths::kShutdownList, plist::Dictionary{{"com.b.mail", true}, {"com.c.maps", false}, {"com.a.notes", 1}});
    // The engine answers each request by writing the names file at once.
    plist::Dictionary installed{{"com.c.maps", "Maps"}, {"com.b.mail", "Mail"}, {"com.a.notes", "notes"}};
    std::vector<std::string> titlesAtRequest;
    platform.notifications.registerDispatch(notifications::kApplicationListRequest, [&] {
        titlesAtRequest.push_back(stack->topViewController()->title);
        writeFile(paths::kApplicationNames, installed);
    });

    AppListViewController& screen = open("shutdownSegue");
    EXPECT_EQ(titlesAtRequest, (std::vector<std::string>{""}));  // asked before the screen appeared
    // By name, in plain character-code order: capitals first.
    EXPECT_EQ(rows(screen), "Mail|com.b.mail|on;Maps|com.c.maps|off;notes|com.a.notes|on;");

    // Each later appearance asks again and shows the new answer.
    installed.set("com.a.store", "App Store");
    stack->performSegue(screen, "purgeSegue", nullptr);
    stack->popViewControllerAnimated(true);
    EXPECT_EQ(platform.notifications.postCount(notifications::kApplicationListRequest), 2u);
    EXPECT_EQ(rows(screen).find("App Store|com.a.store|off;"), 0u);
}

TEST_F(AppListScreenTest, SwitchingWritesTheOneKeyIntoTheListAsItIsOnDisk) {
    writeFile(paths::kApplicationNames, plist::Dictionary{{"com.a.mail", "Mail"}, {"com.b.music", "Music"}});
    writeFile(paths::kKeepList, plist::Dictionary{{"com.b.music", true}, {"com.elsewhere", true}});
    AppListViewController& screen = open("noTurnOffSegue");
    // An entry of the list that is not installed (any more) still shows.
    ASSERT_EQ(rows(screen), "Mail|com.a.mail|off;Music|com.b.music|on;com.elsewhere|com.elsewhere|on;");

    // Another writer changed the file meanwhile: its entry survives.
    writeFile(paths::kKeepList, plist::Dictionary{{"com.b.music", true}, {"com.elsewhere", true}, {"com.late", false}});
    cell(screen, 1).userSetSwitch(false);
    EXPECT_EQ(list(paths::kKeepList),
              (plist::Dictionary{{"com.b.music", false}, {"com.elsewhere", true}, {"com.late", false}}));
    EXPECT_EQ(preferencesChangedCount(), 1u);

    cell(screen, 0).userSetSwitch(true);
    EXPECT_EQ(list(paths::kKeepList),
              (plist::Dictionary{
                  {"com.a.mail", true}, {"com.b.music", false}, {"com.elsewhere", true}, {"com.late", false}}));
    EXPECT_FALSE(list(paths::kShutdownList));  // other lists untouched
}

TEST_F(AppListScreenTest, BeforeTheEngineNamesTheApplicationsTheListsOwnEntriesShowAndTheRestFillsIn) {
    writeFile(paths::kShutdownList, plist::Dictionary{{"com.s.spotify", true}, {"com.a.mail", false}});
    writeFile(paths::kDelayList, plist::Dictionary{{"com.w.whatsapp", true}});
    platform.fakePowerEvents.events = plist::Array{wakeEvent(springBoardScheduler("com.m.chat"))};
    AppListViewController& delay = open("noDelayApps");
    EXPECT_EQ(rows(delay), "com.m.chat|com.m.chat|off;com.w.whatsapp|com.w.whatsapp|on;");
    stack->popViewControllerAnimated(false);

    AppListViewController& screen = open("shutdownSegue");
    ASSERT_EQ(rows(screen), "com.a.mail|com.a.mail|off;com.s.spotify|com.s.spotify|on;");
    // Switched from there, the entry is written like any other.
    cell(screen, 0).userSetSwitch(true);
    EXPECT_EQ(list(paths::kShutdownList), (plist::Dictionary{{"com.s.spotify", true}, {"com.a.mail", true}}));

    // The engine's answer lands: the names replace the identifiers and the
    // other installed applications join.
    writeFile(paths::kApplicationNames,
              plist::Dictionary{{"com.s.spotify", "Spotify"}, {"com.a.mail", "Mail"}, {"com.m.maps", "Maps"}});
    EXPECT_TRUE(screen.refreshIfNamesFileChanged());
    EXPECT_EQ(rows(screen), "Mail|com.a.mail|on;Maps|com.m.maps|off;Spotify|com.s.spotify|on;");
}

TEST_F(AppListScreenTest, TwoApplicationsWithOneNameBothResolveToTheFirstInTheFile) {
    writeFile(paths::kApplicationNames,
              plist::Dictionary{{"com.z.first", "Mail"}, {"com.a.second", "Mail"}, {"com.m.alpha", "Alpha"}});
    AppListViewController& screen = open("shutdownSegue");
    ASSERT_EQ(rows(screen), "Alpha|com.m.alpha|off;Mail|com.z.first|off;Mail|com.z.first|off;");
    cell(screen, 2).userSetSwitch(true);
    EXPECT_EQ(list(paths::kShutdownList), (plist::Dictionary{{"com.z.first", true}}));
}

TEST_F(AppListScreenTest, NoDelayModeListsEachScheduledApplicationOnceAndForcesClockAndAlarms) {
    writeFile(paths::kApplicationNames,
              plist::Dictionary{
                  {"com.example.mail", "Mail"}, {"com.example.chat", "Chat"}, {"com.apple.mobiletimer", "Clock"}});
    writeFile(paths::kDelayList, plist::Dictionary{{"com.example.chat", true}, {"com.apple.mobiletimer", false}});
    platform.fakePowerEvents.events = plist::Array{
        wakeEvent(springBoardScheduler("com.example.mail", "1")),
        wakeEvent(springBoardScheduler("com.example.mail", "2")),
        wakeEvent(springBoardScheduler("com.example.mail", "3")),
        // Two applications in one scheduler name.
        wakeEvent(springBoardScheduler("com.example.chat") + springBoardScheduler("com.example.news")),
        wakeEvent(springBoardScheduler("com.apple.mobiletimer")),
        wakeEvent(springBoardScheduler("com.apple.eventkit.alarmengine")),
        wakeEvent("com.quibbit.Ampwise"),
        wakeEvent(springBoardScheduler(std::string(5000, 'x'))),  // too long to be searched
        wakeEvent("com.apple.persistentconnection[SpringBoard,x,0x1,com.bad.pid]"),
        plist::Value(plist::Dictionary{{std::string(power::kEventScheduledBy), 12}}),
        plist::Value("not an event"),
    };
    AppListViewController& screen = open("noDelayApps");
    ASSERT_EQ(
        rows(screen),
        "com.apple.eventkit.alarmengine|com.apple.eventkit.alarmengine|on|fixed;Clock|com.apple.mobiletimer|on|fixed;"
        "Chat|com.example.chat|on;Mail|com.example.mail|off;com.example.news|com.example.news|off;");

    // The forced rows cannot be switched, and nothing is ever written for them.
    cell(screen, 1).userSetSwitch(false);
    screen.saveValue(false, 0);
    EXPECT_EQ(preferencesChangedCount(), 0u);
    EXPECT_EQ(list(paths::kDelayList),
              (plist::Dictionary{{"com.example.chat", true}, {"com.apple.mobiletimer", false}}));

    cell(screen, 4).userSetSwitch(true);
    cell(screen, 2).userSetSwitch(false);
    EXPECT_EQ(
        list(paths::kDelayList),
        (plist::Dictionary{{"com.example.chat", false}, {"com.apple.mobiletimer", false}, {"com.example.news", true}}));
}

TEST_F(AppListScreenTest, DamagedFilesAndUnknownModesNeverBreakTheScreen) {
    // A names file that is not a property list: treated as not written yet.
    const auto namesPath = paths::resolve(paths::kApplicationNames);
    { std::ofstream(namesPath) << "<plist><dict><key>broken"; }
    platform.fakePowerEvents.events = std::nullopt;
    AppListViewController& broken = open("noDelayApps");
    EXPECT_EQ(broken.tableView().numberOfRowsInSection(0), 0);
    stack->popViewControllerAnimated(false);

    // Names that are not strings are left out; a list that is not a
    // dictionary starts empty and is replaced by the first change.
    writeFile(paths::kApplicationNames, plist::Dictionary{{"com.n.number", 5}, {"com.s.safari", "Safari"}});
    writeFile(paths::kShutdownList, plist::Array{plist::Value("com.s.safari")});
    AppListViewController& screen = open("shutdownSegue");
    ASSERT_EQ(rows(screen), "Safari|com.s.safari|off;");
    cell(screen, 0).userSetSwitch(true);
    EXPECT_EQ(list(paths::kShutdownList), (plist::Dictionary{{"com.s.safari", true}}));
    ASSERT_EQ(movedAside(paths::kShutdownList).size(), 1u);  // the old list, kept
    EXPECT_EQ(plist::parse(movedAside(paths::kShutdownList).begin()->second),
              plist::Value(plist::Array{plist::Value("com.s.safari")}));

    // A list too large to read is kept as it is, never written over.
    const std::string padded =
        plist::toXml(plist::Value(plist::Dictionary{{"com.s.safari", true}})) + std::string(2 << 20, ' ');
    ASSERT_TRUE(writeFileAtomically(paths::resolve(paths::kShutdownList), padded));
    cell(screen, 0).userSetSwitch(false);
    EXPECT_EQ(readWholeFile(paths::resolve(paths::kShutdownList), padded.size()), padded);
    writeFile(paths::kShutdownList, plist::Dictionary{{"com.s.safari", true}});

    // A row beyond the list has no application: it shows so and saves nothing.
    auto stray =
        std::dynamic_pointer_cast<SwitchUITableViewCell>(screen.cellForRowAtIndexPath(screen.tableView(), {0, 9}));
    ASSERT_TRUE(stray);
    EXPECT_EQ(stray->label, "Unknown app");
    const std::size_t changes = preferencesChangedCount();
    stray->userSetSwitch(true);
    EXPECT_EQ(preferencesChangedCount(), changes);

    stack->popViewControllerAnimated(false);

    // A mode without list: rows to look at, nothing ever saved.
    AppListViewController& unknown = open("unknownListSegue");
    ASSERT_EQ(unknown.tableView().numberOfRowsInSection(0), 1);
    cell(unknown, 0).userSetSwitch(true);
    EXPECT_EQ(preferencesChangedCount(), changes);
    EXPECT_EQ(list(paths::kShutdownList), (plist::Dictionary{{"com.s.safari", true}}));
    EXPECT_FALSE(list(paths::kKeepList));
}

TEST_F(AppListScreenTest, AutoWakeFileGivesTheEventsTheSimulatedPhoneScheduled) {
    app::AutoWakeFileEvents autoWake;
    EXPECT_EQ(autoWake.copyScheduledPowerEvents(), plist::Array{});  // no file: nothing scheduled

    // The simulated power manager's layout: "events", one dictionary per event.
    writeFile(paths::kScheduledPowerEvents,
              plist::Dictionary{
                  {std::string(power::kEventsKey), plist::Array{wakeEvent(springBoardScheduler("com.example.mail")),
                                                                wakeEvent("com.quibbit.Ampwise"), plist::Value(3)}}});
    EXPECT_EQ(autoWake.copyScheduledPowerEvents(),
              (plist::Array{wakeEvent(springBoardScheduler("com.example.mail")), wakeEvent("com.quibbit.Ampwise")}));

    writeFile(paths::kScheduledPowerEvents, plist::Array{});
    EXPECT_FALSE(autoWake.copyScheduledPowerEvents());  // not a dictionary: cannot be asked
    writeFile(paths::kScheduledPowerEvents, plist::Dictionary{{std::string(power::kEventsKey), "none"}});
    EXPECT_EQ(autoWake.copyScheduledPowerEvents(), plist::Array{});
}

TEST_F(AppListScreenTest, AnAnswerLandingWhileTheScreenIsShownRedrawsItAndNotOnceItHasGone) {
    // No engine answers at once: the first visit finds no names file.
    AppListViewController& screen = open("noTurnOffSegue");
    EXPECT_EQ(rows(screen), "");
    ASSERT_GE(screen.namesFileDescriptor(), 0);

    // The engine's answer lands: the descriptor wakes the loop and the screen redraws.
    writeFile(paths::kApplicationNames, plist::Dictionary{{"com.b.mail", "Mail"}, {"com.c.maps", "Maps"}});
    pollfd watched{screen.namesFileDescriptor(), POLLIN, 0};
    EXPECT_EQ(::poll(&watched, 1, 0), 1);
    EXPECT_TRUE(screen.refreshIfNamesFileChanged());
    EXPECT_EQ(rows(screen), "Mail|com.b.mail|off;Maps|com.c.maps|off;");

    // Covered by another screen it no longer watches; shown again, it reads the file anew.
    stack->performSegue(screen, "purgeSegue", nullptr);
    writeFile(paths::kApplicationNames, plist::Dictionary{{"com.a.store", "App Store"}});
    EXPECT_FALSE(screen.refreshIfNamesFileChanged());
    EXPECT_EQ(rows(screen), "Mail|com.b.mail|off;Maps|com.c.maps|off;");
    stack->popViewControllerAnimated(true);
    EXPECT_EQ(rows(screen), "App Store|com.a.store|off;");
}

}  // namespace
}  // namespace corvane::testing
