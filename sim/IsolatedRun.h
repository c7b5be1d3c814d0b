#pragma once
// One simulation in a child process of its own: an engine lives as long as
// its process, so every run beyond the first needs a fresh one. The child
// sends its summary (or its failure) back through a pipe.

#include <sys/types.h>

#include <string>

#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/SimulationRun.h"

namespace corvane::sim {

class IsolatedRun {
public:
    // Starts the run in a child process; the caller later collects it.
    IsolatedRun(const Scenario& scenario, const RunOptions& options);
    ~IsolatedRun();
    IsolatedRun(const IsolatedRun&) = delete;
    IsolatedRun& operator=(const IsolatedRun&) = delete;

    // Reads the child's reply (before waiting for it, so that a large reply
    // never blocks it) and waits for it to end. Throws SimulationError when
    // the run failed or crashed; `what` names the run in the message.
    RunSummary finish(const std::string& what);

    // Starts a run, waits for it and hands back its summary.
    static RunSummary run(const Scenario& scenario, const RunOptions& options);

private:
    pid_t pid_ = -1;
    int pipe_ = -1;
};

}  // namespace corvane::sim
