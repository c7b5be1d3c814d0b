#include "engine/strategies/CommonToAllStrategies.h"

namespace corvane {

CommonToAllStrategies& CommonToAllStrategies::sharedInstance() {
    // Deliberately leaked: the object must outlive every other static and every
    // verification thread, up to the end of the process.
    static CommonToAllStrategies* const instance = new CommonToAllStrategies();
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
