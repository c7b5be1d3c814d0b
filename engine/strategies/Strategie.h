#pragma once
// A saving strategy: which radios to switch off when the phone goes to sleep,
// which to switch back on at wake-up, after how long, how often to wake the
// radios in the background, and switches for the other engine features.
// The concrete strategies form a chain of classes; each constructor starts
// from its parent's values and changes some of them. Only the Custom strategy
// is written after construction (by the settings reader).

#include <cstdint>
#include <memory>
#include <string>

#include "shared/SettingsCodes.h"

namespace corvane {

class Strategie {
public:
    Strategie() = default;
    virtual ~Strategie() = default;

    // A new strategy of the class that the number names, owned by the caller;
    // none for a number outside 0-6.
    static std::unique_ptr<Strategie> strategyFromEnum(std::int32_t number);

    // Display name of the strategy.
    virtual std::string name() const;
    // NO only for the None strategy, which never switches anything.
    virtual bool canTurnOFFRadios() const;

    std::int32_t strategy = kStrategyNone;
    // Run the periodic background WiFi/cellular check.
    bool monitorWiFiInBackground = false;
    // Seconds between the lock event and switching the radios off.
    double radioTimerDurationAtSleep = 0.0;
    // Seconds between the unlock event and switching the radios on.
    double radioTimerDurationAtWakeup = 0.0;
    // Minutes between background wake-ups; also the background check period.
    double wakeIntervalMinutes = 15.0;
    // Radios are switched back on at wake-up at all.
    bool enabledAllRadios = false;
    // Radios are switched back on during background wake-ups.
    bool enabledAllRadiosInBackground = false;
    // Cellular data is switched off while WiFi is usable.
    bool enabledEdgeOffOnWifi = false;
    // The Ultimate strategy is forced at the battery's critical level.
    bool enableNoRadioAtCriticalLevel = false;
    // Battery records are stored in the statistics database.
    bool enableSaveStats = true;
    // The last battery state file is written.
    bool enableSaveLastBattStat = true;

    // State at wake-up.
    RadioSetting edge = kRadioOff;
    RadioSetting threeG = kRadioOff;
    RadioSetting fourG = kRadioOff;
    RadioSetting wifi = kRadioOff;
    RadioSetting location = kRadioOff;
    RadioSetting push = kRadioOff;
    RadioSetting bluetooth = kRadioOff;

    // State at sleep.
    RadioSetting edgeAtSleep = kRadioOff;
    RadioSetting threeGAtSleep = kRadioOff;
    RadioSetting fourGAtSleep = kRadioOff;
    RadioSetting wifiAtSleep = kRadioOff;
    RadioSetting locationAtSleep = kRadioOff;
    RadioSetting pushAtSleep = kRadioOff;
    RadioSetting bluetoothAtSleep = kRadioOff;

    // System low-power mode at wake-up and at sleep.
    RadioSetting lowPowerMode = kRadioOff;
    RadioSetting lowPowerModeAtSleep = kRadioOff;

protected:
    // Sets the seven wake-up radio fields to one value.
    void setAllRadiosAtWakeup(RadioSetting setting);
    // Sets the seven at-sleep radio fields to one value.
    void setAllRadiosAtSleep(RadioSetting setting);
};

}  // namespace corvane
