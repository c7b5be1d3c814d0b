#pragma once
// The app's screens and the transitions between them: the home list first,
// and every named segue with the screen it leads to. A front end shows the
// screens of a NavigationStack built on this storyboard.

#include <memory>

#include "app/screens/Storyboard.h"
#include "app/screens/ViewController.h"

namespace corvane::app {

class AmpwiseStoryboard {
public:
    // Every segue of the app with its destination.
    static Storyboard make();
    // The screen the app starts on.
    static std::unique_ptr<ViewController> instantiateInitialViewController();
};

}  // namespace corvane::app
