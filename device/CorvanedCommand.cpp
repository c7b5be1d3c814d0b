#include "device/CorvanedCommand.h"

#include <stdlib.h>

#include "device/DeviceHost.h"
#include "device/RadioMapping.h"
#include "device/StatusReport.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::device {

namespace {

std::string onOff(std::optional<bool> state) { return state ? (*state ? "on" : "off") : "unknown"; }

StatusFacts gatherStatus(DeviceHost& host, const std::filesystem::path& engine) {
    StatusFacts facts;
    facts.root = paths::root().string();
    facts.engine = engine.string();
    std::error_code error;
    facts.engineFound = std::filesystem::exists(engine, error);
    if (auto settings = plist::readDictionary(paths::resolve(paths::kSettings))) {
        if (const plist::Value* strategy = settings->find(settings::kStrategy)) facts.strategy = strategy->intValue();
    }
    Logind* logind = host.logind();
    facts.session = logind->sessionPath();
    facts.locked = logind->locked();
    ScreenSaver* screenSaver = host.screenSaver();
    facts.services = {
        {"logind", logind->present(), ""},
        {"UPower", host.upower()->present(), host.upower()->hasBattery() ? "battery found" : "no battery"},
        {"NetworkManager", host.networkManager()->present(), ""},
        {"ModemManager", host.modemManager()->present(), host.modemManager()->hasModem() ? "modem found" : ""},
        {"BlueZ", host.bluez()->present(), ""},
        {"power-profiles-daemon", host.powerProfiles()->present(), ""},
        {"screen saver", screenSaver != nullptr, screenSaver != nullptr ? screenSaver->name() : ""},
        {"notifications", host.notifications()->present(), ""},
    };
    const bool alarm = WakeAlarm::alarmClockAllowed();
    facts.capabilities = {
        {"wake from sleep", alarm ? "yes (CLOCK_BOOTTIME_ALARM)" : "no, needs CAP_WAKE_ALARM"},
        {"sleep delay inhibitor", logind->holdsDelayInhibitor() ? "yes" : "no, needs logind"},
        {"airplane mode (rfkill)", host.rfkill().readable() ? "read" : "no, " + host.rfkill().whyNot()},
        {"switch WiFi",
         host.networkManager()->present() ? "yes (NetworkManager; polkit may ask)" : "no, needs NetworkManager"},
        {"switch cellular data", host.networkManager()->cellularData() ? "yes (NetworkManager modem connection)"
                                                                       : "no, needs a modem in NetworkManager"},
        {"switch 2G/3G/4G",
         host.modemManager()->hasModem() ? "yes (ModemManager SetCurrentModes)" : "no, needs ModemManager and a modem"},
        {"switch Bluetooth", host.bluez()->hasAdapter() ? "yes (BlueZ)" : "no, needs BlueZ and an adapter"},
        {"low-power mode",
         host.powerProfiles()->present() ? "yes (power-saver profile)" : "no, needs power-profiles-daemon"},
        {"location switch", "not available"},
        {"status-bar icon", "not available"},
    };
    const auto rate = host.modemManager()->currentRate();
    facts.radios = {
        {"wifi", host.networkManager()->present() ? onOff(host.networkManager()->wifi().enabled) : "unknown"},
        {"cellular-data", onOff(host.networkManager()->cellularData())},
        {"modes", rate ? rateName(*rate) : "unknown"},
        {"bluetooth", host.bluez()->hasAdapter() ? onOff(host.bluez()->powered()) : "unknown"},
        {"low-power", host.powerProfiles()->present() ? onOff(host.powerProfiles()->powerSaver()) : "unknown"},
        {"airplane mode", host.rfkill().readable() ? onOff(host.rfkill().airplaneMode()) : "unknown"},
    };
    return facts;
}

}  // namespace

