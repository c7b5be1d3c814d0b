// Battery events: the latest battery record, the statistics row and the
// last-battery-state file that the app's battery detail screens read.
#include <cmath>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/battery/BatteryStatus.h"
#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/strategies/Strategie.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane {

namespace {

// Writes the received dictionary unchanged. The rename replaces the file
// whole, so the app never reads a part of it; nothing is flushed, since the
// file is rewritten at every report: a crash of the system loses one battery
// report at most (the file may come back old or empty, and the next report
// writes it again). The statistics folder is created here when the write
// finds it missing: the app reads this file long before the first statistics
// row would otherwise have created it.
bool writeLastBatteryState(platform::Platform& platform, const plist::Dictionary& dictionary) {
    const std::filesystem::path file = paths::resolve(paths::kLastBatteryState);
    const plist::Value value(dictionary);
    Outcome written = platform::writePropertyList(platform.fileManager(), file, value, Durability::Unflushed);
    if (!written && written.reason() == std::errc::no_such_file_or_directory) {
        const std::filesystem::path folder = file.parent_path();
        if (!platform.fileManager().createDirectory(folder, true)) {
            CORVANE_DEBUG("Cannot create the statistics folder %s", folder.c_str());
            return false;
        }
        written = platform::writePropertyList(platform.fileManager(), file, value, Durability::Unflushed);
    }
    if (!written) {
        CORVANE_DEBUG("Last battery state %s could not be written: %s", file.c_str(), written.message().c_str());
    }
    return static_cast<bool>(written);
}

// The whole charge percent; none without a usable current and maximum charge.
std::optional<double> wholePercent(const plist::Dictionary& state) {
    const plist::Value* current = state.find(battery::kCurrentCapacity);
    const plist::Value* maximum = state.find(battery::kMaxCapacity);
    if (current == nullptr || maximum == nullptr || !current->isNumber() || !maximum->isNumber()) return std::nullopt;
    const double percent = std::floor(100.0 * current->doubleValue() / maximum->doubleValue());
    if (!std::isfinite(percent)) return std::nullopt;
    return percent;
}

// The figures the battery screens lead with: the charge percent (the current
// charge itself when no percent can be had), whether it charges, and the
// power source.
bool changesWhatTheUserSees(const plist::Dictionary& before, const plist::Dictionary& after) {
    const std::optional<double> percentBefore = wholePercent(before);
    const std::optional<double> percentAfter = wholePercent(after);
    if (percentBefore != percentAfter) return true;
    std::vector<std::string_view> keys{battery::kIsCharging, battery::kFullyCharged, battery::kExternalConnected,
                                       battery::kAdapterInfo, battery::kAtCriticalLevel};
    if (!percentBefore) keys.push_back(battery::kCurrentCapacity);
    for (const std::string_view key : keys) {
        const plist::Value* was = before.find(key);
        const plist::Value* is = after.find(key);
        if ((was == nullptr) != (is == nullptr) || (was != nullptr && *was != *is)) return true;
    }
    return false;
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
        saveLastBatteryState(*dictionary);
    } else {
        CORVANE_DEBUG("Battery last status save is disabled");
    }
}

void Corvane::saveLastBatteryState(const plist::Dictionary& dictionary) {
    if (lastWrittenBatteryState == dictionary) {
        heldBackBatteryState.reset();
        // An unchanged state is not written again while the file is still there.
        if (platform_.fileManager().fileExists(paths::resolve(paths::kLastBatteryState))) return;
    } else if (!heldBackBatteryState && lastWrittenBatteryState &&
               !changesWhatTheUserSees(*lastWrittenBatteryState, dictionary)) {
        heldBackBatteryState = dictionary;
        return;
    }
    writeBatteryStateNow(dictionary);
}

void Corvane::writeHeldBackBatteryState() {
    if (!heldBackBatteryState) return;
    const plist::Dictionary waiting = std::move(*heldBackBatteryState);
    writeBatteryStateNow(waiting);
}

void Corvane::writeBatteryStateNow(const plist::Dictionary& dictionary) {
    heldBackBatteryState.reset();
    // After a failed write the file's content is unknown: the next state is written whatever it is.
    if (writeLastBatteryState(platform_, dictionary)) {
        lastWrittenBatteryState = dictionary;
    } else {
        lastWrittenBatteryState.reset();
    }
}

}  // namespace corvane
