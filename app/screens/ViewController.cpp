#include "app/screens/ViewController.h"

namespace corvane::app {

void ViewController::loadViewIfNeeded() {
    if (loaded_) return;
    loaded_ = true;
    viewDidLoad();
}

void ViewController::performSegueWithIdentifier(std::string_view identifier, TableCell* sender) {
    if (navigator_ != nullptr) navigator_->performSegue(*this, identifier, sender);
}

void ViewController::showAlert(const AlertView& alertView) {
    if (navigator_ != nullptr) navigator_->showAlert(alertView);
}

}  // namespace corvane::app
