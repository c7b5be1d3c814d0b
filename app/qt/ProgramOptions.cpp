#include "app/qt/ProgramOptions.h"

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
        if (argument == "--root") target = &options.root;
        if (argument == "--screenshot") target = &options.screenshot;
        if (argument == "--show") target = &show;
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
    }
    if (!options.show.empty() && !options.screenshot) options.error = "--show goes with --screenshot";
    return options;
}

const char* ProgramOptions::usage() {
    return "usage: ampwise [--root DIR] [--screenshot FILE.png [--show PATH]]\n"
           "  --root DIR         the phone's files live under DIR (default: $CORVANE_ROOT)\n"
           "  --screenshot FILE  draw the window into FILE (PNG) and quit, no display needed\n"
           "  --show PATH        before the screenshot, walk from home through rows, e.g.\n"
           "                     settings/strategy, battery/adapter, graphs or graphs/settings\n";
}

}  // namespace corvane::app
