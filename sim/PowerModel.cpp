#include "sim/PowerModel.h"

#include <algorithm>

namespace corvane::sim {

// Sources of the figures below:
//  [CH10] A. Carroll, G. Heiser, "An Analysis of Power Consumption in a
//         Smartphone", USENIX ATC 2010 (Openmoko Neo Freerunner).
//  [PT10] L. Zhang et al., "Accurate Online Power Estimation and Automatic
//         Battery Behavior Based Power Model Generation for Smartphones"
//         (PowerTutor), CODES+ISSS 2010 (HTC Dream power model).
//  [HU12] J. Huang et al., "A Close Examination of Performance and Power
//         Characteristics of 4G LTE Networks", MobiSys 2012.
//  [BA09] N. Balasubramanian et al., "Energy Consumption in Mobile Phones: A
//         Measurement Study and Implications for Network Applications", IMC 2009.
// "Estimate" marks a figure for which no published measurement was at hand;
// the comment says how it was made.

namespace {

// Whole device while suspended, GSM registered: 68.6 mW [CH10, suspend state].
constexpr double kSuspendedBaseline = 68.6;
// Whole device awake and idle, display dark: 268.8 mW [CH10, idle state].
constexpr double kAwakeBaseline = 268.8;
// Display at mid brightness: 2.40 mW per brightness step [PT10, LCD model] at
// step 128 of 255 gives 307 mW; [CH10] measured the backlight alone at up to
// about 414 mW at full brightness.
constexpr double kScreen = 307.0;

// WiFi associated and idle (power-save mode): 20 mW, PowerTutor's "low" state [PT10].
constexpr double kWiFiIdle = 20.0;
// WiFi transferring: 710 mW, PowerTutor's "high" state [PT10].
constexpr double kWiFiActive = 710.0;
// WiFi on but not associated, scanning for a network. Estimate: the idle
// state plus one second of the high state every 30 s of scanning [PT10
// figures]: 20 + 710 / 30 = 44 mW.
constexpr double kWiFiScanning = 44.0;

// Cellular data on, radio idle between transfers (paging): 10 mW, PowerTutor's
// 3G IDLE state [PT10]; used for every generation.
constexpr double kCellularIdle = 10.0;
// 2G (GPRS/EDGE) transfer. Estimate: 2G transmits at lower power than 3G;
// taken at 450 mW, below the 570 mW of 3G DCH [PT10].
constexpr double kCellular2GActive = 450.0;
// 2G tail after a transfer: about 6 s [BA09, GSM tail]; power estimated at
// half of the transfer power.
constexpr double kCellular2GTail = 225.0;
constexpr double kCellular2GTailSeconds = 6.0;
// 3G transfer: 570 mW, DCH state [PT10].
constexpr double kCellular3GActive = 570.0;
// 3G tail: DCH held 6 s (570 mW), then FACH 4 s (401 mW) [PT10]; as one
// 10-second tail at their time-weighted mean, (6 * 570 + 4 * 401) / 10 = 502 mW.
constexpr double kCellular3GTail = 502.0;
constexpr double kCellular3GTailSeconds = 10.0;
// LTE transfer: base power about 1288 mW [HU12, LTE power model].
constexpr double kCellular4GActive = 1288.0;
// LTE tail: about 1060 mW for about 11.6 s [HU12].
constexpr double kCellular4GTail = 1060.0;
constexpr double kCellular4GTailSeconds = 11.6;
// A voice call. Estimate: 600 mW for the cellular radio, between the 3G
// FACH (401 mW) and DCH (570 mW) states of [PT10] plus the audio path.
constexpr double kCall = 600.0;

// Bluetooth on, not connected (page and inquiry scans). Estimate: 5 mW, a
// few milliwatts as the scans run at a low duty cycle.
constexpr double kBluetoothIdle = 5.0;
// Bluetooth connected to an idle device (sniff mode). Estimate: 15 mW.
constexpr double kBluetoothConnected = 15.0;

// GPS receiver on: 143 mW [CH10].
constexpr double kGPS = 143.0;
// Share of the awake time during which applications use location services
// while they are on. Estimate: 10 %. A suspended phone runs no GPS.
constexpr double kLocationDutyAwake = 0.10;

// Share of the time the data interface transfers while the user works on
// the phone (browsing, messages). Estimate: 25 %.
constexpr double kInteractiveDuty = 0.25;
// Share of the time an audio stream transfers (buffered bursts). Estimate: 10 %.
constexpr double kStreamingDuty = 0.10;

// Low-power mode slows the processor and stops background work. Estimate:
// 20 % less for the awake baseline.
constexpr double kLowPowerModeAwakeFactor = 0.80;

// Charging from a 5 W (5 V, 1 A) adapter: constant current 1000 mA up to 80 %
// charge, then a constant-voltage taper. Estimate: linear down to 100 mA at full.
constexpr double kChargeCurrent = 1000.0;
constexpr double kChargeTaperStart = 0.80;
constexpr double kChargeCurrentAtFull = 100.0;
// Nominal voltage of a phone's lithium-ion cell (the iPhone 5s battery is
// marked 3.8 V, 1560 mAh).
constexpr double kNominalVoltage = 3.8;

double activePower(CellularSpeed speed) {
    switch (speed) {
        case CellularSpeed::G2: return kCellular2GActive;
        case CellularSpeed::G3: return kCellular3GActive;
        case CellularSpeed::G4: return kCellular4GActive;
    }
    return kCellular3GActive;
}

double tailPower(CellularSpeed speed) {
    switch (speed) {
        case CellularSpeed::G2: return kCellular2GTail;
        case CellularSpeed::G3: return kCellular3GTail;
        case CellularSpeed::G4: return kCellular4GTail;
    }
    return kCellular3GTail;
}

}  // namespace

std::string_view componentName(Component component) {
    switch (component) {
        case Component::Suspended: return "suspended";
        case Component::Awake: return "awake";
        case Component::Screen: return "screen";
        case Component::WiFi: return "wifi";
        case Component::Cellular: return "cellular";
        case Component::Bluetooth: return "bluetooth";
        case Component::Location: return "location";
        case Component::Count: break;
    }
    return "?";
}

std::string_view cellularSpeedName(CellularSpeed speed) {
    switch (speed) {
        case CellularSpeed::G2: return "2G";
        case CellularSpeed::G3: return "3G";
        case CellularSpeed::G4: return "4G";
    }
    return "?";
}

ComponentPower PowerModel::draw(const ComponentState& s) {
    ComponentPower power{};
    auto at = [&](Component c) -> double& { return power[static_cast<std::size_t>(c)]; };

    at(Component::Suspended) = s.asleep ? kSuspendedBaseline : 0.0;
    at(Component::Awake) = s.asleep ? 0.0 : kAwakeBaseline * (s.lowPowerMode ? kLowPowerModeAwakeFactor : 1.0);
    at(Component::Screen) = !s.asleep && s.screenOn ? kScreen : 0.0;

    // The user's and the streaming application's traffic goes over WiFi when
    // it is associated, else over cellular data.
    const bool wifiUp = s.wifiEnabled && s.wifiAssociated;
    const bool cellularUp = s.cellularRadio && s.cellularData;
    double duty = 0.0;
    if (!s.asleep && s.interactive) duty = kInteractiveDuty;
    if (!s.asleep && s.streaming) duty = std::max(duty, kStreamingDuty);

    if (s.wifiEnabled) {
        if (s.wifiActive || s.tethering) {
            at(Component::WiFi) = kWiFiActive;
        } else if (!s.wifiAssociated) {
            at(Component::WiFi) = kWiFiScanning;
        } else {
            at(Component::WiFi) = kWiFiIdle + duty * (kWiFiActive - kWiFiIdle);
        }
    }

    if (s.cellularRadio) {
        double cellular = s.call ? kCall : 0.0;
        if (s.cellularData) {
            if (s.cellularActive || s.tethering) {
                cellular += activePower(s.speed);
            } else if (!wifiUp && cellularUp && duty > 0.0) {
                // Traffic in bursts keeps the radio between transfer and tail.
                cellular += duty * activePower(s.speed) + (1.0 - duty) * tailPower(s.speed);
            } else if (s.cellularTail) {
                cellular += tailPower(s.speed);
            } else {
                cellular += kCellularIdle;
            }
        }
        at(Component::Cellular) = cellular;
    }

    if (s.bluetooth) at(Component::Bluetooth) = s.bluetoothConnected ? kBluetoothConnected : kBluetoothIdle;
    if (s.location && !s.asleep) at(Component::Location) = kLocationDutyAwake * kGPS;
    return power;
}

double PowerModel::lowPowerModeSaving(const ComponentState& s) {
    if (s.asleep || !s.lowPowerMode) return 0.0;
    return kAwakeBaseline * (1.0 - kLowPowerModeAwakeFactor);
}

double PowerModel::tailSeconds(CellularSpeed speed) {
    switch (speed) {
        case CellularSpeed::G2: return kCellular2GTailSeconds;
        case CellularSpeed::G3: return kCellular3GTailSeconds;
        case CellularSpeed::G4: return kCellular4GTailSeconds;
    }
    return kCellular3GTailSeconds;
}

double PowerModel::chargeCurrent(double fraction) {
    if (fraction >= 1.0) return 0.0;
    if (fraction <= kChargeTaperStart) return kChargeCurrent;
    const double along = (fraction - kChargeTaperStart) / (1.0 - kChargeTaperStart);
    return kChargeCurrent + along * (kChargeCurrentAtFull - kChargeCurrent);
}

double PowerModel::nominalVoltage() { return kNominalVoltage; }

}  // namespace corvane::sim
