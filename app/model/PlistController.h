#pragma once
// The app's single in-memory copy of the user's settings. Screens read and
// edit its properties; it loads them from the shared settings file, fills
// in keys the file lacks, writes them back, keeps the two data-rate
// restrictions coherent with each other and with the device, and tells the
// engine after each successful write.
//
// Used from the main thread only.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shared/MobileDataInfo.h"
#include "shared/PropertyList.h"
#include "shared/SettingsTable.h"

namespace corvane::app {

// Something the user must be told about the settings file: it cannot be read,
// or a change could not be written. The message names the file and the reason.
struct SettingsAlert {
    std::string title;
    std::string message;
};

class PlistController {
public:
    // Where alerts about the settings file go (the navigation stack shows
    // them); none drops them after logging. Kept across resets of the model.
    static void setAlertPresenter(std::function<void(const SettingsAlert&)> presenter);

    // The singleton, created with the defaults on first use.
    static PlistController& sharedInstance();
    // Drops the singleton; the next sharedInstance creates a fresh one with
    // the creation defaults and the mobile-data file as it is then (used when
    // the filesystem root changes, for example between tests).
    static void resetSharedInstance();

    PlistController(const PlistController&) = delete;
    PlistController& operator=(const PlistController&) = delete;

    // Reloads the model from the settings file; writes the missing keys, all
    // in one write with one notification. A file that cannot be read is
    // kept, the model too, and the user is told.
    void reloadPrefs();
    // Writes the whole model into the settings file (keeping keys the model
    // does not own) and notifies the engine on success. On failure the model
    // goes back to what the file holds and the user is told; answers NO.
    bool savePrefs();
    // Writes one key into a property-list file (a phone path, resolved under
    // the root; empty means the settings file), keeping the file's other
    // keys, and notifies the engine on success. On failure as savePrefs.
    bool _saveValueToFile(std::string_view path, std::string_view key, const plist::Value& value);
    // The key's integer value, or 0 after writing 0 for a missing key.
    std::int32_t getValueFromDict(const plist::Dictionary& dictionary, std::string_view forKey);

    // The minimum rate restriction for YES, the maximum for NO.
    std::int64_t radioRestrictionForType(bool isMinimum) const;
    // Stores the bound, reconciles the other one and saves; YES when the
    // other bound had to change.
    bool radioRestrictionChanged(std::int64_t rate, bool forType);
    // Adjusts the other bound after one changed; YES when it did.
    bool ensureRateCoherence(bool minimumChanged);
    // Posts the preferences-changed notification.
    void firePrefChanged();

    // The device's supported data rates, as loaded at creation and again at
    // each reloadPrefs.
    const MobileDataInfo& supportedRates() const { return supportedRates_; }

    bool debug() const { return values_.debug; }
    void setDebug(bool value) { values_.debug = value; }
    bool carMode() const { return values_.carMode; }
    void setCarMode(bool value) { values_.carMode = value; }
    bool disableIcon() const { return values_.disableIcon; }
    void setDisableIcon(bool value) { values_.disableIcon = value; }
    bool manageLowPowerMode() const { return values_.manageLowPowerMode; }
    void setManageLowPowerMode(bool value) { values_.manageLowPowerMode = value; }
    bool enabledAllRadios() const { return values_.enabledAllRadios; }
    void setEnabledAllRadios(bool value) { values_.enabledAllRadios = value; }
    bool enabledAllRadiosInBackground() const { return values_.enabledAllRadiosInBackground; }
    void setEnabledAllRadiosInBackground(bool value) { values_.enabledAllRadiosInBackground = value; }
    bool enabledEdgeOffOnWifi() const { return values_.enabledEdgeOffOnWifi; }
    void setEnabledEdgeOffOnWifi(bool value) { values_.enabledEdgeOffOnWifi = value; }
    double radioTimerDurationAtSleep() const { return values_.radioTimerDurationAtSleep; }
    void setRadioTimerDurationAtSleep(double value) { values_.radioTimerDurationAtSleep = value; }
    double radioTimerDurationAtWakeup() const { return values_.radioTimerDurationAtWakeup; }
    void setRadioTimerDurationAtWakeup(double value) { values_.radioTimerDurationAtWakeup = value; }
    double wakeIntervalMinutes() const { return values_.wakeIntervalMinutes; }
    void setWakeIntervalMinutes(double value) { values_.wakeIntervalMinutes = value; }
    std::int64_t strategy() const { return values_.strategy; }
    void setStrategy(std::int64_t value) { values_.strategy = static_cast<std::int32_t>(value); }
    bool enableNoRadioAtCriticalLevel() const { return values_.enableNoRadioAtCriticalLevel; }
    void setEnableNoRadioAtCriticalLevel(bool value) { values_.enableNoRadioAtCriticalLevel = value; }
    bool enableSaveStats() const { return values_.enableSaveStats; }
    void setEnableSaveStats(bool value) { values_.enableSaveStats = value; }
    bool enableSaveLastState() const { return values_.enableSaveLastState; }
    void setEnableSaveLastState(bool value) { values_.enableSaveLastState = value; }
    bool enableNoneOnAC() const { return values_.enableNoneOnAC; }
    void setEnableNoneOnAC(bool value) { values_.enableNoneOnAC = value; }
    bool switchRadiosOnLock() const { return values_.switchRadiosOnLock; }
    void setSwitchRadiosOnLock(bool value) { values_.switchRadiosOnLock = value; }

