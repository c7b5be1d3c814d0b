#include "sim/DayTimeline.h"

#include <cmath>

#include "sim/RadioNames.h"
#include "sim/Rounding.h"

namespace corvane::sim {

namespace {

std::string wifiState(const ComponentState& s) {
    if (!s.wifiEnabled) return "off";
    return s.wifiAssociated ? "associated" : "searching";
}

std::string cellularState(const ComponentState& s) {
    if (!s.cellularRadio) return "airplane";
    if (s.cellularBars <= 0) return "no service";
    if (!s.cellularData) return "paging only";
    return std::string("data ") + std::string(dataRateName(s.speed));
}

std::string phoneState(const ComponentState& s) {
    if (s.asleep) return "asleep";
    if (s.interactive) return "in use";
    return s.screenOn ? "screen on" : "awake";
}

}  // namespace

void DayTimeline::extend(std::vector<Span>& spans, double from, double to, const std::string& value) {
    if (!spans.empty() && spans.back().value == value && std::fabs(spans.back().to - from) < 1e-6) {
        spans.back().to = to;
    } else {
        spans.push_back(Span{from, to, value});
    }
}

void DayTimeline::record(double from, double to, const ComponentState& state, double percent, bool onAC) {
    if (charge_.empty()) charge_.emplace_back(from, percent);
    const auto& [lastTime, lastPercent] = charge_.back();
    if (std::fabs(percent - lastPercent) >= kPercentStep || to - lastTime >= kMaxSampleGap) {
        charge_.emplace_back(to, percent);
    }
    latest_ = {to, percent};
    extend(wifi_, from, to, wifiState(state));
    extend(cellular_, from, to, cellularState(state));
    extend(phone_, from, to, phoneState(state));
    extend(power_, from, to, onAC ? "AC" : "battery");
}

void DayTimeline::wake(double t, bool engine) { (engine ? engineWakes_ : appWakes_).push_back(t); }

nlohmann::ordered_json DayTimeline::toJson() const {
    nlohmann::ordered_json j;
    nlohmann::ordered_json charge = nlohmann::ordered_json::array();
    for (const auto& [t, percent] : charge_) charge.push_back({round1(t), round3(percent)});
    if (!charge_.empty() && latest_.first > charge_.back().first)
        charge.push_back({round1(latest_.first), round3(latest_.second)});
    j["charge"] = charge;
    auto spans = [](const std::vector<Span>& list) {
        nlohmann::ordered_json out = nlohmann::ordered_json::array();
        for (const Span& span : list) out.push_back({round1(span.from), round1(span.to), span.value});
        return out;
    };
    j["bands"] = {
        {"phone", spans(phone_)}, {"wifi", spans(wifi_)}, {"cellular", spans(cellular_)}, {"power", spans(power_)}};
    j["wakes"] = {{"engine", engineWakes_}, {"apps", appWakes_}};
    return j;
}

}  // namespace corvane::sim
