// The statistics purge screen on a real SQLite database: the five retention
// choices, the confirmation, the outcome alerts and what is left in the table.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <limits>

#include "app/platform/SimulatedPhoneAppPlatform.h"
#include "app/screens/PurgeViewControllerViewController.h"
#include "shared/PhoneInfo.h"
#include "tests/support/AppHarness.h"
#include "tests/support/StatisticsQueries.h"
#include "tests/support/StatisticsRows.h"

namespace corvane::testing {
namespace {

using app::PurgeViewControllerViewController;

constexpr int kKeepToday = 3;
constexpr int kKeepNothing = 4;

class PurgeScreenTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform.now = kNow + 0.75;  // the fraction is dropped
        stack = std::make_unique<app::NavigationStack>(app::Storyboard{});
        stack->setRootViewController(std::make_unique<PurgeViewControllerViewController>());
        screen = dynamic_cast<PurgeViewControllerViewController*>(stack->topViewController());
        ASSERT_NE(screen, nullptr);
    }
    void TearDown() override {
        stack.reset();
        AppTest::TearDown();
    }

    static void execute(sqlite3* database, const char* sql) {
        ASSERT_EQ(sqlite3_exec(database, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(database);
    }

    static std::vector<std::string> storedTimes() {
        std::vector<std::string> times;
        for (const auto& row : query("SELECT UpdateTime FROM BATTERY_STATUS ORDER BY UpdateTime"))
            times.push_back(row.at(0).text.value_or("NULL"));
        return times;
    }

    // The user picks a choice and answers the confirmation.
    void choose(int row, int answer) {
        const std::size_t before = stack->pendingAlerts().size();
        screen->tableView().tapRowAtIndexPath({1, row});
        ASSERT_EQ(stack->pendingAlerts().size(), before + 1);
        EXPECT_EQ(stack->pendingAlerts().back().message, "Are you sure ?");
        ASSERT_TRUE(stack->answerAlert(answer));
    }

    // The outcome alert shown last, as "title|message|buttons".
    std::string outcome() const {
        if (stack->pendingAlerts().empty()) return "none";
        const app::AlertView& alert = stack->pendingAlerts().back();
        std::string text = alert.title + "|" + alert.message;
        for (const std::string& button : alert.buttonTitles()) text += "|" + button;
        return text;
    }

    static constexpr std::int64_t kNow = 1'700'000'000;
    std::unique_ptr<app::NavigationStack> stack;
    PurgeViewControllerViewController* screen = nullptr;
};

TEST_F(PurgeScreenTest, FiveChoicesEachSetTheirCutOffAndCancelChangesNothing) {
    writeStatisticsRows({kNow - 40 * 86400, kNow});
    ASSERT_EQ(screen->tableView().numberOfRowsInSection(1), 5);

    const std::vector<std::string> labels{"Keep last month only", "Keep last week only", "Keep last 2 days only",
                                          "Keep today only", "Keep nothing"};
    const std::vector<std::int64_t> hoursKept{744, 168, 48, 24};
    for (int row = 0; row < 5; ++row) {
        const auto index = static_cast<std::size_t>(row);
        EXPECT_EQ(screen->tableView().cellForRowAtIndexPath({1, row})->text, labels[index]);
        choose(row, 0);
        EXPECT_EQ(screen->timePurge, row < 4 ? kNow - hoursKept[index] * 3600 : -1) << row;
    }
    EXPECT_TRUE(stack->pendingAlerts().empty());
    EXPECT_EQ(rowCount(), 2u);
}

TEST_F(PurgeScreenTest, KeepTodayKeepsExactlyTheLast86400SecondsAndKeepNothingEmptiesTheTable) {
    writeStatisticsRows({kNow - 86401, kNow - 86400, kNow - 30 * 86400, kNow - 5, kNow, kNow + 3600});
    choose(kKeepToday, 1);
    EXPECT_EQ(outcome(), "Information|Purge done: 2 records removed|Dismiss");
    EXPECT_EQ(storedTimes(), (std::vector<std::string>{std::to_string(kNow - 86400), std::to_string(kNow - 5),
                                                       std::to_string(kNow), std::to_string(kNow + 3600)}));
    ASSERT_TRUE(stack->answerAlert(0));
    choose(kKeepNothing, 1);
    EXPECT_EQ(rowCount(), 0u);
    ASSERT_TRUE(stack->answerAlert(0));
    choose(kKeepToday, 1);  // an empty table purges fine
    EXPECT_EQ(outcome(), "Information|Nothing older than today|Dismiss");
}

TEST_F(PurgeScreenTest, BusyDatabaseFailsAtOnceAndLosesNothing) {
    writeStatisticsRows({kNow - 86400 * 10, kNow});
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &other), SQLITE_OK);
    // Locked outright: the statement cannot even be prepared.
    execute(other, "BEGIN EXCLUSIVE");
    choose(kKeepNothing, 1);
    EXPECT_EQ(outcome(), "Error|Purge failed, try again|Dismiss");
    execute(other, "ROLLBACK");

