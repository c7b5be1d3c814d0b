#pragma once
// A modal alert: title, message and buttons. The cancel button, when there is
// one, has index 0 and the other buttons follow from 1; without a cancel
// button the other buttons start at 0. The delegate, when set, hears which
// button was pressed.

#include <optional>
#include <string>
#include <vector>

namespace corvane::app {

class AlertView;

class AlertViewDelegate {
public:
    virtual ~AlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(const AlertView& alertView, int buttonIndex) = 0;
};

class AlertView {
public:
    std::string title{};
    std::string message{};
    std::optional<std::string> cancelButtonTitle{};
    std::vector<std::string> otherButtonTitles{};
    AlertViewDelegate* delegate = nullptr;

    // Every button title in index order.
    std::vector<std::string> buttonTitles() const {
        std::vector<std::string> titles;
        if (cancelButtonTitle) titles.push_back(*cancelButtonTitle);
        titles.insert(titles.end(), otherButtonTitles.begin(), otherButtonTitles.end());
        return titles;
    }
    // The user pressed a button: the delegate hears it.
    void clickButtonAtIndex(int buttonIndex) const {
        if (delegate != nullptr) delegate->alertViewClickedButtonAtIndex(*this, buttonIndex);
    }
};

}  // namespace corvane::app
