#include "sim/IsolatedRun.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

namespace corvane::sim {

namespace {

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
[[noreturn]] void runChild(const Scenario& scenario, const RunOptions& options, int fd) {
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

IsolatedRun::IsolatedRun(const Scenario& scenario, const RunOptions& options) {
    int fds[2];
    if (::pipe(fds) != 0) throw SimulationError("cannot create a pipe");
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw SimulationError("cannot start a simulation process");
    }
    if (pid_ == 0) {
        ::close(fds[0]);
        runChild(scenario, options, fds[1]);
    }
    ::close(fds[1]);
    pipe_ = fds[0];
}

IsolatedRun::~IsolatedRun() {
    if (pipe_ >= 0) ::close(pipe_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
}

RunSummary IsolatedRun::finish(const std::string& what) {
    const std::string text = readAll(pipe_);
    ::close(pipe_);
    pipe_ = -1;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    const nlohmann::json reply = nlohmann::json::parse(text, nullptr, false);
    if (reply.is_discarded() || !reply.is_object()) {
        throw SimulationError(WIFEXITED(status) ? "the run of " + what + " gave no summary"
                                                : "the run of " + what + " crashed");
    }
    if (reply.contains("error")) throw SimulationError(what + ": " + reply["error"].get<std::string>());
    return RunSummary::fromJson(reply["summary"]);
}

RunSummary IsolatedRun::run(const Scenario& scenario, const RunOptions& options) {
    return IsolatedRun(scenario, options).finish("the simulation");
}

}  // namespace corvane::sim
