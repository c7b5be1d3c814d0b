#include "app/qt/ProgramOptions.h"

#include <cstdio>

namespace corvane::app {

ProgramOptions ProgramOptions::parse(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        std::optional<std::string>* target = nullptr;
        std::optional<std::string> show;
        std::optional<std::string> size;
        if (argument == "--root") target = &options.root;
        if (argument == "--screenshot") target = &options.screenshot;
        if (argument == "--show") target = &show;
        if (argument == "--size") target = &size;
        if (target == nullptr) {
            options.error = "unknown argument " + argument;
            return options;
        }
        if (index + 1 >= arguments.size() || arguments[index + 1].empty()) {
            options.error = argument + " needs a value";
            return options;
        }
        *target = arguments[++index];
        if (show) options.show = *show;
        if (size) {
            int width = 0;
            int height = 0;
            char separator = 0;
            char extra = 0;
            if (std::sscanf(size->c_str(), "%d%c%d%c", &width, &separator, &height, &extra) != 3 || separator != 'x' ||
                width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) {
                options.error = "--size takes WIDTHxHEIGHT, e.g. 1024x768";
                return options;
            }
            options.size = std::pair(width, height);
        }
    }
    if (!options.show.empty() && !options.screenshot) options.error = "--show goes with --screenshot";
    return options;
}

const char* ProgramOptions::usage() {
    return "usage: ampwise [--root DIR] [--size WxH] [--screenshot FILE.png [--show PATH]]\n"
           "\n"
           "The companion app of the Corvane battery saver: the saving strategy and what\n"
           "each radio does at lock and unlock, the application lists, the battery's graphs\n"
           "and last state, the device's capabilities and crash reports. It reads and\n"
           "writes the saver's files under the root and tells the running engine (corvaned,\n"
           "or phonesim --live) of each change over the session bus.\n"
           "\n"
           "Options:\n"
           "  --root DIR         the device's files live under DIR (default: $CORVANE_ROOT,\n"
           "                     else $XDG_DATA_HOME/corvane/device, else\n"
           "                     ~/.local/share/corvane/device: the files of corvaned).\n"
           "  --size WxH         the window's size in pixels, e.g. 1024x768.\n"
           "  --screenshot FILE  draw the window into FILE (PNG) and quit; no display needed.\n"
           "  --show PATH        before the screenshot, walk from home through rows, e.g.\n"
           "                     settings/strategy, battery/adapter, graphs, graphs/settings or\n"
           "                     graphs/zoom; a step that opens a dialog is drawn with it open.\n"
           "  --help             this text.\n";
}

}  // namespace corvane::app
