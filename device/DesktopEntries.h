#pragma once
// The installed applications, from the XDG desktop entries: the desktop-file
// id (as the application's bundle identifier) and its name, for the app's
// application lists. Entries hidden from menus are left out; an id found in
// an earlier data folder hides the same id in later ones.

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::device {

struct DesktopApplication {
    std::string id;    // e.g. "org.gnome.Lollypop"
    std::string name;  // e.g. "Lollypop"
};

// The data folders to search, most important first: $XDG_DATA_HOME (else
// ~/.local/share), then $XDG_DATA_DIRS (else /usr/local/share:/usr/share).
std::vector<std::filesystem::path> desktopDataFolders();

std::vector<DesktopApplication> desktopApplications(const std::vector<std::filesystem::path>& dataFolders);

// The name and visibility of one entry's text; none (empty id) when the text
// is not a shown application.
DesktopApplication parseDesktopEntry(const std::string& id, const std::string& text);

}  // namespace corvane::device
