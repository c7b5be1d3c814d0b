#pragma once
// A program run as a child process for a test: the test writes lines to its
// standard input and reads its standard output and error back. Every wait
// has a deadline, so a child that hangs fails the test instead of blocking it.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::testing {

using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;  // none: removed

class ChildProcess {
public:
    using Clock = std::chrono::steady_clock;
    ChildProcess(std::vector<std::string> arguments, const Environment& environment = {}) {
        ::signal(SIGPIPE, SIG_IGN);  // a child that died fails the test, not kills it
        int in[2], out[2], err[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0 || (pid_ = ::fork()) < 0) return;
        if (pid_ == 0) {
            ::dup2(in[0], 0), ::dup2(out[1], 1), ::dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
            for (const auto& [name, value] : environment)
                value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
            std::vector<char*> argv;
            for (std::string& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]), ::close(out[1]), ::close(err[1]);
        input_ = in[1], streams_[0].fd = out[0], streams_[1].fd = err[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && !exited_) ::kill(pid_, SIGKILL), ::waitpid(pid_, nullptr, 0);
        for (int fd : {input_, streams_[0].fd, streams_[1].fd})
            if (fd >= 0) ::close(fd);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void send(const std::string& line) { (void)!::write(input_, (line + "\n").data(), line.size() + 1); }
    const std::vector<std::string>& outputLines() const { return streams_[0].lines; }
    const std::vector<std::string>& errorLines() const { return streams_[1].lines; }

    // Waits until a line of standard output (or error) matches; NO when the
    // deadline passed or the stream ended first.
    bool waitForLine(const std::function<bool(const std::string&)>& match, bool onError = false) {
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        for (std::size_t seen = 0;; ++seen) {
            const auto& lines = streams_[onError ? 1 : 0].lines;
            while (seen >= lines.size()) {
                if (!readSome(deadline)) return false;
            }
            if (match(lines[seen])) return true;
        }
    }
    // Closes the input, reads both streams to their end and answers the exit
    // status; none (and the child is killed) after the deadline.
    std::optional<int> finish() {
        ::close(input_);
        input_ = -1;
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        while (readSome(deadline)) {
        }
        int status = 0;
        if (streams_[0].fd >= 0 || streams_[1].fd >= 0 || ::waitpid(pid_, &status, 0) != pid_) return std::nullopt;
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    struct Stream {
        int fd = -1;
        std::string partial;
        std::vector<std::string> lines;
    };

    // Reads what either stream has; NO when both ended or the deadline passed.
    bool readSome(Clock::time_point deadline) {
        pollfd watched[2] = {{streams_[0].fd, POLLIN, 0}, {streams_[1].fd, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if ((streams_[0].fd < 0 && streams_[1].fd < 0) || left <= 0 || ::poll(watched, 2, static_cast<int>(left)) <= 0)
            return false;
        for (int i = 0; i < 2; ++i) {
            Stream& stream = streams_[i];
            char buffer[8192];
            const ssize_t n = watched[i].revents != 0 ? ::read(stream.fd, buffer, sizeof buffer) : 1;
            if (n <= 0) {
                if (!stream.partial.empty()) stream.lines.push_back(std::move(stream.partial));
                ::close(stream.fd);
                stream.fd = -1;
            } else if (watched[i].revents != 0) {
                stream.partial.append(buffer, static_cast<std::size_t>(n));
                for (std::size_t end; (end = stream.partial.find('\n')) != std::string::npos;) {
                    stream.lines.push_back(stream.partial.substr(0, end));
                    stream.partial.erase(0, end + 1);
                }
            }
        }
        return true;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    bool exited_ = false;
    Stream streams_[2];
};

}  // namespace corvane::testing
