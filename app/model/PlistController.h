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
#include <string_view>

#include "shared/MobileDataInfo.h"
#include "shared/PropertyList.h"

namespace corvane::app {

class PlistController {
public:
    // The singleton, created with the defaults on first use.
    static PlistController& sharedInstance();
    // Drops the singleton; the next sharedInstance creates a fresh one with
    // the creation defaults and the mobile-data file as it is then (used when
    // the filesystem root changes, for example between tests).
    static void resetSharedInstance();

    PlistController(const PlistController&) = delete;
    PlistController& operator=(const PlistController&) = delete;

    // Reloads the model from the settings file; writes each missing key.
    void reloadPrefs();
    // Writes the whole model into the settings file (keeping keys the model
    // does not own) and notifies the engine on success.
    void savePrefs();
    // Writes one key into a property-list file (a phone path, resolved under
    // the root; empty means the settings file), keeping the file's other
    // keys, and notifies the engine on success.
    void _saveValueToFile(std::string_view path, std::string_view key, const plist::Value& value);
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

    bool debug() const { return debug_; }
    void setDebug(bool value) { debug_ = value; }
    bool carMode() const { return carMode_; }
    void setCarMode(bool value) { carMode_ = value; }
    bool disableIcon() const { return disableIcon_; }
    void setDisableIcon(bool value) { disableIcon_ = value; }
    bool manageLowPowerMode() const { return manageLowPowerMode_; }
    void setManageLowPowerMode(bool value) { manageLowPowerMode_ = value; }
    bool enabledAllRadios() const { return enabledAllRadios_; }
    void setEnabledAllRadios(bool value) { enabledAllRadios_ = value; }
    bool enabledAllRadiosInBackground() const { return enabledAllRadiosInBackground_; }
    void setEnabledAllRadiosInBackground(bool value) { enabledAllRadiosInBackground_ = value; }
    bool enabledEdgeOffOnWifi() const { return enabledEdgeOffOnWifi_; }
    void setEnabledEdgeOffOnWifi(bool value) { enabledEdgeOffOnWifi_ = value; }
    double radioTimerDurationAtSleep() const { return radioTimerDurationAtSleep_; }
    void setRadioTimerDurationAtSleep(double value) { radioTimerDurationAtSleep_ = value; }
    double radioTimerDurationAtWakeup() const { return radioTimerDurationAtWakeup_; }
    void setRadioTimerDurationAtWakeup(double value) { radioTimerDurationAtWakeup_ = value; }
    double wakeIntervalMinutes() const { return wakeIntervalMinutes_; }
    void setWakeIntervalMinutes(double value) { wakeIntervalMinutes_ = value; }
    std::int64_t strategy() const { return strategy_; }
    void setStrategy(std::int64_t value) { strategy_ = value; }
    bool enableNoRadioAtCriticalLevel() const { return enableNoRadioAtCriticalLevel_; }
    void setEnableNoRadioAtCriticalLevel(bool value) { enableNoRadioAtCriticalLevel_ = value; }
    bool enableSaveStats() const { return enableSaveStats_; }
    void setEnableSaveStats(bool value) { enableSaveStats_ = value; }
    bool enableSaveLastState() const { return enableSaveLastState_; }
    void setEnableSaveLastState(bool value) { enableSaveLastState_ = value; }
    bool enableNoneOnAC() const { return enableNoneOnAC_; }
    void setEnableNoneOnAC(bool value) { enableNoneOnAC_ = value; }
    bool switchRadiosOnLock() const { return switchRadiosOnLock_; }
    void setSwitchRadiosOnLock(bool value) { switchRadiosOnLock_ = value; }

