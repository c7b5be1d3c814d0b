// The WiFi signal event: the home screen reports its signal bars often, and
// each report tells the Edge/WiFi manager whether WiFi is usable right now.
#include "engine/controller/Corvane.h"
#include "engine/edgewifi/Edge2WiFiManager.h"

namespace corvane {

void Corvane::wifiBarsChanged(int bars, platform::Object* wifiManager) {
    adaptiveWiFiSignal(bars, wifiManager);
    // Nothing can change under a strategy that leaves Edge alone on WiFi:
    // spare the association query, as this runs on every signal read.
    if (!edge2WiFiManager->followsWiFi()) return;
    const bool associated = homeScreen_.isAssociated(wifiManager);
    if (bars >= 1 && associated)
        edge2WiFiManager->wifiConnected();
    else
        edge2WiFiManager->wifiDisconnected();
}

}  // namespace corvane
