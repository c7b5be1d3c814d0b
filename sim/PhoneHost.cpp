#include "sim/PhoneHost.h"

#include <system_error>

#include "host/HostedPlatform.h"
#include "shared/Paths.h"

namespace corvane::sim {

namespace {
PhoneHost* currentPhone = nullptr;
}

PhoneHost::PhoneHost(PhoneOptions options)
    : options_(std::move(options)),
      loop_(platform::Date{options_.start}),
      phone_(loop_),
      darwin_([this](std::function<void()> handler) { loop_.dispatchToMain(std::move(handler)); }),
      alerts_(loop_),
      power_(loop_) {
    phone_.withState([&](PhoneState& s) {
        s.systemVersion = options_.systemVersion;
        s.machine = options_.machine;
    });
    // A phone has its preferences folder from the start.
    std::error_code ignored;
    std::filesystem::create_directories(paths::resolve(paths::kPreferencesFolder), ignored);
    loop_.setTimeObserver([this](platform::Date now) { phone_.timeReached(now); });
    homeScreen_ = std::make_unique<HomeScreenHost>(runtime_, phone_, options_.homeScreen);
    currentPhone = this;
    host::HostedPlatform::offer(this);
}

PhoneHost::~PhoneHost() {
    if (currentPhone == this) currentPhone = nullptr;
    host::HostedPlatform::withdraw(this);
    // The engine library stays loaded: an engine is never torn down.
}

PhoneHost* PhoneHost::current() { return currentPhone; }

bool PhoneHost::loadEngine(const std::filesystem::path& library, std::string* error) {
    engineLibrary_ = host::HostedPlatform::loadEngine(library, error);
    return engineLibrary_ != nullptr;
}

}  // namespace corvane::sim
