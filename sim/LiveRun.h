#pragma once
// The simulated phone in real time (or `speed` times faster), for other
// processes to talk to: Darwin notifications travel over the session bus
// (inside the phone when there is none, said in one line), events come as
// JSON lines on an input descriptor, and the trace streams as it happens.
// The run ends at the end of the scenario, at the end of the input or at
// SIGINT/SIGTERM, and leaves the root as it is.

#include <ostream>

#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/SimulationRun.h"

namespace corvane::sim {

struct LiveOptions {
    double speed = 1.0;
    int input = 0;  // standard input
    // Where problems with the input and the bus are told.
    std::ostream* diagnostics = nullptr;
};

class LiveRun {
public:
    // Without a trace file in `options` the trace goes to standard output.
    // Throws SimulationError when the run cannot be set up.
    static RunSummary run(const Scenario& scenario, const RunOptions& options, const LiveOptions& live);
};

}  // namespace corvane::sim
