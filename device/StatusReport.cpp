#include "device/StatusReport.h"

#include <sstream>

namespace corvane::device {

std::string strategyName(int number) {
    switch (number) {
        case 0: return "None";
        case 1: return "iMessage";
        case 2: return "Normal";
        case 3: return "Aggressive";
        case 4: return "Ultimate";
        case 5: return "Custom";
        default: return "unknown (" + std::to_string(number) + ")";
    }
}

std::string statusText(const StatusFacts& facts) {
    std::ostringstream out;
    out << "corvaned status\n";
    out << "root: " << facts.root << "\n";
    out << "engine: " << facts.engine << (facts.engineFound ? " (found)" : " (missing)") << "\n";
    out << "strategy: " << (facts.strategy ? strategyName(*facts.strategy) : "Normal (no settings yet)") << "\n";
    if (facts.session.empty()) {
        out << "session: none found (locking not followed)\n";
    } else {
        out << "session: " << facts.session;
        if (facts.locked) out << " (locked: " << (*facts.locked ? "yes" : "no") << ")";
        out << "\n";
    }
    out << "services:\n";
    for (const auto& service : facts.services) {
        out << "  " << service.name << ": " << (service.found ? "found" : "missing");
        if (!service.detail.empty()) out << " (" << service.detail << ")";
        out << "\n";
    }
    out << "capabilities:\n";
    for (const auto& [capability, answer] : facts.capabilities) out << "  " << capability << ": " << answer << "\n";
    out << "radios:\n";
    for (const auto& [radio, state] : facts.radios) out << "  " << radio << ": " << state << "\n";
    return out.str();
}

}  // namespace corvane::device
