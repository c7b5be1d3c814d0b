#include "app/screens/AppListViewController.h"

#include <algorithm>
#include <system_error>

// GCC 12 sees a std::function inside libstdc++'s regex compiler as maybe
// uninitialised when the sanitizers are on (a false positive of the header).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/platform/AppPlatform.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::app {

namespace {

constexpr std::string_view kSwitchCell = "switchCell";

// A wake event scheduled for an application through the home screen's
// persistent connection: home-screen process id, a token, the application.
const char* const kPersistentConnectionPattern =
    R"(com.apple.persistentconnection\[SpringBoard,([0-9]+),0x([0-9a-f]+),([^\]]+)\])";

// Scheduler names are short; a name longer than this is not searched, so a
// pathological name cannot exhaust the regular expression engine's stack.
constexpr std::size_t kLongestSchedulerName = 4096;

bool fileExists(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

std::vector<std::string> sortedKeys(const plist::Dictionary& dictionary) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : dictionary) keys.push_back(key);
    std::sort(keys.begin(), keys.end());
    return keys;
}

}  // namespace

AppListViewController::AppListViewController() {
    tableView().registerPrototype(std::string(kSwitchCell),
                                  [] { return std::make_shared<SwitchUITableViewCell>(std::string(kSwitchCell)); });
}

// ---- Lifecycle ------------------------------------------------------------------

void AppListViewController::viewDidLoad() { reloadApps(); }

void AppListViewController::viewWillAppear(bool /*animated*/) {
    // The engine answers by rewriting the names file; it is read again once
    // the screen has appeared, without waiting for the engine, and again
    // whenever the engine's answer lands while the screen is shown. The
    // watch starts before the request so that no answer slips past it.
    namesWatch_ = std::make_unique<FileChangeWatch>(paths::resolve(paths::kApplicationNames));
    AppPlatform::current().darwinNotifications().post(notifications::kApplicationListRequest);
}

void AppListViewController::viewDidAppear(bool /*animated*/) {
    title = mTitle;
    reloadApps();
    tableView().reloadData();
}

void AppListViewController::viewDidDisappear(bool /*animated*/) { namesWatch_.reset(); }

int AppListViewController::namesFileDescriptor() const { return namesWatch_ ? namesWatch_->fileDescriptor() : -1; }

bool AppListViewController::refreshIfNamesFileChanged() {
    if (!namesWatch_ || !namesWatch_->changed()) return false;
    reloadApps();
    tableView().reloadData();
    return true;
}

// ---- Table ----------------------------------------------------------------------

int AppListViewController::numberOfRowsInSection(TableView& /*tableView*/, int /*section*/) {
    // The rows as of the last reload.
    return static_cast<int>(std::min<std::size_t>(rows_.size(), INT32_MAX));
}

std::optional<AppListViewController::RowApplication> AppListViewController::applicationAtRow(std::uint32_t row) const {
    if (row >= rows_.size()) return std::nullopt;
    return rows_[row];
}

void AppListViewController::buildRows() {
    rows_.clear();
    auto installedName = [this](const std::string& key) -> const std::string* {
        const plist::Value* name = apps ? apps->find(key) : nullptr;
        return name != nullptr ? name->asString() : nullptr;
    };
    if (shutdowApp == 2) {
        // The scheduled applications and those the list names, by identifier.
        std::vector<std::string> keys = notificationAppsSorted;
        for (const auto& [key, value] : appsToMonitor) {
            if (notificationApps.find(key) == nullptr) keys.push_back(key);
        }
        std::sort(keys.begin(), keys.end());
        for (const std::string& key : keys) {
            const std::string* name = installedName(key);
            rows_.push_back({key, name != nullptr ? *name : key});
        }
        return;
    }
    // Two applications with the same name both show the first one's identifier.
    for (const std::string& label : sortedApps) {
        for (const auto& [identifier, name] : *apps) {
            if (*name.asString() == label) {
                rows_.push_back({identifier, label});
                break;
            }
        }
    }
    // The list's own entries show even before the engine has named the
    // installed applications (and for those no longer installed), by identifier.
    for (const auto& [key, value] : appsToMonitor) {
        if (installedName(key) == nullptr) rows_.push_back({key, key});
    }
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const RowApplication& a, const RowApplication& b) { return a.label < b.label; });
}

bool AppListViewController::isForced(const std::string& key) {
    return key == power::kAlarmScheduler || key == power::kCalendarScheduler;
}

std::shared_ptr<TableCell> AppListViewController::cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) {
    auto cell =
        std::dynamic_pointer_cast<SwitchUITableViewCell>(tableView.dequeueReusableCellWithIdentifier(kSwitchCell));
    if (!cell) return nullptr;
    const auto row = static_cast<std::uint32_t>(std::max(0, indexPath.row));
    cell->row = row;
    cell->delegate = this;

    const std::optional<RowApplication> application = applicationAtRow(row);
    if (!application) {
        cell->label = L("Unknown app");
        cell->subLabel = L("None");
        cell->switchCtrl = Switch{false, true};
        return cell;
    }
    cell->label = application->label;
    cell->subLabel = application->key;
    if (shutdowApp == 2 && isForced(application->key)) {
        // Alarms and calendar alerts are never delayed: shown on, not switchable.
        cell->switchCtrl = Switch{true, false};
    } else {
        const plist::Value* state = appsToMonitor.find(application->key);
        // The engine reads list values with the boolean conversion; so does the switch.
        cell->switchCtrl = Switch{state != nullptr && state->boolValue(), true};
    }
    return cell;
}

void AppListViewController::didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) {
    tableView.deselectRowAtIndexPath(indexPath, true);
}

