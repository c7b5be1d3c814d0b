#include "device/StatusReport.h"

#include <sstream>

#include "shared/SettingsCodes.h"

namespace corvane::device {

std::string strategyName(int number) {
    const std::string_view name = strategyDisplayName(number);
    return name.empty() ? "unknown (" + std::to_string(number) + ")" : std::string(name);
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
