// The symbol through which a loaded engine library finds the simulated
// phone. Linked into the programs that host the engine, and exported from
// them alone (see host.dynlist).

#include "sim/PhoneHost.h"

extern "C" __attribute__((visibility("default"))) corvane::platform::Platform* corvane_host_platform() {
    return corvane::sim::PhoneHost::current();
}
