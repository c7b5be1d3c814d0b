// Application awareness: radios-off applications in front and running
// keep-radios applications, reported through the home screen.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

using ::testing::IsEmpty;

constexpr const char* kGame = "com.example.game";
constexpr const char* kPuzzle = "com.example.puzzle";
constexpr const char* kMusic = "com.example.music";
constexpr const char* kNotes = "com.example.notes";

class ApplicationsTest : public LaunchedPhoneTest {
protected:
    // The lists of the settings, loaded the way the engine loads them.
    void loadLists(const plist::Dictionary& radiosOff, const plist::Dictionary& keep) {
        writeSettings({{"Strategy", 2}});
        writeFile(paths::kShutdownList, radiosOff);
        writeFile(paths::kKeepList, keep);
        engine()->reloadPrefs();
    }

    void addApplications() {
        host->homeScreen().addApplication(kGame, "Game");
        host->homeScreen().addApplication(kPuzzle, "Puzzle");
        host->homeScreen().addApplication(kMusic, "Music");
        host->homeScreen().addApplication(kNotes, "Notes");
    }

    void report(const char* identifier, std::uint32_t state) {
        host->homeScreen().setApplicationState(identifier, state);
    }
};

TEST_F(ApplicationsTest, ARadiosOffApplicationSwitchesTheRadiosOffWhileInFront) {
    addApplications();
    loadLists({{kGame, true}, {kNotes, false}}, {});
    allRadiosOn();

    // Off while in front, back however it leaves the front.
    for (std::uint32_t leaving : {sim::kApplicationBackground, sim::kApplicationSuspended, sim::kApplicationKilled}) {
        SCOPED_TRACE(leaving);
        markChanges();
        report(kGame, sim::kApplicationForeground);
        advance(15);
        EXPECT_TRUE(changed("wifi off"));
        EXPECT_TRUE(changed("edge off"));
        report(kGame, leaving);
        advance(3);
        EXPECT_TRUE(changed("wifi on"));
        EXPECT_TRUE(changed("edge on"));
    }

    // An application of the list with NO, and one not listed: nothing.
    markChanges();
    report(kNotes, sim::kApplicationForeground);
    advance(60);
    report(kPuzzle, sim::kApplicationForeground);
    advance(60);
    EXPECT_THAT(changeNames(), IsEmpty());
}

TEST_F(ApplicationsTest, LeavingBeforeTheSleepDelayOrSwitchingBetweenRadiosOffApplications) {
    addApplications();
    loadLists({{kGame, true}, {kPuzzle, true}}, {});
    allRadiosOn();

    // Leaves the front (killed) before the sleep timer fires: nothing switched.
    report(kGame, sim::kApplicationForeground);
    advance(10);
    report(kGame, sim::kApplicationKilled);
    advance(60);
    EXPECT_THAT(changeNames(), IsEmpty());

    // From one radios-off application straight to another: the radios stay off.
    report(kGame, sim::kApplicationForeground);
    advance(15);
    ASSERT_TRUE(changed("wifi off"));
    markChanges();
    report(kGame, sim::kApplicationSuspended);
    report(kPuzzle, sim::kApplicationForeground);
    advance(60);
    EXPECT_THAT(changeNames(), IsEmpty());

    // Unknown state codes change nothing.
    report(kPuzzle, 3);
    report(kPuzzle, 16);
    advance(60);
    EXPECT_THAT(changeNames(), IsEmpty());
}

TEST_F(ApplicationsTest, ARadiosOffApplicationWithinTheWakeDelayKeepsTheRadiosOff) {
    addApplications();
    loadLists({{kGame, true}}, {});
    allRadiosOn();
    host->homeScreen().lock();
    advance(15);
    host->homeScreen().unlock();
    advance(1);
    markChanges();
    report(kGame, sim::kApplicationForeground);  // cancels the pending wake timer
    advance(60);
    EXPECT_THAT(changeNames(), IsEmpty());
    report(kGame, sim::kApplicationBackground);
    advance(3);
    EXPECT_TRUE(changed("wifi on"));

    // In front during the sleep delay: one switch-off, and all comes back.
    host->homeScreen().lock();
    advance(10);
    report(kGame, sim::kApplicationForeground);
    advance(90);
    markChanges();
    host->homeScreen().unlock();
    advance(3);
    EXPECT_TRUE(changed("wifi on"));
}

TEST_F(ApplicationsTest, ARunningKeepRadiosApplicationCancelsTheSwitchOff) {
    for (bool withProcess : {true, false}) {
        SCOPED_TRACE(withProcess ? "applications answer process" : "applications answer isRunning");
        sim::PhoneOptions options;
        options.homeScreen.applicationsHaveProcess = withProcess;
        startPhone(options);
        launchHomeScreen();
        addApplications();
        host->homeScreen().setApplicationRunning(kMusic, true);
        host->homeScreen().setApplicationRunning(kNotes, true);
        loadLists({}, {{kMusic, true}, {kNotes, false}});
        allRadiosOn();

        // Running, on the list with YES: nothing is switched off.
        host->homeScreen().lock();
        advance(15);
        EXPECT_THAT(changeNames(), IsEmpty());
        host->homeScreen().unlock();
        advance(3);

        // Not running any more (the NO entry still runs): switched off as usual.
        host->homeScreen().setApplicationRunning(kMusic, false);
        markChanges();
        host->homeScreen().lock();
        advance(15);
        EXPECT_TRUE(changed("wifi off"));
    }
}

}  // namespace
}  // namespace corvane::testing
