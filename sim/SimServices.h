#pragma once
// The phone's small services, each recording what the engine asked of it:
// the system log, Darwin and local notifications, the status bar and alerts.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/platform/AlertViews.h"
#include "engine/platform/Clock.h"
#include "engine/platform/Notifications.h"
#include "engine/platform/RunLoop.h"
#include "engine/platform/StatusBar.h"
#include "engine/platform/SystemLog.h"

namespace corvane::sim {

class SimSystemLog final : public platform::SystemLog {
public:
    void write(std::string_view line) override;
    std::vector<std::string> lines() const;
    bool contains(std::string_view fragment) const;
    void clear();
    void setObserver(std::function<void(const std::string&)> observer);
    // Also copy every line to standard error.
    void setEcho(bool echo) { echo_ = echo; }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::function<void(const std::string&)> observer_;
    bool echo_ = false;
};

// Darwin notifications within the simulated phone: a post reaches every
// handler registered for the name, on the main run loop.
class SimDarwinNotificationCenter final : public platform::DarwinNotificationCenter {
public:
    explicit SimDarwinNotificationCenter(platform::RunLoop& mainRunLoop) : mainRunLoop_(mainRunLoop) {}
    void post(std::string_view name) override;
    bool registerDispatch(std::string_view name, std::function<void()> handler) override;

    std::vector<std::string> posted() const;
    std::size_t postCount(std::string_view name) const;
    std::size_t handlerCount(std::string_view name) const;

    // With a relay, posts leave the phone through it instead of being
    // delivered here; what comes back (from this phone or any other
    // process) is handed to deliver. None restores delivery on the phone.
    void setRelay(std::function<void(std::string_view)> relay);
    // Runs the handlers registered for the name, on the main run loop.
    void deliver(std::string_view name);

private:
    platform::RunLoop& mainRunLoop_;
    mutable std::mutex mutex_;
    std::vector<std::string> posted_;
    std::function<void(std::string_view)> relay_;
    std::multimap<std::string, std::shared_ptr<std::function<void()>>, std::less<>> handlers_;
};

class SimLocalNotificationCenter final : public platform::LocalNotificationCenter {
public:
    struct Posted {
        std::string name;
        plist::Dictionary userInfo;
    };
    void post(std::string_view name, const plist::Dictionary& userInfo) override;
    std::vector<Posted> posted() const;

private:
    mutable std::mutex mutex_;
    std::vector<Posted> posted_;
};

// The status bar: items exist only while the item class is available.
class SimStatusBar final : public platform::StatusBar {
public:
    std::unique_ptr<platform::StatusBarItem> createItem(std::string_view identifier, int alignment) override;

    void setItemClassAvailable(bool available) { available_ = available; }
    void setCreationThrows(bool throws) { throws_ = throws; }
    // The image of the visible item, or none when no item shows.
    std::optional<std::string> visibleImage() const;
    int itemsCreated() const { return itemsCreated_; }

private:
    friend class SimStatusBarItem;
    struct Item {
        std::string identifier;
        std::string image;
        bool visible = true;
        bool alive = true;
    };
    bool available_ = true;
    bool throws_ = false;
    int itemsCreated_ = 0;
    std::vector<std::shared_ptr<Item>> items_;
};

struct AlertRecord {
    platform::Date shownAt;
    std::string title;
    std::string message;
    std::string button;
    std::optional<platform::Date> dismissedAt;
    bool dismissedByUser = false;
};

class SimAlertViews final : public platform::AlertViews {
public:
    explicit SimAlertViews(platform::Clock& clock) : clock_(clock) {}
    std::unique_ptr<platform::AlertView> create(std::string_view title, std::string_view message,
                                                std::string_view cancelButtonTitle) override;

    std::vector<AlertRecord> alerts() const;
    bool anyVisible() const;
    // The user taps the button of the alert on screen.
    void dismissVisibleByUser();
    void setObserver(std::function<void(const AlertRecord&)> observer) { observer_ = std::move(observer); }

private:
    friend class SimAlertView;
    platform::Clock& clock_;
    std::vector<std::shared_ptr<AlertRecord>> records_;
    std::vector<std::shared_ptr<bool>> visible_;
    std::function<void(const AlertRecord&)> observer_;
};

}  // namespace corvane::sim
