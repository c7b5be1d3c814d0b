#include "device/DesktopEntries.h"

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace corvane::device {

std::vector<std::filesystem::path> desktopDataFolders() {
    std::vector<std::filesystem::path> folders;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && *dataHome == '/') {
        folders.emplace_back(dataHome);
    } else if (home != nullptr && *home != '\0') {
        folders.push_back(std::filesystem::path(home) / ".local/share");
    }
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::stringstream dirs(dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (!dir.empty() && dir.front() == '/') folders.emplace_back(dir);
    }
    return folders;
}

DesktopApplication parseDesktopEntry(const std::string& id, const std::string& text) {
    std::istringstream lines(text);
    bool inEntry = false;
    bool application = false;
    bool hidden = false;
    std::string name;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry) continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = line.substr(0, equals);
        while (!key.empty() && key.back() == ' ') key.pop_back();
        std::string value = line.substr(equals + 1);
        while (!value.empty() && value.front() == ' ') value.erase(value.begin());
        if (key == "Type") application = value == "Application";
        if (key == "Name") name = value;
        if ((key == "NoDisplay" || key == "Hidden") && value == "true") hidden = true;
    }
    if (!application || hidden || name.empty()) return {};
    return {id, name};
}

std::vector<DesktopApplication> desktopApplications(const std::vector<std::filesystem::path>& dataFolders) {
    std::vector<DesktopApplication> found;
    std::set<std::string> seen;
    for (const std::filesystem::path& folder : dataFolders) {
        const std::filesystem::path applications = folder / "applications";
        std::error_code error;
        std::filesystem::recursive_directory_iterator it(applications, error);
        if (error) continue;
        for (; it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            if (error) break;
            const std::filesystem::path& file = it->path();
            if (file.extension() != ".desktop" || !it->is_regular_file(error)) continue;
            // The desktop-file id: the path under applications/, '/' read as '-'.
            std::string id = file.lexically_relative(applications).replace_extension().string();
            for (char& c : id) {
                if (c == '/') c = '-';
            }
            if (!seen.insert(id).second) continue;
            std::ifstream in(file);
            std::stringstream text;
            text << in.rdbuf();
            DesktopApplication entry = parseDesktopEntry(id, text.str());
            if (!entry.id.empty()) found.push_back(std::move(entry));
        }
    }
    return found;
}

}  // namespace corvane::device