// ---- Reading --------------------------------------------------------------------

void AppListViewController::reloadApps() {
    const std::filesystem::path namesFile = paths::resolve(paths::kApplicationNames);
    if (!fileExists(namesFile)) {
        AMPWISE_LOG("File not found : %s", namesFile.c_str());
    } else if (std::optional<plist::Dictionary> names = plist::readDictionary(namesFile); !names) {
        // Unreadable is treated as not written yet: the names read so far stay.
        AMPWISE_LOG("File %s is not a readable dictionary, ignored", namesFile.c_str());
    } else {
        plist::Dictionary readable;
        for (const auto& [identifier, name] : *names) {
            if (name.isString())
                readable.set(identifier, name);
            else
                AMPWISE_LOG("Application %s has no name string, left out", identifier.c_str());
        }
        apps = std::move(readable);
    }

    sortedApps.clear();
    if (apps) {
        for (const auto& [identifier, name] : *apps) sortedApps.push_back(*name.asString());
    }
    std::sort(sortedApps.begin(), sortedApps.end());

    loadAppsState();
    notificationAppsSorted = sortedKeys(notificationApps);
    buildRows();
}

std::optional<std::filesystem::path> AppListViewController::listFile() const {
    switch (shutdowApp) {
        case 0: return paths::resolve(paths::kShutdownList);
        case 1: return paths::resolve(paths::kKeepList);
        case 2: return paths::resolve(paths::kDelayList);
        default: return std::nullopt;
    }
}

void AppListViewController::loadAppsState() {
    if (shutdowApp == 2) notificationApps = findNotificationApps();
    readAppsList();
}

void AppListViewController::readAppsList() {
    appsToMonitor = plist::Dictionary{};
    const std::optional<std::filesystem::path> file = listFile();
    if (!file) {
        AMPWISE_LOG("No application list for mode %d", shutdowApp);
        return;
    }
    if (!fileExists(*file)) return;
    std::optional<plist::Dictionary> list = plist::readDictionary(*file);
    if (!list) {
        AMPWISE_LOG("File %s is not a readable dictionary, the list starts empty", file->c_str());
        return;
    }
    appsToMonitor = std::move(*list);
}

plist::Dictionary AppListViewController::findNotificationApps() {
    plist::Dictionary found;
    std::optional<plist::Array> events = AppPlatform::current().powerEvents().copyScheduledPowerEvents();
    if (!events) {
        AMPWISE_LOG("Scheduled power events are not available");
        return found;
    }
    static const std::regex pattern(kPersistentConnectionPattern);
    for (const plist::Value& event : *events) {
        const plist::Dictionary* fields = event.asDictionary();
        const plist::Value* scheduledBy = fields != nullptr ? fields->find(power::kEventScheduledBy) : nullptr;
        const std::string* name = scheduledBy != nullptr ? scheduledBy->asString() : nullptr;
        if (name == nullptr) continue;
        if (name->size() > kLongestSchedulerName) {
            AMPWISE_LOG("Scheduler name of %zu characters not searched", name->size());
            continue;
        }
        for (std::sregex_iterator match(name->begin(), name->end(), pattern), end; match != end; ++match) {
            if (match->size() < 4) continue;
            const std::string application = (*match)[3].str();
            found.set(application, application);
        }
    }
    return found;
}

// ---- Writing --------------------------------------------------------------------

void AppListViewController::switchChanged(SwitchUITableViewCell& cell) { saveValue(cell.switchCtrl.on, cell.row); }

void AppListViewController::saveValue(bool value, std::uint32_t row) {
    // Whatever the file holds now is kept apart from the one key set here.
    // The scheduled applications are not searched again: the rows stay those
    // shown until the next reload.
    readAppsList();
    const std::optional<RowApplication> application = applicationAtRow(row);
    if (!application) {
        AMPWISE_LOG("No application at row %u, nothing saved", row);
        return;
    }
    if (shutdowApp == 2 && isForced(application->key)) {
        AMPWISE_LOG("%s is never delayed, nothing saved", application->key.c_str());
        return;
    }
    // Switched off stays in the file as NO.
    appsToMonitor.set(application->key, plist::Value(value));
    saveAppsState();
}

void AppListViewController::saveAppsState() {
    const std::optional<std::filesystem::path> file = listFile();
    if (!file) {
        AMPWISE_LOG("No application list for mode %d, nothing saved", shutdowApp);
        return;
    }
    // A list file that is no property list, or no file, is kept aside rather
    // than written over; one that cannot be read at all is left alone.
    const plist::Rewrite rewrite = plist::prepareRewrite(*file, AppPlatform::current().currentTime());
    if (rewrite.movedTo) {
        AMPWISE_LOG("File %s is not a readable dictionary (%s), moved aside to %s", file->c_str(),
                    rewrite.read.reason.c_str(), rewrite.movedTo->c_str());
    } else if (!rewrite.dictionary) {
        AMPWISE_LOG("file %s COULD NOT be saved: %s, the file is kept", file->c_str(), rewrite.read.reason.c_str());
        AppPlatform::current().darwinNotifications().post(notifications::kPreferencesChanged);
        return;
    }
    if (const Outcome written = plist::writeFile(*file, plist::Value(appsToMonitor)))
        AMPWISE_LOG("file %s saved", file->c_str());
    else
        AMPWISE_LOG("file %s COULD NOT be saved: %s", file->c_str(), written.message().c_str());
    // Told even after a failed write: the engine then re-reads the old list.
    AppPlatform::current().darwinNotifications().post(notifications::kPreferencesChanged);
}

}  // namespace corvane::app
