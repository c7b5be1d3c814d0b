// A user choosing a strategy in the companion app, as a separate process:
// the app's settings screen opens, its strategy row leads to the chooser, and
// the row of the strategy given is tapped. The app writes the settings file
// under $CORVANE_ROOT and tells the engine on the session bus, as ampwise
// does.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "app/platform/AppPlatformFactory.h"
#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/NavigationStack.h"
#include "app/screens/SettingsStrategyViewController.h"
#include "app/screens/SettingsViewController.h"

int main(int argc, char** argv) {
    using namespace corvane::app;
    char* end = nullptr;
    const long strategy = argc == 2 ? std::strtol(argv[1], &end, 10) : -1;
    if (argc != 2 || *end != '\0' || strategy < 0 || strategy > 5) {
        std::fprintf(stderr, "usage: %s STRATEGY (0 None ... 5 Custom; the root is $CORVANE_ROOT)\n", argv[0]);
        return 2;
    }
    auto platform = AppPlatformFactory::makePlatform(std::cerr);
    AppPlatform::install(platform.get());
    int status = 1;
    {
        NavigationStack stack(AmpwiseStoryboard::make());
        auto settings = std::make_unique<SettingsViewController>();
        SettingsViewController* settingsScreen = settings.get();
        stack.setRootViewController(std::move(settings));
        settingsScreen->tableView().tapRowAtIndexPath({SettingsViewController::kStrategySection, 0});
        auto* chooser = dynamic_cast<SettingsStrategyViewController*>(stack.topViewController());
        if (chooser) {
            chooser->tableView().tapRowAtIndexPath(
                {SettingsStrategyViewController::kStrategiesSection, static_cast<int>(strategy)});
            status = 0;
        } else {
            std::fprintf(stderr, "the strategy row did not open the chooser\n");
        }
    }
    AppPlatform::install(nullptr);
    // Closing the platform sends what its notification centre still holds.
    platform.reset();
    return status;
}
