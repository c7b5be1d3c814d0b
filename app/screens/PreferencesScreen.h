#pragma once
// A table screen that shows and edits the shared preference model.

#include "app/model/PlistController.h"
#include "app/screens/TableViewController.h"

namespace corvane::app {

class PreferencesScreen : public TableViewController {
public:
    // The shared preference model, held once the screen has taken it.
    PlistController* plistController = nullptr;

protected:
    // The held model, taken from the singleton when not held yet.
    PlistController& model() {
        if (plistController == nullptr) plistController = &PlistController::sharedInstance();
        return *plistController;
    }
};

}  // namespace corvane::app
