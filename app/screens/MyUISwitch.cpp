#include "app/screens/MyUISwitch.h"

#include "app/model/AppLog.h"

namespace corvane::app {

void MyUISwitch::setOn(bool isOn, bool animated) {
    AMPWISE_LOG("setOn : %s animated : %s", isOn ? "YES" : "NO", animated ? "YES" : "NO");
    on = isOn;
}

}  // namespace corvane::app
