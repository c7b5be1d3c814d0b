#include "sim/SimEnergyCosts.h"

#include "sim/PhoneDay.h"

namespace corvane::sim {

SimEnergyCosts::SimEnergyCosts(const DeviceProfile& p) {
    // As the power model charges them (sim/PowerModel.cpp): WiFi asleep and
    // associated with its broadcast wake-ups; cellular data adds nothing to
    // the paging that goes on without it; the GPS draws only while used.
    costs_.wifiIdleMilliwatts = p.wifiAsleepIdle + p.wifiBroadcastWakesPerHour * p.wifiBroadcastWake / 3.6;
    costs_.cellularDataIdleMilliwatts = 0.0;
    costs_.bluetoothIdleMilliwatts = p.bluetoothIdle;
    costs_.locationIdleMilliwatts = 0.0;
    costs_.wifiJoinJoules = p.wifiAssociation;
    costs_.cellularAttachJoules = p.cellularAttach;
    costs_.bluetoothOnJoules = 0.0;
    costs_.awakeMilliwatts = p.awake + p.wifiIdle;
    // The low-power mode's share of the processor awake with the screen off.
    costs_.lowPowerModeSavingMilliwatts = p.awake * (1.0 - p.lowPowerModeFactor);
    // An application's wake-up: the phone awake until the system asks to
    // sleep, and the application's transfer over WiFi.
    costs_.wakeJoules = (p.awake + p.wifiIdle) * PhoneDay::kFirstSleepAsk / 1000.0 +
                        p.wifiActive * PhoneDay::kAppTransferSeconds / 1000.0;
}

}  // namespace corvane::sim
