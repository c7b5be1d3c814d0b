#include "app/model/PlistController.h"

#include <memory>

namespace corvane::app {

namespace {
std::unique_ptr<PlistController> instance;
}

PlistController& PlistController::sharedInstance() {
    if (!instance) instance.reset(new PlistController());
    return *instance;
}

void PlistController::resetSharedInstance() { instance.reset(); }

PlistController::PlistController() { _init(); }

void PlistController::_init() { supportedRates_ = MobileDataInfo::loadFromFile(); }

}  // namespace corvane::app
