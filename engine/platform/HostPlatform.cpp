#include "engine/platform/HostPlatform.h"

#include <atomic>

#include "shared/ProcessState.h"

namespace corvane::platform {

namespace {
std::atomic<Platform*> installedPlatform{nullptr};
}

Platform* HostPlatform::get() { return installedPlatform.load(std::memory_order_acquire); }

void HostPlatform::install(Platform* platform) {
    ProcessState::registerReset(ProcessState::kHostPlatform, [] { install(nullptr); });
    installedPlatform.store(platform, std::memory_order_release);
}

}  // namespace corvane::platform
