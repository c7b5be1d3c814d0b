#include "sim/LiveRun.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "shared/BusDarwinNotificationCenter.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "shared/SettingsCodes.h"
#include "sim/PhoneDay.h"
#include "sim/PhoneHost.h"
#include "sim/PhoneInfoFile.h"
#include "sim/TraceWriter.h"

namespace corvane::sim {

namespace {

// The longest the phone waits for input before its clock moves on.
constexpr int kTickMilliseconds = 20;

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) { interrupted = 1; }

// Ctrl-C and a polite kill end the run through the loop, so that the summary
// is printed; the previous handlers come back at the end.
class InterruptGuard {
public:
    InterruptGuard() {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &previousInt_);
        ::sigaction(SIGTERM, &action, &previousTerm_);
    }
    ~InterruptGuard() {
        ::sigaction(SIGINT, &previousInt_, nullptr);
        ::sigaction(SIGTERM, &previousTerm_, nullptr);
    }

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

// Splits what arrives on the input into lines. A line longer than any event
// (input without newlines) is dropped as it comes instead of growing
// without bound; it then reads as an empty line, counted like the others.
class LineInput {
public:
    explicit LineInput(int fd) : fd_(fd) {}
    bool open() const { return open_; }
    int fd() const { return fd_; }
    // Reads what is there; answers the complete lines.
    std::vector<std::string> read() {
        std::vector<std::string> lines;
        char buffer[4096];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return lines;
        if (n <= 0) {
            open_ = false;
            if (!pending_.empty()) lines.push_back(std::move(pending_));
            return lines;
        }
        std::string_view data(buffer, static_cast<std::size_t>(n));
        if (dropping_) {
            const std::size_t end = data.find('\n');
            if (end == std::string_view::npos) return lines;
            // The dropped line ends here: it counts as an empty line.
            dropping_ = false;
            lines.emplace_back();
            data.remove_prefix(end + 1);
        }
        pending_.append(data);
        std::size_t end;
        while ((end = pending_.find('\n')) != std::string::npos) {
            lines.push_back(pending_.substr(0, end));
            pending_.erase(0, end + 1);
        }
        if (pending_.size() > kLongestLine) {
            ++overlong_;
            dropping_ = true;
            pending_.clear();
        }
        return lines;
    }

    // Lines dropped for being too long, so far.
    std::size_t overlong() const { return overlong_; }

private:
    static constexpr std::size_t kLongestLine = 64 * 1024;
    int fd_;
    std::size_t overlong_ = 0;
    bool dropping_ = false;
    bool open_ = true;
    std::string pending_;
};

// The strategy in the settings file at the end: another process (the app)
// may have chosen another one while the phone ran.
std::int32_t strategyChosenLast(std::int32_t fallback) {
    const auto settings = plist::readDictionary(paths::resolve(paths::kSettings));
    const plist::Value* strategy = settings ? settings->find(settings::kStrategy) : nullptr;
    // A number that names no strategy leaves the engine's strategy in force.
    return strategy != nullptr && strategy->isNumber() && isKnownStrategy(strategy->intValue()) ? strategy->intValue()
                                                                                                : fallback;
}

bool blank(const std::string& line) {
    return std::all_of(line.begin(), line.end(), [](unsigned char c) { return std::isspace(c) != 0; });
}

}  // namespace

