#include "app/screens/NavigationStack.h"

#include <algorithm>

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/model/PlistController.h"
#include "app/screens/TableViewController.h"

namespace corvane::app {

NavigationStack::NavigationStack(Storyboard storyboard) : storyboard_(std::move(storyboard)) {
    // What goes wrong with the settings file is told whatever screen is up.
    PlistController::setAlertPresenter([this](const SettingsAlert& alert) {
        showAlert(AlertView{.title = alert.title, .message = alert.message, .cancelButtonTitle = L("OK")});
    });
}

NavigationStack::~NavigationStack() {
    PlistController::setAlertPresenter({});
    pendingAlerts_.clear();
    retired_.clear();
    while (!stack_.empty()) stack_.pop_back();
}

void NavigationStack::appear(ViewController& screen, bool firstTime) {
    screen.loadViewIfNeeded();
    screen.viewWillAppear(false);
    if (auto* table = dynamic_cast<TableViewController*>(&screen)) {
        if (table->clearsSelectionOnViewWillAppear) {
            if (auto selected = table->tableView().indexPathForSelectedRow()) {
                table->tableView().deselectRowAtIndexPath(*selected, false);
            }
        }
        if (firstTime) table->tableView().reloadData();
    }
    screen.viewDidAppear(false);
}

void NavigationStack::setRootViewController(std::unique_ptr<ViewController> root) {
    retired_.clear();
    pendingAlerts_.clear();
    deferredAlerts_.clear();
    stack_.clear();
    if (!root) return;
    root->setNavigationController(this);
    stack_.push_back(std::move(root));
    appear(*stack_.back(), true);
    if (onStackChange) onStackChange();
}

ViewController* NavigationStack::topViewController() const { return stack_.empty() ? nullptr : stack_.back().get(); }

void NavigationStack::performSegue(ViewController& source, std::string_view identifier, TableCell* sender) {
    retired_.clear();
    record(performedSegues_, identifier);
    std::unique_ptr<ViewController> destination = storyboard_.instantiate(identifier);
    if (!destination) {
        AMPWISE_LOG("No screen for segue %s", std::string(identifier).c_str());
        return;
    }
    destination->setNavigationController(this);
    source.prepareForSegue(StoryboardSegue{std::string(identifier), &source, destination.get()}, sender);

    ViewController* previous = topViewController();
    if (previous != nullptr) previous->viewWillDisappear(false);
    stack_.push_back(std::move(destination));
    appear(*stack_.back(), true);
    if (previous != nullptr) previous->viewDidDisappear(false);
    if (onStackChange) onStackChange();
}

bool NavigationStack::canPerformSegue(std::string_view identifier) const { return storyboard_.hasScene(identifier); }

void NavigationStack::record(std::vector<std::string>& records, std::string_view entry) {
    if (records.size() >= kRecordLimit) records.erase(records.begin());
    records.emplace_back(entry);
}

void NavigationStack::popViewControllerAnimated(bool /*animated*/) {
    if (stack_.size() < 2) return;
    retired_.clear();
    std::unique_ptr<ViewController> leaving = std::move(stack_.back());
    stack_.pop_back();
    leaving->viewWillDisappear(false);
    appear(*stack_.back(), false);
    leaving->viewDidDisappear(false);
    forgetAlertsOf(*leaving);
    // A screen often pops itself from one of its own handlers (a tap, an
    // alert's answer): it is destroyed at the next change of the stack, once
    // that handler has returned.
    retired_.push_back(std::move(leaving));
    if (onStackChange) onStackChange();
}

void NavigationStack::forgetAlertsOf(ViewController& screen) {
    auto* delegate = dynamic_cast<AlertViewDelegate*>(&screen);
    if (delegate == nullptr) return;
    for (AlertView& alert : pendingAlerts_) {
        if (alert.delegate == delegate) alert.delegate = nullptr;
    }
}

void NavigationStack::showAlert(const AlertView& alertView) {
    pendingAlerts_.push_back(alertView);
    if (answering_) {
        deferredAlerts_.push_back(alertView);
        return;
    }
    if (onAlert) onAlert(alertView);
}

bool NavigationStack::answerAlert(int buttonIndex) {
    if (pendingAlerts_.empty()) return false;
    const AlertView alert = pendingAlerts_.back();
    pendingAlerts_.pop_back();
    const bool nested = answering_;
    answering_ = true;
    alert.clickButtonAtIndex(buttonIndex);
    answering_ = nested;
    if (nested) return true;
    std::vector<AlertView> raised;
    raised.swap(deferredAlerts_);
    for (const AlertView& next : raised) {
        if (onAlert) onAlert(next);
    }
    return true;
}

bool NavigationStack::openURL(std::string_view url) {
    record(openedURLs_, url);
    return urlOpener ? urlOpener(url) : true;
}

}  // namespace corvane::app
