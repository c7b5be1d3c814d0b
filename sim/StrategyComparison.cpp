#include "sim/StrategyComparison.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "sim/PhoneLayout.h"

namespace corvane::sim {

namespace {

struct Child {
    std::int32_t strategy;
    int pipe;
};

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

// In the child: one run, its summary (or its failure) as JSON on the pipe.
[[noreturn]] void runChild(const Scenario& scenario, RunOptions options, int fd) {
    int status = 0;
    nlohmann::json reply;
    try {
        reply["summary"] = SimulationRun::run(scenario, options).toJson();
    } catch (const std::exception& error) {
        reply["error"] = error.what();
        status = 1;
    }
    std::fflush(nullptr);
    writeAll(fd, reply.dump());
    ::close(fd);
    // Leave without running the engine's or the phone's destructors: the
    // engine lives as long as its process.
    ::_exit(status);
}

}  // namespace

std::vector<std::int32_t> StrategyComparison::strategiesFor(const Scenario& scenario) {
    std::vector<std::int32_t> strategies{0, 1, 2, 3, 4};
    if (scenario.strategyNumber() == 5) strategies.push_back(5);
    return strategies;
}

std::filesystem::path StrategyComparison::traceFor(const std::filesystem::path& trace, std::int32_t strategy) {
    std::filesystem::path named = trace;
    named.replace_filename(trace.stem().string() + "." + strategyName(strategy) + trace.extension().string());
    return named;
}

std::vector<RunSummary> StrategyComparison::run(const Scenario& scenario, const RunOptions& options, unsigned parallel) {
    if (auto error = PhoneLayout::prepareRoot(options.root)) throw SimulationError(*error);
    if (parallel == 0) parallel = 1;
    const std::vector<std::int32_t> strategies = strategiesFor(scenario);
    std::map<pid_t, Child> running;
    std::map<std::int32_t, std::string> replies;
    std::size_t next = 0;

    auto reap = [&] {
        int status = 0;
        const pid_t pid = ::waitpid(-1, &status, 0);
        if (pid < 0) throw SimulationError("lost a comparison run");
        auto found = running.find(pid);
        if (found == running.end()) return;
        // The child wrote everything before exiting; the pipe is complete.
        std::string reply = readAll(found->second.pipe);
        ::close(found->second.pipe);
        if (!WIFEXITED(status) && reply.empty()) {
            reply = nlohmann::json{{"error", "the run of " + strategyName(found->second.strategy) + " crashed"}}.dump();
        }
        replies[found->second.strategy] = std::move(reply);
        running.erase(found);
    };

    while (next < strategies.size() || !running.empty()) {
        if (next < strategies.size() && running.size() < parallel) {
            const std::int32_t strategy = strategies[next++];
            RunOptions child = options;
            child.root = options.root / strategyName(strategy);
            child.strategy = strategy;
            if (options.trace) child.trace = traceFor(*options.trace, strategy);
            int fds[2];
            if (::pipe(fds) != 0) throw SimulationError("cannot create a pipe");
            std::fflush(nullptr);
            const pid_t pid = ::fork();
            if (pid < 0) throw SimulationError("cannot start a comparison run");
            if (pid == 0) {
                ::close(fds[0]);
                runChild(scenario, child, fds[1]);
            }
            ::close(fds[1]);
            running[pid] = Child{strategy, fds[0]};
            continue;
        }
        reap();
    }

    std::vector<RunSummary> summaries;
    for (std::int32_t strategy : strategies) {
        const nlohmann::json reply = nlohmann::json::parse(replies[strategy], nullptr, false);
        if (reply.is_discarded() || !reply.is_object()) {
            throw SimulationError("the run of " + strategyName(strategy) + " gave no summary");
        }
        if (reply.contains("error")) {
            throw SimulationError(strategyName(strategy) + ": " + reply["error"].get<std::string>());
        }
        summaries.push_back(RunSummary::fromJson(reply["summary"]));
    }
    return summaries;
}

}  // namespace corvane::sim
