#pragma once
// The phone's small services, each recording what the engine asked of it:
// the system log, local notifications, the status bar and alerts.

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/platform/AlertViews.h"
#include "engine/platform/Clock.h"
#include "engine/platform/Notifications.h"
#include "engine/platform/StatusBar.h"
#include "engine/platform/SystemLog.h"

namespace corvane::sim {

// Keeps the latest kKeptLines lines: a phone that stays awake for long, or is
// flooded with work, must not grow without bound.
class SimSystemLog final : public platform::SystemLog {
public:
    static constexpr std::size_t kKeptLines = 10000;

    void write(std::string_view line) override;
    // The lines kept, oldest first.
    std::vector<std::string> lines() const;
    bool contains(std::string_view fragment) const;
    void clear();
    void setObserver(std::function<void(const std::string&)> observer);
    // Also copy every line to standard error.
    void setEcho(bool echo) { echo_ = echo; }

private:
    mutable std::mutex mutex_;
    std::deque<std::string> lines_;
    std::function<void(const std::string&)> observer_;
    bool echo_ = false;
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