    // Custom strategy, state of each radio at wake-up (RadioSetting).
    std::int32_t edge() const { return edge_; }
    void setEdge(std::int32_t value) { edge_ = value; }
    std::int32_t threeG() const { return threeG_; }
    void setThreeG(std::int32_t value) { threeG_ = value; }
    std::int32_t fourG() const { return fourG_; }
    void setFourG(std::int32_t value) { fourG_ = value; }
    std::int32_t wifi() const { return wifi_; }
    void setWifi(std::int32_t value) { wifi_ = value; }
    std::int32_t push() const { return push_; }
    void setPush(std::int32_t value) { push_ = value; }
    std::int32_t location() const { return location_; }
    void setLocation(std::int32_t value) { location_ = value; }
    std::int32_t bluetooth() const { return bluetooth_; }
    void setBluetooth(std::int32_t value) { bluetooth_ = value; }

    // Custom strategy, state of each radio at sleep (RadioSetting).
    std::int32_t edgeAtSleep() const { return edgeAtSleep_; }
    void setEdgeAtSleep(std::int32_t value) { edgeAtSleep_ = value; }
    std::int32_t threeGAtSleep() const { return threeGAtSleep_; }
    void setThreeGAtSleep(std::int32_t value) { threeGAtSleep_ = value; }
    std::int32_t fourGAtSleep() const { return fourGAtSleep_; }
    void setFourGAtSleep(std::int32_t value) { fourGAtSleep_ = value; }
    std::int32_t wifiAtSleep() const { return wifiAtSleep_; }
    void setWifiAtSleep(std::int32_t value) { wifiAtSleep_ = value; }
    std::int32_t pushAtSleep() const { return pushAtSleep_; }
    void setPushAtSleep(std::int32_t value) { pushAtSleep_ = value; }
    std::int32_t locationAtSleep() const { return locationAtSleep_; }
    void setLocationAtSleep(std::int32_t value) { locationAtSleep_ = value; }
    std::int32_t bluetoothAtSleep() const { return bluetoothAtSleep_; }
    void setBluetoothAtSleep(std::int32_t value) { bluetoothAtSleep_ = value; }

private:
    PlistController();
    // Sets the creation defaults and loads the supported rates.
    void _init();
    // Sets every key the model owns, in the order of the file.
    void setOwnKeys(plist::Dictionary& prefs) const;
    // Re-reads the file under the settings lock, lets `change` set its keys
    // and replaces it; on success logs and notifies the engine.
    void updateFile(const std::filesystem::path& path, const std::function<void(plist::Dictionary&)>& change);
    // The dictionary of a file about to be rewritten: empty when the file is
    // missing, or unreadable (it is then moved aside first, and none when
    // that fails: nothing of the user's is written over).
    static std::optional<plist::Dictionary> settingsToUpdate(const std::filesystem::path& path);

    bool debug_ = false;
    bool carMode_ = false;
    bool disableIcon_ = false;
    bool manageLowPowerMode_ = true;
    bool enabledAllRadios_ = true;
    bool enabledAllRadiosInBackground_ = true;
    bool enabledEdgeOffOnWifi_ = true;
    double radioTimerDurationAtSleep_ = 8.0;
    double radioTimerDurationAtWakeup_ = 3.0;
    double wakeIntervalMinutes_ = 15.0;
    std::int64_t strategy_ = 2;
    bool enableNoRadioAtCriticalLevel_ = false;
    bool enableSaveStats_ = true;
    bool enableSaveLastState_ = true;
    bool enableNoneOnAC_ = true;
    bool switchRadiosOnLock_ = true;
    std::int32_t edge_ = 2;
    std::int32_t threeG_ = 0;
    std::int32_t fourG_ = 0;
    std::int32_t wifi_ = 0;
    std::int32_t push_ = 0;
    std::int32_t location_ = 0;
    std::int32_t bluetooth_ = 2;
    std::int32_t edgeAtSleep_ = 2;
    std::int32_t threeGAtSleep_ = 2;
    std::int32_t fourGAtSleep_ = 2;
    std::int32_t wifiAtSleep_ = 2;
    std::int32_t pushAtSleep_ = 2;
    std::int32_t locationAtSleep_ = 2;
    std::int32_t bluetoothAtSleep_ = 2;
    std::int64_t minRate_ = 0;
    std::int64_t maxRate_ = 0;
    MobileDataInfo supportedRates_;
};

}  // namespace corvane::app
