#pragma once
// The base screen with the app's own navigation bar look: a bold white title
// label as the bar's title view and a custom "Back" button as its left item
// that goes back to the previous screen.

#include <string>

#include "app/screens/LabelView.h"
#include "app/screens/ViewController.h"
#include "app/screens/ViewRect.h"

namespace corvane::app {

// A bar button drawn from an image with a title over it.
struct BarButton {
    ViewRect frame;
    std::string backgroundImageName;
    std::string title;
    std::string fontName;
    double fontSize = 0.0;
    double titleInsetLeft = 0.0;
    bool flexibleHeight = false;
};

class GenericViewController : public ViewController {
public:
    GenericViewController();

    // The navigation bar's title view.
    LabelView titleLabel;
    // The navigation bar's left item.
    BarButton backButton;

    // The user lifts a finger inside the back button.
    void touchUpInsideBackButton() { onBackButtonPressed(); }
    // Goes back to the previous screen (animated).
    virtual void onBackButtonPressed();
};

}  // namespace corvane::app
