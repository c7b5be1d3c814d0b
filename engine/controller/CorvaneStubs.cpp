// Operations whose bodies arrive with the radio, cycle and statistics work.
// Each one only reports that it did nothing.
#include "engine/battery/BatteryStatus.h"
#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/radios/RadiosLib.h"

namespace corvane {

#define CORVANE_NOT_YET(name) CORVANE_DEBUG("%s: not available in this build", name)


}  // namespace corvane