std::string CorvanedCommand::help() {
    return R"(usage: corvaned [--root DIR] [--dry-run] [--engine PATH] [--session ID] [--rfkill PATH]
       corvaned --status [--root DIR]
       corvaned --help

Hosts the battery saver's engine (libCorvane.so) on this Linux phone or
laptop: follows logind, UPower, NetworkManager, ModemManager, BlueZ,
power-profiles-daemon, the screen saver and rfkill, and switches the radios
as the strategy in force says. Each switch is one line on standard error.

Options:
  --root DIR     where the settings, statistics and radio states live (default:
                 $CORVANE_ROOT, else $XDG_DATA_HOME/corvane/device, else
                 ~/.local/share/corvane/device; the same as ampwise).
  --dry-run      say every switch it would make ("would switch ...") and make none.
  --status       print the services found, the rights each feature needs and the
                 radios as they are, then leave. Switches nothing.
  --engine PATH  the engine library to load.
  --session ID   the logind session to follow (default: $XDG_SESSION_ID, else the
                 first session of this user).
  --rfkill PATH  the rfkill device to read airplane mode from (default /dev/rfkill;
                 "" for none).

Exit codes: 0 stopped cleanly, 1 cannot start, 2 bad command line,
3 another corvaned runs for this user.
)";
}

std::optional<CommandLine> CorvanedCommand::parse(const std::vector<std::string>& arguments, std::string* error) {
    CommandLine line;
    if (const char* rfkill = std::getenv("CORVANED_RFKILL")) line.rfkill = rfkill;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) return std::nullopt;
            return arguments[++i];
        };
        if (argument == "--dry-run") {
            line.dryRun = true;
        } else if (argument == "--status") {
            line.status = true;
        } else if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--root" || argument == "--engine" || argument == "--session" ||
                   argument == "--rfkill") {
            const std::optional<std::string> given = value();
            if (!given || (given->empty() && argument != "--rfkill")) {
                if (error != nullptr) *error = argument + " needs a value";
                return std::nullopt;
            }
            if (argument == "--root") line.root = *given;
            if (argument == "--engine") line.engine = *given;
            if (argument == "--session") line.session = *given;
            if (argument == "--rfkill") line.rfkill = *given;
        } else {
            if (error != nullptr) *error = "unknown argument: " + argument;
            return std::nullopt;
        }
    }
    return line;
}

int CorvanedCommand::run(const std::vector<std::string>& arguments, const std::filesystem::path& builtEngine,
                         std::ostream& out, std::ostream& err) {
    std::string error;
    const std::optional<CommandLine> line = parse(arguments, &error);
    if (!line) {
        err << "corvaned: " << error << "\n" << help();
        return kExitUsage;
    }
    if (line->help) {
        out << help();
        return kExitClean;
    }
    // The engine and every file path read the root from the environment.
    if (line->root) ::setenv("CORVANE_ROOT", std::filesystem::absolute(*line->root).c_str(), 1);
    const std::filesystem::path engine = line->engine.value_or(builtEngine);

    DaemonLog log;
    DeviceOptions options;
    options.dryRun = line->dryRun;
    options.session = line->session;
    if (line->rfkill) options.rfkill = *line->rfkill;
    DeviceHost host(log, options);

    if (line->status) {
        log.setQuiet(true);
        if (!host.connect()) {
            err << "corvaned: no bus answers: nothing to report\n";
            return kExitCannotStart;
        }
        out << statusText(gatherStatus(host, engine));
        return kExitClean;
    }

    std::error_code made;
    std::filesystem::create_directories(paths::resolve(paths::kPreferencesFolder), made);
    if (made) {
        log.say("cannot create the root " + paths::root().string() + ": " + made.message());
        return kExitCannotStart;
    }
    if (!host.connect()) return kExitCannotStart;
    if (!host.claimName()) {
        log.say("another corvaned runs for this user");
        return kExitAlreadyRunning;
    }
    log.say("started (root " + paths::root().string() + ", engine " + engine.string() +
            (line->dryRun ? ", dry run)" : ")"));
    host.restoreAfterCrash();
    if (!host.startEngine(engine, &error)) {
        log.say("cannot load the engine: " + error);
        host.stop();
        return kExitCannotStart;
    }
    return host.run();
}

}  // namespace corvane::device
