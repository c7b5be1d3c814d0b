#pragma once
// A program run as a child process for a test: its standard input is a pipe
// the test writes to, its standard output and error are read back. Every wait
// has a deadline, so a child that hangs fails the test instead of blocking it.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::testing {

class ChildProcess {
public:
    using Clock = std::chrono::steady_clock;
    // `environment`: variables to set (a value) or to remove (none) in the child.
    ChildProcess(std::vector<std::string> arguments,
                 std::vector<std::pair<std::string, std::optional<std::string>>> environment = {}) {
        // A child that died must fail the test, not kill it at the next write.
        ::signal(SIGPIPE, SIG_IGN);
        int in[2], out[2], err[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
            for (const auto& [name, value] : environment) {
                if (value)
                    ::setenv(name.c_str(), value->c_str(), 1);
                else
                    ::unsetenv(name.c_str());
            }
            std::vector<char*> argv;
            for (std::string& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        input_ = in[1];
        streams_[0].fd = out[0];
        streams_[1].fd = err[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        closeInput();
        for (Stream& stream : streams_) {
            if (stream.fd >= 0) ::close(stream.fd);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    void send(const std::string& line) {
        const std::string text = line + "\n";
        if (input_ >= 0) (void)!::write(input_, text.data(), text.size());
    }
    void closeInput() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
    }

    const std::vector<std::string>& outputLines() const { return streams_[0].lines; }
    const std::vector<std::string>& errorLines() const { return streams_[1].lines; }

    // Waits until a line of standard output (or error) matches; the line,
    // or none when the deadline passed or the stream ended first.
    std::optional<std::string> waitForLine(const std::function<bool(const std::string&)>& match, double seconds = 30.0,
                                           bool onError = false) {
        Stream& stream = streams_[onError ? 1 : 0];
        const auto deadline =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        for (std::size_t seen = 0;;) {
            for (; seen < stream.lines.size(); ++seen) {
                if (match(stream.lines[seen])) return stream.lines[seen];
            }
            if (!readSome(deadline)) return std::nullopt;
        }
    }
    // Closes the input, reads both streams to their end and waits for the
    // exit status; none (and the child is killed) after the deadline.
    std::optional<int> finish(double seconds = 30.0) {
        closeInput();
        const auto deadline =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        while (readSome(deadline)) {
        }
        if (streams_[0].fd >= 0 || streams_[1].fd >= 0) return std::nullopt;
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_) return std::nullopt;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_;
    }

private:
    struct Stream {
        int fd = -1;
        std::string partial;
        std::vector<std::string> lines;
    };

    // Reads what either stream has; NO when both ended or the deadline passed.
    bool readSome(Clock::time_point deadline) {
        pollfd watched[2];
        nfds_t count = 0;
        Stream* owners[2];
        for (Stream& stream : streams_) {
            if (stream.fd < 0) continue;
            owners[count] = &stream;
            watched[count++] = pollfd{stream.fd, POLLIN, 0};
        }
        if (count == 0) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || ::poll(watched, count, static_cast<int>(left)) <= 0) return false;
        for (nfds_t i = 0; i < count; ++i) {
            if (watched[i].revents == 0) continue;
            Stream& stream = *owners[i];
            char buffer[8192];
            const ssize_t n = ::read(stream.fd, buffer, sizeof buffer);
            if (n <= 0) {
                if (!stream.partial.empty()) stream.lines.push_back(std::move(stream.partial));
                ::close(stream.fd);
                stream.fd = -1;
                continue;
            }
            stream.partial.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t end; (end = stream.partial.find('\n')) != std::string::npos;) {
                stream.lines.push_back(stream.partial.substr(0, end));
                stream.partial.erase(0, end + 1);
            }
        }
        return true;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    Stream streams_[2];
    std::optional<int> status_;
};

}  // namespace corvane::testing
