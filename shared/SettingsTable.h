#pragma once
// The keys of the settings file, one row each: the value it sets, where the
// app reads and writes it, and what the app and the engine write for it when
// the file lacks it. Both the engine's reader and the app's model walk this
// table: adding a key is its name in Names.h, one field in SettingsValues and
// one row; the engine then says where the value it read goes.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <variant>

#include "shared/Names.h"
#include "shared/PropertyList.h"
#include "shared/SettingsCodes.h"

namespace corvane::settings {

// Every value the settings file carries, with the app's creation defaults.
// A field's type is the value's type in the file: booleans, reals, and
// integers (a strategy number is 32 bits wide, a rate code 64).
struct SettingsValues {
    bool debug = false;
    bool disableIcon = false;
    bool manageLowPowerMode = true;
    bool carMode = false;
    bool enableNoneOnAC = true;
    std::int32_t strategy = kStrategyNormal;  // a StrategyNumber
    bool switchRadiosOnLock = true;
    RateCode minRate = kRateNoRestriction;
    RateCode maxRate = kRateNoRestriction;
    bool enabledAllRadios = true;
    bool enabledAllRadiosInBackground = true;
    bool enabledEdgeOffOnWifi = true;
    double radioTimerDurationAtSleep = 8.0;
    double radioTimerDurationAtWakeup = 3.0;
    double wakeIntervalMinutes = 15.0;
    bool enableNoRadioAtCriticalLevel = false;
    bool enableSaveStats = true;
    bool enableSaveLastState = true;
    bool blockPopups = false;
    RadioSetting edge = kRadioOff;
    RadioSetting threeG = kRadioAuto;
    RadioSetting fourG = kRadioAuto;
    RadioSetting wifi = kRadioAuto;
    RadioSetting location = kRadioAuto;
    RadioSetting push = kRadioAuto;
    RadioSetting bluetooth = kRadioOff;
    RadioSetting edgeAtSleep = kRadioOff;
    RadioSetting threeGAtSleep = kRadioOff;
    RadioSetting fourGAtSleep = kRadioOff;
    RadioSetting wifiAtSleep = kRadioOff;
    RadioSetting locationAtSleep = kRadioOff;
    RadioSetting pushAtSleep = kRadioOff;
    RadioSetting bluetoothAtSleep = kRadioOff;
};

using SettingsField = std::variant<bool SettingsValues::*, double SettingsValues::*, std::int32_t SettingsValues::*,
                                   std::int64_t SettingsValues::*>;

// Which keys the engine reads whatever the strategy, and which only for the
// Custom strategy (into that strategy, whose own values are the fallbacks).
enum class EngineScope { Always, Custom };

// What the app writes for a key its reload finds missing. The written value
// only goes to the file, except Zero, which also zeroes the model.
enum class AppFillIn {
    NotRead,          // the app does not read the key
    No,               // boolean NO
    Yes,              // boolean YES
    Current,          // the model's value, in the key's type
    CurrentAsNumber,  // the model's boolean as integer 0 or 1
    Zero,             // integer 0, and the model's value becomes 0
};

// What the engine writes for a key its reload finds missing.
enum class EngineFillIn {
    Nothing,
    Fallback,          // the value used in its place, in the key's type
    FallbackAsNumber,  // the boolean used in its place, as integer 0 or 1
    RadioRule,         // the engine's own rule for radio settings
};

struct SettingsKey {
    std::string_view key;
    SettingsField field;
    EngineScope engineScope;
    // Places in the app's reload and in its whole-model save, from 1; 0 when
    // the app does not read or does not write the key.
    int appRead;
    int appWrite;
    AppFillIn appFillIn;
    bool appLogsMissing;
    EngineFillIn engineFillIn;
};

namespace table {
using V = SettingsValues;
using enum EngineScope;
using enum AppFillIn;
using enum EngineFillIn;
constexpr bool kLogged = true;
constexpr bool kQuiet = false;

// In the order the engine reads the keys.
// clang-format off
inline constexpr std::array<SettingsKey, 33> kRows{{
    // key                        field                             engine  app read, write  app fill-in      log      engine fill-in
    {kDebug,                        &V::debug,                        Always, 1,  1,  No,              kQuiet,  FallbackAsNumber},
    {kDisableIcon,                  &V::disableIcon,                  Always, 3,  4,  No,              kQuiet,  Nothing},
    {kLowPowerMode,                 &V::manageLowPowerMode,           Always, 4,  3,  Yes,             kQuiet,  Nothing},
    {kCarMode,                      &V::carMode,                      Always, 2,  2,  Yes,             kQuiet,  Nothing},
    {kNoneOnAC,                     &V::enableNoneOnAC,               Always, 15, 15, CurrentAsNumber, kLogged, FallbackAsNumber},
    {kStrategy,                     &V::strategy,                     Always, 11, 11, Current,         kQuiet,  Fallback},
    {kSwitchRadiosOnLock,           &V::switchRadiosOnLock,           Always, 16, 0,  CurrentAsNumber, kLogged, FallbackAsNumber},
    {kMinRate,                      &V::minRate,                      Always, 17, 30, Zero,            kLogged, Fallback},
    {kMaxRate,                      &V::maxRate,                      Always, 18, 31, Zero,            kLogged, Fallback},
    {kEnabledAllRadios,             &V::enabledAllRadios,             Custom, 5,  5,  Yes,             kQuiet,  Fallback},
    {kEnabledAllRadiosInBackground, &V::enabledAllRadiosInBackground, Custom, 6,  6,  Yes,             kQuiet,  Fallback},
    {kEnabledEdgeOffOnWifi,         &V::enabledEdgeOffOnWifi,         Custom, 7,  7,  Yes,             kQuiet,  Fallback},
    {kRadioTimerDurationAtSleep,    &V::radioTimerDurationAtSleep,    Custom, 8,  8,  Current,         kQuiet,  Fallback},
    {kRadioTimerDurationAtWakeup,   &V::radioTimerDurationAtWakeup,   Custom, 9,  9,  Current,         kQuiet,  Fallback},
    {kWakeInterval,                 &V::wakeIntervalMinutes,          Custom, 10, 10, Current,         kQuiet,  Fallback},
    {kManageCriticalLevel,          &V::enableNoRadioAtCriticalLevel, Custom, 12, 12, CurrentAsNumber, kQuiet,  Fallback},
    {kSaveStats,                    &V::enableSaveStats,              Custom, 13, 13, CurrentAsNumber, kLogged, Fallback},
    {kSaveLastState,                &V::enableSaveLastState,          Custom, 14, 14, CurrentAsNumber, kLogged, Fallback},
    {kBlockPopups,                  &V::blockPopups,                  Custom, 0,  0,  NotRead,         kQuiet,  Fallback},
    {kEdge,                         &V::edge,                         Custom, 19, 16, Zero,            kQuiet,  RadioRule},
    {k3G,                           &V::threeG,                       Custom, 20, 17, Zero,            kQuiet,  RadioRule},
    {k4G,                           &V::fourG,                        Custom, 21, 18, Zero,            kQuiet,  RadioRule},
    {kWiFi,                         &V::wifi,                         Custom, 22, 19, Zero,            kQuiet,  RadioRule},
    {kLocation,                     &V::location,                     Custom, 24, 21, Zero,            kQuiet,  RadioRule},
    {kPush,                         &V::push,                         Custom, 23, 20, Zero,            kQuiet,  RadioRule},
    {kBluetooth,                    &V::bluetooth,                    Custom, 25, 22, Zero,            kQuiet,  RadioRule},
    {kEdgeAtSleep,                  &V::edgeAtSleep,                  Custom, 26, 23, Zero,            kQuiet,  RadioRule},
    {k3GAtSleep,                    &V::threeGAtSleep,                Custom, 27, 24, Zero,            kQuiet,  RadioRule},
    {k4GAtSleep,                    &V::fourGAtSleep,                 Custom, 28, 25, Zero,            kQuiet,  RadioRule},
    {kWiFiAtSleep,                  &V::wifiAtSleep,                  Custom, 29, 26, Zero,            kQuiet,  RadioRule},
    {kLocationAtSleep,              &V::locationAtSleep,              Custom, 31, 28, Zero,            kQuiet,  RadioRule},
    {kPushAtSleep,                  &V::pushAtSleep,                  Custom, 30, 27, Zero,            kQuiet,  RadioRule},
    {kBluetoothAtSleep,             &V::bluetoothAtSleep,             Custom, 32, 29, Zero,            kQuiet,  RadioRule},
}};
}  // namespace table
// clang-format on
inline constexpr const auto& kSettingsTable = table::kRows;

// The rows that `place` puts in order (those of place 0 left out). The places
// must number those rows from 1 without gaps or repeats, or this does not
// compile.
template <int SettingsKey::*place>
consteval auto settingsInOrder() {
    constexpr auto placed = static_cast<std::size_t>(
        std::ranges::count_if(kSettingsTable, [](const SettingsKey& row) { return row.*place != 0; }));
    std::array<const SettingsKey*, placed> ordered{};
    for (const SettingsKey& row : kSettingsTable) {
        if (row.*place == 0) continue;
        const auto slot = static_cast<std::size_t>(row.*place - 1);
        if (slot >= placed || ordered[slot] != nullptr) throw "settings table: places repeat or leave a gap";
        ordered[slot] = &row;
    }
    return ordered;
}

// The order of the app's reload, and of its whole-model save.
inline constexpr auto kAppReadOrder = settingsInOrder<&SettingsKey::appRead>();
inline constexpr auto kAppWriteOrder = settingsInOrder<&SettingsKey::appWrite>();

// A value as written into the file: in its own type, or a boolean as
// integer 0 or 1.
template <class T>
plist::Value settingsValue(T value, bool booleanAsNumber = false) {
    if constexpr (std::is_same_v<T, bool>) {
        if (booleanAsNumber) return plist::Value(value ? 1 : 0);
    }
    return plist::Value(value);
}

}  // namespace corvane::settings
