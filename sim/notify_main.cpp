// corvane-notify: posts Darwin notifications by name, or prints those it
// hears, on the D-Bus session bus, for people debugging the link between the
// app and a live phone.

#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "shared/BusDarwinNotificationCenter.h"
#include "shared/DarwinBus.h"

namespace {

volatile std::sig_atomic_t stopped = 0;
void onStop(int) { stopped = 1; }

constexpr const char* kUsage =
    "usage: corvane-notify post NAME...\n"
    "       corvane-notify watch [NAME...]\n"
    "\n"
    "Commands:\n"
    "  post NAME...     send each NAME as a Darwin notification on the session bus.\n"
    "  watch [NAME...]  print the name of every notification heard (only the NAMEs\n"
    "                   given, if any), one per line, until Ctrl-C. Control\n"
    "                   characters and the backslash are printed as C escapes\n"
    "                   (\\n, \\x1b, \\\\).\n"
    "\n"
    "A notification is the D-Bus signal %s.%s on %s\n"
    "with the name as its one string argument.\n";

void usage(std::FILE* to) {
    std::fprintf(to, kUsage, std::string(corvane::darwinbus::kInterface).c_str(),
                 std::string(corvane::darwinbus::kMember).c_str(),
                 std::string(corvane::darwinbus::kObjectPath).c_str());
}

// A name as one printable line: any process may post any name, and a
// newline or a terminal's control sequence in one must not forge a line or
// reach the terminal. Control bytes, DEL and the backslash are written as C
// escapes, the C1 controls of UTF-8 (U+0080 to U+009F, which some terminals
// obey) as \u0080...; other text passes.
std::string escaped(const std::string& name) {
    std::string line;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0xc2 && i + 1 < name.size()) {
            const auto next = static_cast<unsigned char>(name[i + 1]);
            if (next >= 0x80 && next <= 0x9f) {
                char code[7];
                std::snprintf(code, sizeof code, "\\u%04x", next);
                line += code;
                ++i;
                continue;
            }
        }
        switch (c) {
            case '\\': line += "\\\\"; break;
            case '\n': line += "\\n"; break;
            case '\r': line += "\\r"; break;
            case '\t': line += "\\t"; break;
            default:
                if (byte < 0x20 || byte == 0x7f) {
                    char code[5];
                    std::snprintf(code, sizeof code, "\\x%02x", byte);
                    line += code;
                } else {
                    line += c;
                }
        }
    }
    return line;
}

int watch(corvane::platform::BusDarwinNotificationCenter& center, const std::vector<std::string>& names) {
    center.observeAll([&names](const std::string& name) {
        if (!names.empty() && std::find(names.begin(), names.end(), name) == names.end()) return;
        std::printf("%s\n", escaped(name).c_str());
        std::fflush(stdout);
    });
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    std::fprintf(stderr, "corvane-notify: watching %s\n", names.empty() ? "every notification" : "the names given");
    while (!stopped && center.connected()) {
        pollfd watched{center.fileDescriptor(), center.pollEvents(), 0};
        ::poll(&watched, 1, center.waitMilliseconds(1000));
        center.dispatchPending();
    }
    if (!center.connected()) {
        std::fprintf(stderr, "corvane-notify: the session bus went away\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
        usage(arguments.empty() ? stderr : stdout);
        return arguments.empty() ? 2 : 0;
    }
    const std::string& command = arguments[0];
    const std::vector<std::string> names(arguments.begin() + 1, arguments.end());
    if (command != "post" && command != "watch") {
        std::fprintf(stderr, "corvane-notify: unknown command %s\n", command.c_str());
        usage(stderr);
        return 2;
    }
    if (command == "post" && names.empty()) {
        std::fprintf(stderr, "corvane-notify: post needs at least one NAME\n");
        return 2;
    }
    for (const std::string& name : names) {
        if (name.empty()) {
            std::fprintf(stderr, "corvane-notify: a notification name cannot be empty\n");
            return 2;
        }
    }

    std::string error;
    auto center = corvane::platform::BusDarwinNotificationCenter::connect(&error);
    if (!center) {
        std::fprintf(stderr, "corvane-notify: %s; nothing to post to or watch\n", error.c_str());
        return 1;
    }
    if (command == "watch") return watch(*center, names);
    for (const std::string& name : names) center->post(name);
    // Closing the center sends what is still queued.
    center.reset();
    return 0;
}
