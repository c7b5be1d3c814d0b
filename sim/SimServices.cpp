#include "sim/SimServices.h"

#include <cstdio>
#include <stdexcept>

namespace corvane::sim {

// ---- System log ---------------------------------------------------------------

void SimSystemLog::write(std::string_view line) {
    std::function<void(const std::string&)> observer;
    std::string text(line);
    {
        std::lock_guard guard(mutex_);
        if (lines_.size() == kKeptLines) lines_.pop_front();
        lines_.push_back(text);
        observer = observer_;
    }
    if (echo_) std::fprintf(stderr, "%s\n", text.c_str());
    if (observer) observer(text);
}

std::vector<std::string> SimSystemLog::lines() const {
    std::lock_guard guard(mutex_);
    return {lines_.begin(), lines_.end()};
}

bool SimSystemLog::contains(std::string_view fragment) const {
    std::lock_guard guard(mutex_);
    for (const auto& line : lines_) {
        if (line.find(fragment) != std::string::npos) return true;
    }
    return false;
}

void SimSystemLog::clear() {
    std::lock_guard guard(mutex_);
    lines_.clear();
}

void SimSystemLog::setObserver(std::function<void(const std::string&)> observer) {
    std::lock_guard guard(mutex_);
    observer_ = std::move(observer);
}

// ---- Local notifications -------------------------------------------------------

void SimLocalNotificationCenter::post(std::string_view name, const plist::Dictionary& userInfo) {
    std::lock_guard guard(mutex_);
    posted_.push_back(Posted{std::string(name), userInfo});
}

std::vector<SimLocalNotificationCenter::Posted> SimLocalNotificationCenter::posted() const {
    std::lock_guard guard(mutex_);
    return posted_;
}

// ---- Status bar -------------------------------------------------------------------

class SimStatusBarItem final : public platform::StatusBarItem {
public:
    explicit SimStatusBarItem(std::shared_ptr<SimStatusBar::Item> item) : item_(std::move(item)) {}
    ~SimStatusBarItem() override { item_->alive = false; }
    void setImageName(std::string_view name) override { item_->image = std::string(name); }
    void setVisible(bool visible) override { item_->visible = visible; }

private:
    std::shared_ptr<SimStatusBar::Item> item_;
};

std::unique_ptr<platform::StatusBarItem> SimStatusBar::createItem(std::string_view identifier, int /*alignment*/) {
    if (!available_) return nullptr;
    if (throws_) throw std::runtime_error("status-bar item library raised");
    auto item = std::make_shared<Item>();
    item->identifier = std::string(identifier);
    items_.push_back(item);
    ++itemsCreated_;
    return std::make_unique<SimStatusBarItem>(item);
}

std::optional<std::string> SimStatusBar::visibleImage() const {
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        if ((*it)->alive && (*it)->visible) return (*it)->image;
    }
    return std::nullopt;
}

// ---- Alerts -----------------------------------------------------------------------

class SimAlertView final : public platform::AlertView {
public:
    SimAlertView(SimAlertViews& owner, std::shared_ptr<AlertRecord> record, std::shared_ptr<bool> visible)
        : owner_(owner), record_(std::move(record)), visible_(std::move(visible)) {}
    ~SimAlertView() override { *visible_ = false; }

    void show() override {
        *visible_ = true;
        record_->shownAt = owner_.clock_.now();
        owner_.records_.push_back(record_);
        owner_.visible_.push_back(visible_);
        if (owner_.observer_) owner_.observer_(*record_);
    }
    bool isVisible() const override { return *visible_; }
    void dismissWithClickedButtonIndex(int, bool) override {
        if (!*visible_) return;
        *visible_ = false;
        record_->dismissedAt = owner_.clock_.now();
    }

private:
    SimAlertViews& owner_;
    std::shared_ptr<AlertRecord> record_;
    std::shared_ptr<bool> visible_;
};

std::unique_ptr<platform::AlertView> SimAlertViews::create(std::string_view title, std::string_view message,
                                                           std::string_view cancelButtonTitle) {
    auto record = std::make_shared<AlertRecord>();
    record->title = std::string(title);
    record->message = std::string(message);
    record->button = std::string(cancelButtonTitle);
    return std::make_unique<SimAlertView>(*this, std::move(record), std::make_shared<bool>(false));
}

std::vector<AlertRecord> SimAlertViews::alerts() const {
    std::vector<AlertRecord> result;
    for (const auto& record : records_) result.push_back(*record);
    return result;
}

bool SimAlertViews::anyVisible() const {
    for (const auto& visible : visible_) {
        if (*visible) return true;
    }
    return false;
}

void SimAlertViews::dismissVisibleByUser() {
    for (std::size_t i = 0; i < visible_.size(); ++i) {
        if (!*visible_[i]) continue;
        *visible_[i] = false;
        records_[i]->dismissedAt = clock_.now();
        records_[i]->dismissedByUser = true;
    }
}

}  // namespace corvane::sim
