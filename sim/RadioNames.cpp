#include "sim/RadioNames.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace corvane::sim {

namespace {

constexpr std::pair<Radio, std::string_view> kRadioNames[] = {
    {Radio::WiFi, "wifi"},         {Radio::Edge, "edge"}, {Radio::Bluetooth, "bluetooth"},
    {Radio::Location, "location"}, {Radio::Push, "push"}, {Radio::LowPowerMode, "lowPowerMode"},
    {Radio::Speed, "speed"},
};

constexpr std::pair<platform::DataRate, std::string_view> kDataRateNames[] = {
    {platform::DataRate::Rate2G, "2G"},
    {platform::DataRate::Rate3G, "3G"},
    {platform::DataRate::Rate4G, "4G"},
};

template <class Value, std::size_t N>
std::string_view nameIn(const std::pair<Value, std::string_view> (&table)[N], Value value) {
    const auto found =
        std::find_if(std::begin(table), std::end(table), [&](const auto& e) { return e.first == value; });
    return found == std::end(table) ? "?" : found->second;
}

template <class Value, std::size_t N>
std::optional<Value> valueIn(const std::pair<Value, std::string_view> (&table)[N], std::string_view name) {
    const auto found =
        std::find_if(std::begin(table), std::end(table), [&](const auto& e) { return e.second == name; });
    return found == std::end(table) ? std::nullopt : std::optional<Value>(found->first);
}

}  // namespace

std::string_view radioName(Radio radio) { return nameIn(kRadioNames, radio); }
std::optional<Radio> radioNamed(std::string_view name) { return valueIn(kRadioNames, name); }
std::string_view dataRateName(platform::DataRate rate) { return nameIn(kDataRateNames, rate); }
std::optional<platform::DataRate> dataRateNamed(std::string_view name) { return valueIn(kDataRateNames, name); }

}  // namespace corvane::sim
