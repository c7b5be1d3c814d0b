#pragma once
// The status bar's network-activity indicator: on while the app reads or
// fetches something; a front end shows it (for example as a busy cursor).

#include <atomic>

namespace corvane::app {

class NetworkActivityIndicator {
public:
    static void setVisible(bool visible) { visible_.store(visible); }
    static bool isVisible() { return visible_.load(); }

private:
    static inline std::atomic<bool> visible_{false};
};

}  // namespace corvane::app
