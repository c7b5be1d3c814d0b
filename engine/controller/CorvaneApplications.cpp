// Application awareness: an application of the radios-off list switches the
// radios off while it is in front; a running application of the keep-radios
// list prevents the radios from being switched off.
#include <string>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"

namespace corvane {

namespace {

// Only entries whose value is YES count.
bool listSaysYes(const plist::Dictionary& list, const std::string& identifier) {
    const plist::Value* value = list.find(identifier);
    return value != nullptr && value->boolValue();
}

}  // namespace

void Corvane::handleAppDidGoneForeground(platform::Object* application) {
    frontMostApp = application;
    if (isShutdownApp(application)) asleepRadiosAsync();
}

void Corvane::handleAppDidGoneBackground(platform::Object* application) {
    frontMostApp = nullptr;
    if (isShutdownApp(application)) awakeRadiosAsync();
}

void Corvane::handleAppDidGoneSuspended(platform::Object* application) {
    frontMostApp = nullptr;
    if (isShutdownApp(application)) awakeRadiosAsync();
}

void Corvane::handleAppDidDied(platform::Object* application) {
    frontMostApp = nullptr;
    if (isShutdownApp(application)) awakeRadiosAsync();
}

bool Corvane::isShutdownApp(platform::Object* application) {
    if (application == nullptr) return false;
    return listSaysYes(shutdownApps, homeScreen_.bundleIdentifier(application));
}

bool Corvane::isAnApplicationStreaming() {
    const std::vector<platform::Object*> applications = homeScreen_.allApplications();
    if (applications.empty()) return false;
    // Newer home screens answer whether an application runs through its
    // process object; the first application tells which kind this one is.
    const bool viaProcess = homeScreen_.respondsToProcess(applications.front());
    for (platform::Object* application : applications) {
        if (!homeScreen_.isRunning(application, viaProcess)) continue;
        if (listSaysYes(keepApps, homeScreen_.bundleIdentifier(application))) {
            CORVANE_DEBUG("Radio shutdown canceled because %s is running",
                          homeScreen_.displayName(application).c_str());
            return true;
        }
    }
    return false;
}

}  // namespace corvane
