#pragma once
// The status-bar item library, loaded by name at run time.

#include <memory>
#include <string_view>

namespace corvane::platform {

class StatusBarItem {
public:
    virtual ~StatusBarItem() = default;
    virtual void setImageName(std::string_view name) = 0;
    virtual void setVisible(bool visible) = 0;
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    // A new item (`initWithIdentifier:alignment:`); none when the item class
    // cannot be found. May throw, as the library may raise.
    virtual std::unique_ptr<StatusBarItem> createItem(std::string_view identifier, int alignment) = 0;
};

}  // namespace corvane::platform
