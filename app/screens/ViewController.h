#pragma once
// A screen of the app. The navigation stack drives its lifecycle (load,
// appear, disappear) and gives it the Navigator through which it moves to
// other screens and shows alerts.

#include <string>
#include <string_view>

#include "app/screens/Navigator.h"

namespace corvane::app {

class TableCell;

struct StoryboardSegue {
    std::string identifier;
    ViewController* source = nullptr;
    ViewController* destination = nullptr;
};

class ViewController {
public:
    ViewController() = default;
    virtual ~ViewController() = default;
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // Runs viewDidLoad the first time only.
    void loadViewIfNeeded();
    bool isViewLoaded() const { return loaded_; }

    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool /*animated*/) {}
    virtual void viewDidAppear(bool /*animated*/) {}
    virtual void viewWillDisappear(bool /*animated*/) {}
    virtual void viewDidDisappear(bool /*animated*/) {}
    // The screen's views are dropped (memory pressure); the next display
    // loads them again.
    virtual void viewDidUnload() {}
    virtual bool shouldAutorotateToInterfaceOrientation(int /*orientation*/) const { return true; }

    // The destination of a segue from this screen is about to be shown.
    virtual void prepareForSegue(const StoryboardSegue& /*segue*/, TableCell* /*sender*/) {}
    void performSegueWithIdentifier(std::string_view identifier, TableCell* sender);

    // The navigation bar's title.
    std::string title;

    Navigator* navigationController() const { return navigator_; }
    void setNavigationController(Navigator* navigator) { navigator_ = navigator; }

    // Shows an alert through the navigator (nothing without one).
    void showAlert(const AlertView& alertView);

private:
    Navigator* navigator_ = nullptr;
    bool loaded_ = false;
};

}  // namespace corvane::app
