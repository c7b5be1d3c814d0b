#pragma once
// What a plot of the day needs: the battery's charge over time, the radios'
// states as spans, and the background wakes as instants. Filled from the
// energy meter's intervals; carried as JSON inside a run's summary.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/PowerModel.h"

namespace corvane::sim {

class DayTimeline {
public:
    // A charge point at least this often, and whenever the charge moved by a
    // few tenths of a percent.
    static constexpr double kMaxSampleGap = 600.0;
    static constexpr double kPercentStep = 0.25;

    // The interval [from, to] had `state`; the battery ended it at `percent`.
    void record(double from, double to, const ComponentState& state, double percent, bool onAC);
    // A background power-on at `t`, the engine's or another application's.
    void wake(double t, bool engine);
    nlohmann::ordered_json toJson() const;

private:
    struct Span {
        double from, to;
        std::string value;
    };
    void extend(std::vector<Span>& spans, double from, double to, const std::string& value);

    std::vector<std::pair<double, double>> charge_;  // t, percent
    std::pair<double, double> latest_{0.0, 0.0};
    std::vector<Span> wifi_, cellular_, phone_, power_;
    std::vector<double> engineWakes_, appWakes_;
};

}  // namespace corvane::sim