    // Another writer in the middle of its transaction, as the engine storing
    // a row: the statement prepares, its step finds the database busy, and
    // the compaction is still tried.
    ASSERT_TRUE(stack->answerAlert(0));
    execute(other, "BEGIN IMMEDIATE");
    execute(other, "INSERT INTO BATTERY_STATUS (UpdateTime) VALUES (1)");
    choose(kKeepNothing, 1);
    EXPECT_EQ(outcome(), "Error|Purge failed, try again|Dismiss");
    execute(other, "ROLLBACK");
    sqlite3_close(other);
    EXPECT_EQ(rowCount(), 2u);
}

TEST_F(PurgeScreenTest, AMissingDatabaseWarnsAndAFileThatIsNoDatabaseFails) {
    choose(kKeepNothing, 1);
    EXPECT_EQ(outcome(), "Warning|No database found !?|Dismiss");
    EXPECT_FALSE(std::filesystem::exists(databasePath()));
    ASSERT_TRUE(stack->answerAlert(0));

    std::filesystem::create_directories(paths::resolve(paths::kStatisticsFolder));
    const std::string garbage(4096, 'x');
    { std::ofstream(databasePath(), std::ios::binary) << garbage; }
    choose(kKeepToday, 1);
    EXPECT_EQ(outcome(), "Error|Purge failed, try again|Dismiss");
    EXPECT_EQ(std::filesystem::file_size(databasePath()), garbage.size());

    // Not even a file: it cannot be opened, and the user is told so.
    std::filesystem::remove(databasePath());
    std::filesystem::create_directory(databasePath());
    ASSERT_TRUE(stack->answerAlert(0));
    choose(kKeepToday, 1);
    EXPECT_EQ(outcome(), "Error|Purge failed, try again|Dismiss");
}

TEST_F(PurgeScreenTest, CutOffsBeyondThirtyTwoBitsStayAtTheirEndInsteadOfWrapping) {
    writeStatisticsRows({1'600'000'000, kNow});
    // 1305556 hours before now is before the 32-bit range; wrapped it would
    // land in 2011 and delete the 2020 record.
    screen->purge(1'305'556);
    EXPECT_EQ(screen->timePurge, std::numeric_limits<std::int32_t>::min());
    ASSERT_TRUE(stack->answerAlert(1));
    EXPECT_EQ(outcome(), "Information|There was nothing to remove|Dismiss");
    EXPECT_EQ(rowCount(), 2u);

    // A clock past 2038 counts as the last 32-bit second.
    platform.now = 5e9;
    choose(kKeepToday, 0);
    EXPECT_EQ(screen->timePurge, std::numeric_limits<std::int32_t>::max() - 86400);
    // No hours at all does nothing.
    const std::size_t alerts = stack->pendingAlerts().size();
    screen->purge(0);
    EXPECT_EQ(stack->pendingAlerts().size(), alerts);

    // A clock that lost its time, a second short of a day after 1970: the
    // cut-off of "today" lands on the number that means "everything", and
    // still removes nothing.
    platform.now = 86399;
    choose(kKeepToday, 1);
    EXPECT_EQ(outcome(), "Information|Nothing older than today|Dismiss");
    EXPECT_EQ(rowCount(), 2u);
}

TEST_F(PurgeScreenTest, SaysHowManyRecordsWentJudgingTodayByThePhonesClock) {
    // A simulated phone whose clock stopped at the end of its run, a week
    // before this machine's: "today" is the phone's.
    app::SimulatedPhoneAppPlatform simulated;
    app::AppPlatform::install(&simulated);
    const double phoneNow = static_cast<double>(kNow) - 7 * 86400;
    PhoneInfo phone;
    phone.time = phoneNow;
    std::filesystem::create_directories(paths::resolve(paths::kPhoneInfo).parent_path());
    ASSERT_TRUE(phone.write());
    const auto phoneSecond = static_cast<std::int64_t>(phoneNow);
    std::vector<std::int64_t> times = everyStep(phoneSecond - 3 * 86400, 60, 2431);
    times.push_back(phoneSecond - 600);
    writeStatisticsRows(times);

    choose(kKeepToday, 1);
    EXPECT_EQ(outcome(), "Information|Purge done: 2,431 records removed|Dismiss");
    EXPECT_EQ(rowCount(), 1u);
    ASSERT_TRUE(stack->answerAlert(0));
    choose(kKeepToday, 1);
    EXPECT_EQ(outcome(), "Information|Nothing older than today|Dismiss");
    ASSERT_TRUE(stack->answerAlert(0));
    choose(kKeepNothing, 1);
    EXPECT_EQ(outcome(), "Information|Purge done: 1 record removed|Dismiss");
    app::AppPlatform::install(&platform);
}

}  // namespace
}  // namespace corvane::testing
