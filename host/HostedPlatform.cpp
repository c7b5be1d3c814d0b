#include "host/HostedPlatform.h"

#include <dlfcn.h>

#include <atomic>

namespace corvane::host {

namespace {
std::atomic<platform::Platform*> offered{nullptr};
}

platform::Platform* HostedPlatform::current() { return offered.load(std::memory_order_acquire); }

void HostedPlatform::offer(platform::Platform* platform) { offered.store(platform, std::memory_order_release); }

void HostedPlatform::withdraw(platform::Platform* platform) {
    offered.compare_exchange_strong(platform, nullptr, std::memory_order_acq_rel);
}

void* HostedPlatform::loadEngine(const std::filesystem::path& library, std::string* error) {
    dlerror();
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr && error != nullptr) {
        const char* message = dlerror();
        *error = message != nullptr ? message : "cannot load the engine library";
    }
    return handle;
}

}  // namespace corvane::host
