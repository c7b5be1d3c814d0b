// The data-rate restriction screen, opened for the minimum or the maximum
// rate and driven as a user would: labels and disabled rows by device, check
// marks, the warning when the other bound moves, and what reaches the file.

#include <gtest/gtest.h>

#include "app/screens/RatesViewController.h"
#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::CellAccessory;
using app::RatesViewController;

// The screen that opens the restriction screens, as the settings screen does.
class Opener : public app::ViewController {
public:
    void prepareForSegue(const app::StoryboardSegue& segue, app::TableCell*) override {
        auto* rates = dynamic_cast<RatesViewController*>(segue.destination);
        if (rates == nullptr) return;
        const bool minimum = segue.identifier == "MinRate";
        rates->mTitle = minimum ? "Restrict Min Rate" : "Restrict Max Rate";
        rates->isMinRate = minimum;
    }
};

class RatesScreenTest : public AppTest {
protected:
    // Opens the minimum or maximum screen from a fresh stack.
    RatesViewController& open(bool minimum) {
        app::Storyboard storyboard;
        for (const char* segue : {"MinRate", "MaxRate"}) {
            storyboard.registerScene(segue, [] { return std::make_unique<RatesViewController>(); });
        }
        stack = std::make_unique<app::NavigationStack>(std::move(storyboard));
        stack->setRootViewController(std::make_unique<Opener>());
        stack->topViewController()->performSegueWithIdentifier(minimum ? "MinRate" : "MaxRate", nullptr);
        auto* screen = dynamic_cast<RatesViewController*>(stack->topViewController());
        EXPECT_NE(screen, nullptr);
        return *screen;
    }

    // Each rate row's label, marked "(off)" when it cannot be chosen: "label;" each.
    std::string labels(RatesViewController& screen) {
        std::string texts;
        for (int row = 0; row < RatesViewController::kRateRowCount; ++row) {
            const auto cell = screen.tableView().cellForRowAtIndexPath({0, row});
            texts += cell->text + (cell->textEnabled ? ";" : "(off);");
        }
        return texts;
    }
    // The rows carrying a check mark.
    std::vector<int> checked(RatesViewController& screen) {
        std::vector<int> rows;
        for (int row = 0; row < screen.tableView().numberOfRowsInSection(0); ++row) {
            if (screen.tableView().cellForRowAtIndexPath({0, row})->accessoryType == CellAccessory::Checkmark)
                rows.push_back(row);
        }
        return rows;
    }
    void tap(RatesViewController& screen, int row) { screen.tableView().tapRowAtIndexPath({0, row}); }

    // "minimum,maximum" as the settings file holds them, "none" without both.
    static std::string ratesInFile() {
        const auto file = settingsFile();
        if (!file || !file->contains(settings::kMinRate) || !file->contains(settings::kMaxRate)) return "none";
        return std::to_string(file->find(settings::kMinRate)->integerValue()) + "," +
               std::to_string(file->find(settings::kMaxRate)->integerValue());
    }

    std::unique_ptr<app::NavigationStack> stack;
};

TEST_F(RatesScreenTest, RowsOfferOnlyTheSpeedsTheDeviceAndTheBoundAllow) {
    useDevice(true, true, true);
    RatesViewController& minimum = open(true);
    EXPECT_EQ(labels(minimum), "No restriction;2G;3G;4G(off);");
    EXPECT_EQ(checked(minimum), std::vector<int>{0});
    EXPECT_EQ(labels(open(false)), "No restriction;2G(off);3G;4G;");

    // A 3G-only device: 2G and 4G are unsupported on both screens.
    useDevice(false, true, false);
    for (bool isMinimum : {true, false}) {
        RatesViewController& screen = open(isMinimum);
        EXPECT_EQ(labels(screen), "No restriction;2G (unsupported)(off);3G;4G (unsupported)(off);");
    }
}

TEST_F(RatesScreenTest, TapsMoveTheCheckMarkAndSaveExceptOnDisabledAndHintRows) {
    useDevice(true, true, false);
    writeSettings({{"SwitchRadiosOnLock", plist::Value(0)}});
    RatesViewController& screen = open(true);

    tap(screen, 3);  // 4G: unsupported and above any minimum
    tap(screen, 4);  // the hint
    EXPECT_EQ(checked(screen), std::vector<int>{0});
    EXPECT_EQ(preferencesChangedCount(), 0u);
    EXPECT_EQ(ratesInFile(), "none");

    tap(screen, 2);
    EXPECT_EQ(checked(screen), std::vector<int>{2});
    EXPECT_EQ(ratesInFile(), "2,0");
    EXPECT_EQ(settingsFile()->find(settings::kSwitchRadiosOnLock)->integerValue(), 0);  // the engine's key kept
    tap(screen, 0);
    EXPECT_EQ(checked(screen), std::vector<int>{0});
    EXPECT_EQ(ratesInFile(), "0,0");
    EXPECT_EQ(preferencesChangedCount(), 2u);
    EXPECT_TRUE(stack->pendingAlerts().empty());

    screen.unSelectRowAtIndexPath(screen.tableView(), {0, 0});
    EXPECT_TRUE(checked(screen).empty());
}

TEST_F(RatesScreenTest, MovingTheOtherBoundShowsTheCaution) {
    for (bool support4G : {true, false}) {
        SCOPED_TRACE(support4G ? "with 4G" : "without 4G");
        useDevice(true, true, support4G);
        std::filesystem::remove(paths::resolve(paths::kSettings));
        platform.notifications.clear();

        RatesViewController& maximum = open(false);
        tap(maximum, 2);  // max 3G, no minimum yet
        EXPECT_TRUE(stack->pendingAlerts().empty());

        // A 2G minimum moves the maximum to 4G, or removes it without 4G.
        RatesViewController& minimum = open(true);
        EXPECT_EQ(checked(minimum), std::vector<int>{0});
        tap(minimum, 1);
        EXPECT_EQ(ratesInFile(), support4G ? "1,3" : "1,0");
        ASSERT_EQ(stack->pendingAlerts().size(), 1u);
        EXPECT_EQ(stack->pendingAlerts().back().message,
                  "The restriction for the other bound has been changed to match this value !");
        EXPECT_TRUE(stack->answerAlert(0));

        // The current, coherent choice again: saved again, no warning.
        tap(minimum, 1);
        EXPECT_TRUE(stack->pendingAlerts().empty());
        EXPECT_EQ(preferencesChangedCount(), 3u);
        EXPECT_EQ(checked(minimum), std::vector<int>{1});

        // "No restriction" never warns.
        tap(minimum, 0);
        EXPECT_TRUE(stack->pendingAlerts().empty());
    }
}

}  // namespace
}  // namespace corvane::testing
