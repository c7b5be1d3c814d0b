#include "app/platform/SimulatedPhoneAppPlatform.h"

#include <chrono>

namespace corvane::app {

double SimulatedPhoneAppPlatform::currentTime() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

}  // namespace corvane::app
