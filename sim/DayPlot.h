#pragma once
// --plot FILE: the day's charge, radio bands and wakes drawn by matplotlib.
// phonesim writes the runs' timelines as JSON and runs the plotting script
// (phonesim-plot.py) with python3; the script is looked up beside the
// program (build tree), then in ../share/corvane (install prefix), then in
// the source tree; $CORVANE_PLOT_SCRIPT overrides all three.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/RunSummary.h"
#include "sim/Scenario.h"

namespace corvane::sim {

class DayPlot {
public:
    // Refuses a file that is neither .png nor .svg; answers the reason.
    static std::optional<std::string> checkFile(const std::filesystem::path& file);
    static std::optional<std::filesystem::path> findScript();
    // Draws the runs (each with its timeline) into `file`; answers the
    // reason when it could not.
    static std::optional<std::string> write(const Scenario& scenario, const std::vector<RunSummary>& runs,
                                            const std::filesystem::path& file);
};

}  // namespace corvane::sim
