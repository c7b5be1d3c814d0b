// The symbol through which a loaded engine library finds the platform of the
// program hosting it. Linked into the programs that host the engine, and
// exported from them alone (see host.dynlist).

#include "host/HostedPlatform.h"

extern "C" __attribute__((visibility("default"))) corvane::platform::Platform* corvane_host_platform() {
    return corvane::host::HostedPlatform::current();
}
