#pragma once
// One table screen that edits one of the three per-application lists: the
// applications that turn the radios off while they run (mode 0), those that
// keep them on (mode 1), and those whose scheduled notifications must not be
// delayed (mode 2). Each row is an application with a switch; a change is
// written at once into the mode's list file and the engine is told to reload.
//
// The installed applications come from the names file that the engine writes
// when asked; the applications with scheduled wake-ups come from the
// platform's scheduled power events. The engine answers the request some
// time after the screen appeared (the first visit may find no file), so while
// the screen is shown it watches the names file: the front end's loop watches
// namesFileDescriptor() and calls refreshIfNamesFileChanged() when it is
// readable, and the screen reads the file again and redraws. Until then, and
// for applications no longer installed, the entries of the mode's list file
// show by their identifiers, so the user's own choices are never hidden.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/platform/FileChangeWatch.h"
#include "app/screens/SettingsViewControllerDelegate.h"
#include "app/screens/TableViewController.h"
#include "shared/PropertyList.h"

namespace corvane::app {

class AppListViewController : public TableViewController, public ListViewControllerDelegate {
public:
    AppListViewController();

    // Navigation title and list mode, set by the screen that opens this one.
    std::string mTitle;
    std::int32_t shutdowApp = 0;

    // Installed applications: bundle identifier to display name, in the
    // file's order; none until a names file has been read. Entries whose
    // name is not a string are left out.
    std::optional<plist::Dictionary> apps;
    // The display names of `apps`, sorted by plain string comparison.
    std::vector<std::string> sortedApps;
    // Applications with scheduled wake-ups (mode 2): bundle identifier to itself.
    plist::Dictionary notificationApps;
    // The keys of `notificationApps`, sorted by plain string comparison.
    std::vector<std::string> notificationAppsSorted;
    // The mode's list file: bundle identifier to boolean.
    plist::Dictionary appsToMonitor;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

    // While the screen is shown: readable when the names file may have
    // changed; -1 when not shown or when the system cannot watch files (then
    // call refreshIfNamesFileChanged on a timer).
    int namesFileDescriptor() const;
    // Reads the names file again and redraws when it changed while the
    // screen is shown; answers whether it did.
    bool refreshIfNamesFileChanged();

    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;

    // A row's switch was flipped: its new state is saved for the row's application.
    void switchChanged(SwitchUITableViewCell& cell) override;

    // Re-reads the names file, the list file and (mode 2) the scheduled events.
    void reloadApps();
    // Re-reads the mode's list file into `appsToMonitor` (mode 2 first
    // refreshes `notificationApps`).
    void loadAppsState();
    // Reads the mode's list file into appsToMonitor (empty when missing or
    // unreadable).
    void readAppsList();
    // The applications that scheduled wake-ups through the home screen's
    // persistent connections, each once.
    plist::Dictionary findNotificationApps();
    // Sets the row's application to the value in the list file, keeping
    // every other entry of the file as it is at that moment.
    void saveValue(bool value, std::uint32_t row);
    // Writes `appsToMonitor` to the mode's list file and tells the engine.
    void saveAppsState();

private:
    // The mode's list file; none for a mode without list.
    std::optional<std::filesystem::path> listFile() const;
    // The bundle identifier and the label a row shows; none when the row has
    // no application.
    struct RowApplication {
        std::string key;
        std::string label;
    };
    std::optional<RowApplication> applicationAtRow(std::uint32_t row) const;
    // The rows from what the last reload read: the installed applications
    // (mode 2: the scheduled ones) and every entry of the mode's list file.
    void buildRows();
    static bool isForced(const std::string& key);

    std::vector<RowApplication> rows_;

    std::unique_ptr<FileChangeWatch> namesWatch_;
};

}  // namespace corvane::app
