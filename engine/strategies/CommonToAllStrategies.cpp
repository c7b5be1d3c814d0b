#include "engine/strategies/CommonToAllStrategies.h"

#include "shared/ProcessState.h"

namespace corvane {

CommonToAllStrategies& CommonToAllStrategies::sharedInstance() {
    // Deliberately leaked: the object must outlive every other static and every
    // verification thread, up to the end of the process.
    static CommonToAllStrategies* const instance = [] {
        ProcessState::registerReset(ProcessState::kCommonSettings, [] { sharedInstance().resetToCreationValues(); });
        return new CommonToAllStrategies();
    }();
    return *instance;
}

void CommonToAllStrategies::resetToCreationValues() {
    setCarMode(kCarModeAtCreation);
    setBlockPopups(kBlockPopupsAtCreation);
    setEnableNoneOnAC(kEnableNoneOnACAtCreation);
    setSwitchRadiosOnLock(kSwitchRadiosOnLockAtCreation);
    setDisableIcon(kDisableIconAtCreation);
}

}  // namespace corvane
