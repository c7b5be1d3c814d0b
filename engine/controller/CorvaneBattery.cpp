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
// would otherwise have created it. The file's content is flushed before it
// replaces the old one, so the app never reads a part of it; the replacement
// itself is not, so a crash of the system may bring back the previous state:
// one battery report lost at most, and the next report writes it again.
bool writeLastBatteryState(platform::Platform& platform, const plist::Dictionary& dictionary) {
    const std::filesystem::path folder = paths::resolve(paths::kStatisticsFolder);
    if (!platform.fileManager().fileExists(folder) && !platform.fileManager().createDirectory(folder, true)) {
        CORVANE_DEBUG("Cannot create the statistics folder %s", folder.c_str());
        return false;
    }
    const std::filesystem::path file = paths::resolve(paths::kLastBatteryState);
    const Outcome written =
        platform::writePropertyList(platform.fileManager(), file, plist::Value(dictionary), Durability::MayRevert);
    if (!written) {
        CORVANE_DEBUG("Last battery state %s could not be written: %s", file.c_str(), written.message().c_str());
    }
    return static_cast<bool>(written);
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
        // An unchanged state is not written again (while the file is still there).
        if (lastWrittenBatteryState != *dictionary ||
            !platform_.fileManager().fileExists(paths::resolve(paths::kLastBatteryState))) {
            if (writeLastBatteryState(platform_, *dictionary)) {
                lastWrittenBatteryState = *dictionary;
            } else {
                lastWrittenBatteryState.reset();
            }
        }
    } else {
        CORVANE_DEBUG("Battery last status save is disabled");
    }
}

}  // namespace corvane
