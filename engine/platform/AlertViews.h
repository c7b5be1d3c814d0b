#pragma once
// One-button alert views.

#include <memory>
#include <string_view>

namespace corvane::platform {

class AlertView {
public:
    virtual ~AlertView() = default;
    virtual void show() = 0;
    virtual bool isVisible() const = 0;
    virtual void dismissWithClickedButtonIndex(int buttonIndex, bool animated) = 0;
};

class AlertViews {
public:
    virtual ~AlertViews() = default;
    // An alert with a title, a message and a single cancel button, not yet shown.
    virtual std::unique_ptr<AlertView> create(std::string_view title, std::string_view message,
                                              std::string_view cancelButtonTitle) = 0;
};

}  // namespace corvane::platform