    // Custom strategy, state of each radio at wake-up (RadioSetting).
    std::int32_t edge() const { return values_.edge; }
    void setEdge(std::int32_t value) { values_.edge = value; }
    std::int32_t threeG() const { return values_.threeG; }
    void setThreeG(std::int32_t value) { values_.threeG = value; }
    std::int32_t fourG() const { return values_.fourG; }
    void setFourG(std::int32_t value) { values_.fourG = value; }
    std::int32_t wifi() const { return values_.wifi; }
    void setWifi(std::int32_t value) { values_.wifi = value; }
    std::int32_t push() const { return values_.push; }
    void setPush(std::int32_t value) { values_.push = value; }
    std::int32_t location() const { return values_.location; }
    void setLocation(std::int32_t value) { values_.location = value; }
    std::int32_t bluetooth() const { return values_.bluetooth; }
    void setBluetooth(std::int32_t value) { values_.bluetooth = value; }

    // Custom strategy, state of each radio at sleep (RadioSetting).
    std::int32_t edgeAtSleep() const { return values_.edgeAtSleep; }
    void setEdgeAtSleep(std::int32_t value) { values_.edgeAtSleep = value; }
    std::int32_t threeGAtSleep() const { return values_.threeGAtSleep; }
    void setThreeGAtSleep(std::int32_t value) { values_.threeGAtSleep = value; }
    std::int32_t fourGAtSleep() const { return values_.fourGAtSleep; }
    void setFourGAtSleep(std::int32_t value) { values_.fourGAtSleep = value; }
    std::int32_t wifiAtSleep() const { return values_.wifiAtSleep; }
    void setWifiAtSleep(std::int32_t value) { values_.wifiAtSleep = value; }
    std::int32_t pushAtSleep() const { return values_.pushAtSleep; }
    void setPushAtSleep(std::int32_t value) { values_.pushAtSleep = value; }
    std::int32_t locationAtSleep() const { return values_.locationAtSleep; }
    void setLocationAtSleep(std::int32_t value) { values_.locationAtSleep = value; }
    std::int32_t bluetoothAtSleep() const { return values_.bluetoothAtSleep; }
    void setBluetoothAtSleep(std::int32_t value) { values_.bluetoothAtSleep = value; }

private:
    PlistController();
    // Sets the creation defaults and loads the supported rates.
    void _init();
    // Sets every key the model owns, in the order of the file.
    void setOwnKeys(plist::Dictionary& prefs) const;
    // Reads one key of the settings table into `field`; when the file lacks
    // it, adds the value the app fills in to `fillIns` (and zeroes the field
    // where the table says so).
    template <class T>
    static void readOrFillIn(const plist::Dictionary& prefs, const settings::SettingsKey& row, T& field,
                             plist::Dictionary* fillIns);
    // The keys present in the file, over `values`.
    static void readPresentKeys(const plist::Dictionary& prefs, settings::SettingsValues& values);
    // Re-reads the file under the settings lock, lets `change` set its keys
    // and replaces it; on success logs and notifies the engine. A file that
    // cannot be read is not replaced; one that is not a file or not a
    // property list is moved aside first.
    bool updateFile(const std::filesystem::path& path, const std::function<void(plist::Dictionary&)>& change);
    // After a failed write of the settings: the model goes back to what the
    // file holds (to what was last read or written when it cannot be read).
    void restoreFromFile();
    static void tell(const SettingsAlert& alert);

    settings::SettingsValues values_;
    // The values as the settings file last held them, read or written here.
    settings::SettingsValues stored_;
    MobileDataInfo supportedRates_;
};

}  // namespace corvane::app
