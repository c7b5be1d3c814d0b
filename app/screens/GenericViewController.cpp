#include "app/screens/GenericViewController.h"

#include "app/model/Localized.h"

namespace corvane::app {

GenericViewController::GenericViewController() {
    titleLabel.frame = {0.0, 0.0, 150.0, 30.0};
    titleLabel.backgroundColor = Color{0.0f, 0.0f, 0.0f, 0.0f};
    titleLabel.textColor = Color{1.0f, 1.0f, 1.0f, 1.0f};
    titleLabel.fontName = "HelveticaNeue-Bold";
    titleLabel.fontSize = 16.0;
    titleLabel.textAlignment = TextAlignment::Center;

    backButton.frame = {0.0, 0.0, 60.0, 40.0};
    backButton.backgroundImageName = "back_button.png";
    backButton.title = L("Back");
    backButton.fontName = "HelveticaNeue-Bold";
    backButton.fontSize = 11.0;
    backButton.titleInsetLeft = 5.0;
    backButton.flexibleHeight = true;
}

void GenericViewController::onBackButtonPressed() {
    if (Navigator* navigator = navigationController()) navigator->popViewControllerAnimated(true);
}

}  // namespace corvane::app
