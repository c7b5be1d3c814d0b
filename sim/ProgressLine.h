#pragma once
// One line of progress on standard error, redrawn in place, shown only when
// standard error is a terminal (nothing at all otherwise).

#include <string>

namespace corvane::sim {

class ProgressLine {
public:
    ProgressLine();
    ~ProgressLine();
    bool enabled() const { return enabled_; }
    void show(const std::string& text);
    void clear();

private:
    bool enabled_;
    std::string shown_;
};

}  // namespace corvane::sim
