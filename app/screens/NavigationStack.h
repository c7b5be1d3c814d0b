#pragma once
// The app's single navigation stack: screens are pushed by segues and popped
// back, each through its full lifecycle. Alerts wait here until the user
// answers them; a front end shows them as they come (onAlert) and forwards
// the answer with answerAlert. An alert raised while an answer is being
// handled is announced only once that handler has returned, so a front end
// never has to show one alert from inside another's answer.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/screens/Navigator.h"
#include "app/screens/Storyboard.h"
#include "app/screens/ViewController.h"

namespace corvane::app {

class NavigationStack final : public Navigator {
public:
    explicit NavigationStack(Storyboard storyboard);
    ~NavigationStack() override;

    // Replaces the whole stack with this screen, loaded and shown.
    void setRootViewController(std::unique_ptr<ViewController> root);
    ViewController* topViewController() const;
    std::size_t depth() const { return stack_.size(); }

    void performSegue(ViewController& source, std::string_view identifier, TableCell* sender) override;
    bool canPerformSegue(std::string_view identifier) const override;
    void popViewControllerAnimated(bool animated) override;
    void showAlert(const AlertView& alertView) override;
    bool openURL(std::string_view url) override;

    // Alerts shown and not answered yet, oldest first.
    const std::vector<AlertView>& pendingAlerts() const { return pendingAlerts_; }
    // The user presses a button of the newest pending alert. NO when none.
    bool answerAlert(int buttonIndex);

    // The latest segues performed and addresses opened (at most
    // kRecordLimit of each), oldest first.
    static constexpr std::size_t kRecordLimit = 32;
    const std::vector<std::string>& performedSegues() const { return performedSegues_; }
    const std::vector<std::string>& openedURLs() const { return openedURLs_; }

    std::function<void(const AlertView&)> onAlert;
    // Opens an address for real; without it addresses are only recorded.
    std::function<bool(std::string_view)> urlOpener;
    // Told after each push and pop.
    std::function<void()> onStackChange;

private:
    void appear(ViewController& screen, bool firstTime);
    void forgetAlertsOf(ViewController& screen);
    static void record(std::vector<std::string>& records, std::string_view entry);

    Storyboard storyboard_;
    std::vector<std::unique_ptr<ViewController>> stack_;
    // Popped screens, kept until the next change of the stack.
    std::vector<std::unique_ptr<ViewController>> retired_;
    std::vector<AlertView> pendingAlerts_;
    bool answering_ = false;
    // Alerts raised while an answer was handled, announced after it.
    std::vector<AlertView> deferredAlerts_;
    std::vector<std::string> performedSegues_;
    std::vector<std::string> openedURLs_;
};

}  // namespace corvane::app
