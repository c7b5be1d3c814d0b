#pragma once
// The one screen `corvaned --status` prints for a person: the root, the
// engine, the strategy in force, the session, each service found or
// missing, each capability with the right it needs, and the radios as they
// are.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::device {

struct StatusFacts {
    std::string root;
    std::string engine;
    bool engineFound = false;
    std::optional<int> strategy;  // none: the settings file has none (Normal)
    std::string session;          // empty: none found
    std::optional<bool> locked;
    struct Service {
        std::string name;
        bool found = false;
        std::string detail;
    };
    std::vector<Service> services;
    // (capability, answer such as "yes" or "no, needs CAP_WAKE_ALARM")
    std::vector<std::pair<std::string, std::string>> capabilities;
    // (radio, "on" / "off" / "2G" / "unknown")
    std::vector<std::pair<std::string, std::string>> radios;
};

std::string strategyName(int number);
std::string statusText(const StatusFacts& facts);

}  // namespace corvane::device
