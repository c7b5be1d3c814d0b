#include "sim/SimulationRun.h"

#include <chrono>
#include <cstdlib>
#include <memory>

#include "sim/PhoneDay.h"
#include "sim/PhoneHost.h"
#include "sim/PhoneLayout.h"
#include "sim/TraceWriter.h"

namespace corvane::sim {

namespace {
bool engineLoadedInThisProcess = false;
}

PhoneHost& SimulationRun::prepare(const Scenario& scenario, const RunOptions& options) {
    if (engineLoadedInThisProcess) {
        throw SimulationError("an engine lives as long as its process: run each simulation in a process of its own");
    }
    if (auto error = PhoneLayout::prepareRoot(options.root)) throw SimulationError(*error);
    ::setenv("CORVANE_ROOT", std::filesystem::absolute(options.root).c_str(), 1);
    if (auto error = PhoneLayout::writeFiles(scenario, options.strategy)) throw SimulationError(*error);

    PhoneOptions phoneOptions;
    phoneOptions.start = scenario.start;
    phoneOptions.systemVersion = scenario.device.systemVersion;
    phoneOptions.machine = scenario.device.machine;
    // The phone lives as long as the engine it hosts, that is as long as the process.
    PhoneHost& host = *new PhoneHost(phoneOptions);
    host.log().setEcho(options.echoLog);
    for (const ScenarioApp& app : scenario.apps) host.homeScreen().addApplication(app.bundle, app.name, false);

    std::string loadError;
    engineLoadedInThisProcess = true;
    if (!host.loadEngine(options.engine, &loadError)) {
        throw SimulationError("cannot load the engine " + options.engine.string() + ": " + loadError);
    }
    return host;
}

RunSummary SimulationRun::run(const Scenario& scenario, const RunOptions& options) {
    PhoneHost& host = prepare(scenario, options);
    std::unique_ptr<TraceWriter> trace;
    if (options.trace) {
        trace = std::make_unique<TraceWriter>(*options.trace);
        if (!trace->isOpen()) {
            throw SimulationError("cannot write the trace " + options.trace->string() + ": " + trace->error());
        }
    }

    const auto wallStart = std::chrono::steady_clock::now();
    RunSummary summary;
    {
        PhoneDay day(host, scenario, trace.get());
        day.run();
        summary = day.summary();
    }
    summary.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    summary.strategy = options.strategy.value_or(scenario.strategyNumber());
    summary.strategyName = strategyName(summary.strategy);
    return summary;
}

}  // namespace corvane::sim
