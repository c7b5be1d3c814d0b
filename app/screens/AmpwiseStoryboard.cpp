#include "app/screens/AmpwiseStoryboard.h"

#include <string>

#include "app/screens/AppListViewController.h"
#include "app/screens/AtSleepViewController.h"
#include "app/screens/AtWakeUpViewController.h"
#include "app/screens/BatteryDetailViewController.h"
#include "app/screens/BatterySubDetailViewController.h"
#include "app/screens/CustomSettingsDetailViewController.h"
#include "app/screens/CustomSettingsViewController.h"
#include "app/screens/FlipsideViewController.h"
#include "app/screens/GreetingsTableViewController.h"
#include "app/screens/InfoViewController.h"
#include "app/screens/LineChartViewController.h"
#include "app/screens/PurgeViewControllerViewController.h"
#include "app/screens/RatesViewController.h"
#include "app/screens/SettingsStrategyViewController.h"
#include "app/screens/SettingsViewController.h"
#include "app/screens/StartingViewController.h"

namespace corvane::app {

namespace {

template <class Screen>
void scene(Storyboard& storyboard, std::string_view segue) {
    storyboard.registerScene(std::string(segue), [] { return std::make_unique<Screen>(); });
}

}  // namespace

Storyboard AmpwiseStoryboard::make() {
    Storyboard storyboard;
    // Home list.
    scene<BatteryDetailViewController>(storyboard, StartingViewController::kLastBattCell);
    scene<SettingsViewController>(storyboard, StartingViewController::kSettingsCell);
    scene<SettingsStrategyViewController>(storyboard, StartingViewController::kStrategyCell);
    scene<InfoViewController>(storyboard, StartingViewController::kInfoCell);
    scene<GreetingsTableViewController>(storyboard, StartingViewController::kGreetingsCell);
    scene<LineChartViewController>(storyboard, StartingViewController::kGoGraphCell);
    // Graphs.
    scene<FlipsideViewController>(storyboard, LineChartViewController::kSettingsSegue);
    // Settings.
    scene<AppListViewController>(storyboard, SettingsViewController::kShutdownSegue);
    scene<AppListViewController>(storyboard, SettingsViewController::kNoTurnOffSegue);
    scene<AppListViewController>(storyboard, SettingsViewController::kNoDelayAppsSegue);
    scene<SettingsStrategyViewController>(storyboard, SettingsViewController::kStrategySegue);
    scene<RatesViewController>(storyboard, SettingsViewController::kMinRateSegue);
    scene<RatesViewController>(storyboard, SettingsViewController::kMaxRateSegue);
    scene<PurgeViewControllerViewController>(storyboard, SettingsViewController::kPurgeSegue);
    // Strategies.
    scene<CustomSettingsViewController>(storyboard, SettingsStrategyViewController::kCustomSegue);
    scene<CustomSettingsDetailViewController>(storyboard, CustomSettingsViewController::kDetailSegue);
    scene<AtWakeUpViewController>(storyboard, CustomSettingsViewController::kAtWakeUpSegue);
    scene<AtSleepViewController>(storyboard, CustomSettingsViewController::kAtSleepTimeSegue);
    // Battery details.
    scene<BatterySubDetailViewController>(storyboard, BatteryDetailViewController::kSubDetailSegue);
    return storyboard;
}

std::unique_ptr<ViewController> AmpwiseStoryboard::instantiateInitialViewController() {
    return std::make_unique<StartingViewController>();
}

}  // namespace corvane::app