RunSummary LiveRun::run(const Scenario& given, const RunOptions& options, const LiveOptions& live) {
    std::ostream& diagnostics = live.diagnostics != nullptr ? *live.diagnostics : std::cerr;
    // Events typed in join the scenario's own, in time order.
    Scenario scenario = given;
    const PreparedPhone phone = SimulationRun::prepare(scenario, options);
    PhoneHost& host = phone.host;
    std::unique_ptr<TraceWriter> trace;
    if (options.trace) {
        trace = std::make_unique<TraceWriter>(*options.trace);
        if (!trace->isOpen()) {
            throw SimulationError("cannot write the trace " + options.trace->string() + ": " + trace->error());
        }
        trace->setFlushEachLine(true);
    } else {
        trace = std::make_unique<TraceWriter>(stdout);
    }

    std::string busError;
    std::unique_ptr<platform::BusDarwinNotificationCenter> bus =
        platform::BusDarwinNotificationCenter::connect(&busError);
    if (!bus) diagnostics << "phonesim: " << busError << "; notifications stay inside the phone" << std::endl;

    const auto wallStart = std::chrono::steady_clock::now();
    RunSummary summary;
    {
        PhoneDay day(host, scenario, phone.model, trace.get());
        if (bus) {
            // The engine's posts leave the phone; every post on the bus,
            // the phone's own included, comes back to its handlers.
            host.darwin().setRelay([&bus](std::string_view name) { bus->post(name); });
            bus->observeAll([&](const std::string& name) {
                trace->write(day.now(), {{"notification", name}});
                host.darwin().deliver(name);
            });
        }
        InterruptGuard interruptGuard;
        day.startUp();
        PhoneInfoFile::write(scenario.device, host.clock().now().secondsSince1970, live.speed);
        trace->write(
            day.now(),
            {{"system", "live"}, {"notifications", bus ? "session bus" : "inside the phone"}, {"speed", live.speed}});

        LineInput input(live.input);
        std::size_t lineNumber = 0;
        const double virtualStart = day.now();
        for (;;) {
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
            const double target = std::min(scenario.duration, virtualStart + elapsed * live.speed);
            day.runUntil(std::max(target, day.now()));
            if (interrupted || !input.open() || day.now() >= scenario.duration) break;

            pollfd watched[2]{};
            nfds_t count = 0;
            watched[count++] = pollfd{input.fd(), POLLIN, 0};
            if (bus) watched[count++] = pollfd{bus->fileDescriptor(), bus->pollEvents(), 0};
            const int wait = bus ? bus->waitMilliseconds(kTickMilliseconds) : kTickMilliseconds;
            if (::poll(watched, count, wait) < 0 && errno != EINTR) break;

            if (watched[0].revents != 0) {
                const std::size_t overlongBefore = input.overlong();
                std::vector<std::string> lines = input.read();
                if (input.overlong() > overlongBefore)
                    diagnostics << "phonesim: input line " << lineNumber + lines.size() + 1
                                << ": longer than 64 KiB, dropped" << std::endl;
                for (const std::string& line : lines) {
                    ++lineNumber;
                    if (blank(line)) continue;
                    try {
                        const std::string place = "input line " + std::to_string(lineNumber);
                        double askedAt = day.now();
                        ScenarioEvent event = scenario.parseEvent(line, day.now(), place, &askedAt);
                        // The phone's clock does not go back: a time already
                        // past runs now, and the sender is told.
                        if (askedAt < event.at) {
                            diagnostics << "phonesim: " << place << ": at " << askedAt << " s is past (the phone is at "
                                        << event.at << " s); it runs now" << std::endl;
                        }
                        const auto at =
                            std::upper_bound(scenario.events.begin(), scenario.events.end(), event.at,
                                             [](double t, const ScenarioEvent& other) { return t < other.at; });
                        scenario.events.insert(at, std::move(event));
                    } catch (const ScenarioError& error) {
                        diagnostics << "phonesim: " << error.what() << std::endl;
                    }
                }
                // What is due now happens now.
                day.runUntil(day.now());
            }
            if (bus) {
                bus->dispatchPending();
                if (!bus->connected()) {
                    diagnostics << "phonesim: the session bus went away; notifications stay inside the phone"
                                << std::endl;
                    host.darwin().setRelay({});
                    bus.reset();
                }
            }
        }
        if (bus) {
            host.darwin().setRelay({});
            bus.reset();
        }
        trace->write(day.now(), {{"system", "end"},
                                 {"why", interrupted                      ? "interrupted"
                                         : day.now() >= scenario.duration ? "end of the scenario"
                                                                          : "end of input"}});
        PhoneInfoFile::write(scenario.device, host.clock().now().secondsSince1970, 0.0);
        summary = day.summary();
    }
    summary.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    summary.strategy = options.strategy.value_or(strategyChosenLast(scenario.strategyNumber()));
    summary.strategyName = strategyName(summary.strategy);
    return summary;
}

}  // namespace corvane::sim
