#include "sim/SimulationRun.h"

#include <chrono>
#include <cstdlib>
#include <memory>

#include "sim/DeviceProfile.h"
#include "sim/PhoneDay.h"
#include "sim/PhoneHost.h"
#include "sim/PhoneInfoFile.h"
#include "sim/PhoneLayout.h"
#include "sim/SimEnergyCosts.h"
#include "sim/TraceWriter.h"

namespace corvane::sim {

namespace {
bool engineLoadedInThisProcess = false;
}

PreparedPhone SimulationRun::prepare(const Scenario& scenario, const RunOptions& options) {
    if (engineLoadedInThisProcess) {
        throw SimulationError("an engine lives as long as its process: run each simulation in a process of its own");
    }
    std::unique_ptr<PowerModel> model;
    try {
        model = std::make_unique<PowerModel>(DeviceProfile::find(scenario.profile));
    } catch (const ProfileError& error) {
        throw SimulationError(error.what());
    }
    const bool engineLoaded = !options.osBatching && !options.noSaver;
    const std::optional<std::int32_t> strategy = engineLoaded ? options.strategy : std::optional<std::int32_t>(0);
    if (auto error = PhoneLayout::prepareRoot(options.root)) throw SimulationError(*error);
    ::setenv("CORVANE_ROOT", std::filesystem::absolute(options.root).c_str(), 1);
    if (auto error = PhoneLayout::writeFiles(scenario, strategy)) throw SimulationError(*error);

    PhoneOptions phoneOptions;
    phoneOptions.start = scenario.start;
    phoneOptions.systemVersion = scenario.device.systemVersion;
    phoneOptions.machine = scenario.device.machine;
    // The phone lives as long as the engine it hosts, that is as long as the process.
    PhoneHost& host = *new PhoneHost(phoneOptions);
    host.log().setEcho(options.echoLog);
    // The phone knows its own figures, as long as it lives.
    host.setEnergyCosts(new SimEnergyCosts(model->profile()));
    for (const ScenarioApp& app : scenario.apps) host.homeScreen().addApplication(app.bundle, app.name, false);

    std::string loadError;
    engineLoadedInThisProcess = true;
    // Without a saver (OS batching is one) the engine is not loaded.
    if (engineLoaded && !host.loadEngine(options.engine, &loadError)) {
        throw SimulationError("cannot load the engine " + options.engine.string() + ": " + loadError);
    }
    // The model lives as long as the phone and the engine, that is as long as the process.
    return PreparedPhone{host, *model.release()};
}

RunSummary SimulationRun::run(const Scenario& scenario, const RunOptions& options) {
    const PreparedPhone phone = prepare(scenario, options);
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
        PhoneDayOptions dayOptions;
        dayOptions.osBatching = options.osBatching;
        dayOptions.timeline = options.timeline;
        if (options.progress) {
            dayOptions.progress = [&](double t) { options.progress(t / scenario.duration); };
        }
        // Nobody reads the phone's files while a run goes on unwatched: the
        // scheduled events are written once, when the day ends.
        phone.host.power().setSavesEachTurn(false);
        PhoneDay day(phone.host, scenario, phone.model, trace.get(), std::move(dayOptions));
        day.run();
        PhoneInfoFile::write(scenario.device, phone.host.clock().now().secondsSince1970, 0.0);
        summary = day.summary();
    }
    summary.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const bool engineLoaded = !options.osBatching && !options.noSaver;
    summary.strategy = engineLoaded ? options.strategy.value_or(scenario.strategyNumber()) : 0;
    summary.osBatching = options.osBatching;
    summary.noSaver = options.noSaver && !options.osBatching;
    summary.strategyName = options.osBatching ? std::string(kOSBatchingName)
                           : summary.noSaver  ? std::string(kNoSaverName)
                                              : strategyName(summary.strategy);
    return summary;
}

}  // namespace corvane::sim
