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
    // The shared model, held from now on; taken from the singleton at each
    // use so that a model made anew (after a change of filesystem root) is
    // the one edited.
    PlistController& model() {
        plistController = &PlistController::sharedInstance();
        return *plistController;
    }
};

}  // namespace corvane::app
