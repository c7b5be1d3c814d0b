// phonesim: the simulated phone. Loads the engine library into a simulated
// home screen and drives a short day of events in virtual time, printing
// what the engine did.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "shared/Paths.h"
#include "sim/PhoneHost.h"

namespace {

using corvane::sim::PhoneHost;

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: phonesim [--root DIR] [--engine LIBRARY]\n"
                 "  --root DIR        filesystem root of the simulated phone\n"
                 "                    (default: $CORVANE_ROOT, else $XDG_DATA_HOME/corvane/device)\n"
                 "  --engine LIBRARY  the engine library to load (default: the one built beside phonesim)\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string engine = CORVANE_ENGINE_LIBRARY;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            usage(stdout);
            return 0;
        }
        if ((argument == "--root" || argument == "--engine") && i + 1 < argc) {
            if (argument == "--root") {
                setenv("CORVANE_ROOT", argv[++i], 1);
            } else {
                engine = argv[++i];
            }
            continue;
        }
        std::fprintf(stderr, "phonesim: unknown argument '%s'\n", argv[i]);
        usage(stderr);
        return 2;
    }

    std::error_code error;
    std::filesystem::create_directories(corvane::paths::root(), error);
    if (error) {
        std::fprintf(stderr, "phonesim: cannot create the root %s: %s\n", corvane::paths::root().c_str(),
                     error.message().c_str());
        return 1;
    }

    PhoneHost host;
    const double start = host.loop().now().secondsSince1970;
    host.log().setObserver([&](const std::string& line) {
        std::printf("[t=%7.1f] syslog  %s\n", host.loop().now().secondsSince1970 - start, line.c_str());
    });
    host.phone().setChangeObserver([&](const corvane::sim::RadioChange& change) {
        std::printf("[t=%7.1f] radio   %s %s\n", change.time.secondsSince1970 - start, change.radio.c_str(),
                    change.radio == "speed" ? change.speed.c_str() : (change.on ? "on" : "off"));
    });
    host.alerts().setObserver([&](const corvane::sim::AlertRecord& alert) {
        std::printf("[t=%7.1f] alert   %s: %s\n", alert.shownAt.secondsSince1970 - start, alert.title.c_str(),
                    alert.message.c_str());
    });

    std::string loadError;
    if (!host.loadEngine(engine, &loadError)) {
        std::fprintf(stderr, "phonesim: cannot load the engine: %s\n", loadError.c_str());
        return 1;
    }
    std::printf("phonesim: root %s, engine %s\n", corvane::paths::root().c_str(), engine.c_str());

    auto& home = host.homeScreen();
    auto step = [&](const char* what, double seconds) {
        std::printf("[t=%7.1f] event   %s\n", host.loop().now().secondsSince1970 - start, what);
        host.loop().advance(seconds);
    };
    corvane::plist::Dictionary battery{{"CurrentCapacity", 80}, {"MaxCapacity", 100}, {"IsCharging", false},
                                       {"ExternalConnected", false}, {"UpdateTime", static_cast<long long>(start)}};

    step("home screen finished launching", 1);
    home.finishLaunching();
    step("battery status changed", 1);
    home.reportBatteryStatus(&battery);
    step("lock", 0);
    home.lock();
    host.loop().advance(60);
    step("unlock", 0);
    home.unlock();
    host.loop().advance(30);
    step("AC power connected", 0);
    home.setOnAC(true);
    host.loop().advance(30);
    step("AC power disconnected", 0);
    home.setOnAC(false);
    host.loop().advance(30);

    const auto image = host.statusBarService().visibleImage();
    std::printf("status-bar icon: %s\n", image ? image->c_str() : "(none)");
    std::printf("radio switches: %zu, alerts: %zu, debug lines: %zu\n", host.phone().radioChanges().size(),
                host.alerts().alerts().size(), host.log().lines().size());
    return 0;
}
