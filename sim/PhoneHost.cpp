#include "sim/PhoneHost.h"

#include <dlfcn.h>

#include <system_error>

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
}

PhoneHost::~PhoneHost() {
    if (currentPhone == this) currentPhone = nullptr;
    // The engine library stays loaded: an engine is never torn down.
}

PhoneHost* PhoneHost::current() { return currentPhone; }

bool PhoneHost::loadEngine(const std::filesystem::path& library, std::string* error) {
    dlerror();
    engineLibrary_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (engineLibrary_ == nullptr) {
        if (error != nullptr) {
            const char* message = dlerror();
            *error = message != nullptr ? message : "cannot load the engine library";
        }
        return false;
    }
    return true;
}

}  // namespace corvane::sim
