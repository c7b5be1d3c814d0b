#pragma once
// Everything the engine asks of the phone, as one set of narrow interfaces.
// The host process provides it; the engine never reaches the host otherwise.

#include "engine/platform/AlertViews.h"
#include "engine/platform/Clock.h"
#include "engine/platform/Device.h"
#include "engine/platform/EnergyCosts.h"
#include "engine/platform/Notifications.h"
#include "engine/platform/ObjectRuntime.h"
#include "engine/platform/PowerManagement.h"
#include "engine/platform/Radios.h"
#include "engine/platform/RunLoop.h"
#include "engine/platform/StatusBar.h"
#include "engine/platform/SystemInfo.h"
#include "engine/platform/SystemLog.h"
#include "engine/platform/Telephony.h"
#include "engine/platform/Threads.h"

namespace corvane::platform {

class Platform {
public:
    virtual ~Platform() = default;

    virtual ObjectRuntime& runtime() = 0;
    virtual Clock& clock() = 0;
    virtual RunLoop& mainRunLoop() = 0;
    virtual Threads& threads() = 0;
    virtual DarwinNotificationCenter& darwinNotifications() = 0;
    virtual LocalNotificationCenter& localNotifications() = 0;
    virtual SystemLog& systemLog() = 0;
    virtual StatusBar& statusBar() = 0;
    virtual AlertViews& alertViews() = 0;
    virtual Device& device() = 0;
    virtual Telephony& telephony() = 0;
    virtual Bluetooth& bluetooth() = 0;
    virtual LocationServices& locationServices() = 0;
    virtual Preferences& preferences() = 0;
    virtual LowPowerMode& lowPowerMode() = 0;
    virtual PowerManagement& powerManagement() = 0;
    virtual FileManager& fileManager() = 0;
    virtual LoadAverage& loadAverage() = 0;
    // The device's energy figures; none on a platform that does not know them.
    virtual EnergyCosts* energyCosts() { return nullptr; }
};

}  // namespace corvane::platform

// The symbol a host process exports so that the engine library, once loaded,
// finds the platform it runs on. A process without it offers no runtime and
// the library stays inert.
extern "C" corvane::platform::Platform* corvane_host_platform();
inline constexpr const char* kCorvaneHostPlatformSymbol = "corvane_host_platform";
