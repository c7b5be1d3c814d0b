// Battery events: the latest battery record, the statistics row and the
// last-battery-state file that the app's battery detail screens read.
#include <filesystem>

#include "engine/battery/BatteryStatus.h"
#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/strategies/Strategie.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane {

namespace {

// Writes the received dictionary unchanged. The statistics folder is created
// here as well: the app reads this file long before the first statistics row
// would otherwise have created it.
void writeLastBatteryState(platform::Platform& platform, const plist::Dictionary& dictionary) {
    const std::filesystem::path folder = paths::resolve(paths::kStatisticsFolder);
    if (!platform.fileManager().fileExists(folder) && !platform.fileManager().createDirectory(folder, true)) {
        CORVANE_DEBUG("Cannot create the statistics folder %s", folder.c_str());
        return;
    }
    const std::filesystem::path file = paths::resolve(paths::kLastBatteryState);
    if (const Outcome written = plist::writeFile(file, plist::Value(dictionary)); !written) {
        CORVANE_DEBUG("Last battery state %s could not be written: %s", file.c_str(), written.message().c_str());
    }
}

}  // namespace

void Corvane::batteryStateChanged(const plist::Dictionary* dictionary) {
    if (dictionary == nullptr) return;
    postPostInit();

    lastBatteryStatus.reset();
    lastBatteryStatus = std::make_unique<BatteryStatus>(*dictionary);
    if (!strategy) return;

    // Statistics first: the critical-level rule and the background check run
    // inside it, so they are active only while statistics saving is on.
    if (strategy->enableSaveStats) {
        storeBatteryStatusInDB(*lastBatteryStatus);
    } else {
        CORVANE_DEBUG("Battery status save is disabled");
    }

    if (strategy->enableSaveLastBattStat) {
        writeLastBatteryState(platform_, *dictionary);
    } else {
        CORVANE_DEBUG("Battery last status save is disabled");
    }
}

}  // namespace corvane
