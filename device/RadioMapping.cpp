#include "device/RadioMapping.h"

#include <algorithm>
#include <bit>
#include <tuple>

namespace corvane::device {

using platform::DataRate;

int barsForStrength(int percent) {
    if (percent < 10) return 0;
    if (percent < 40) return 1;
    if (percent < 70) return 2;
    return 3;
}

std::optional<DataRate> fastestRate(std::uint32_t allowed) {
    if (allowed & kMode4G) return DataRate::Rate4G;
    if (allowed & kMode3G) return DataRate::Rate3G;
    if (allowed & kMode2G) return DataRate::Rate2G;
    return std::nullopt;
}

std::vector<DataRate> supportedRates(const std::vector<ModemModes>& supported) {
    std::vector<DataRate> rates;
    for (const ModemModes& modes : supported) {
        if (auto rate = fastestRate(modes.allowed); rate && std::ranges::find(rates, *rate) == rates.end()) {
            rates.push_back(*rate);
        }
    }
    std::ranges::sort(rates);
    return rates;
}

std::optional<ModemModes> modesForRate(const std::vector<ModemModes>& supported, DataRate rate) {
    // Ranks a combination: its fastest rate, then how many modes it allows
    // (a fallback to a slower network keeps calls and data going), then
    // whether it prefers its fastest mode.
    auto rank = [](const ModemModes& modes) {
        const DataRate fastest = *fastestRate(modes.allowed);
        const std::uint32_t fastestBit = fastest == DataRate::Rate4G   ? kMode4G
                                         : fastest == DataRate::Rate3G ? kMode3G
                                                                       : kMode2G;
        return std::tuple(fastest, std::popcount(modes.allowed & (kMode2G | kMode3G | kMode4G)),
                          modes.preferred == fastestBit);
    };
    std::optional<ModemModes> best;
    for (const ModemModes& modes : supported) {
        const std::optional<DataRate> fastest = fastestRate(modes.allowed);
        if (!fastest || *fastest > rate) continue;
        if (!best || rank(modes) > rank(*best)) best = modes;
    }
    return best;
}

std::string rateName(DataRate rate) {
    switch (rate) {
        case DataRate::Rate2G: return "2G";
        case DataRate::Rate3G: return "3G";
        case DataRate::Rate4G: return "4G";
    }
    return "4G";
}

std::optional<DataRate> rateNamed(const std::string& name) {
    if (name == "2G") return DataRate::Rate2G;
    if (name == "3G") return DataRate::Rate3G;
    if (name == "4G") return DataRate::Rate4G;
    return std::nullopt;
}

}  // namespace corvane::device
