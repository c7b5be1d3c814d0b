// The cost of one battery event on the main thread: one that stores a
// statistics row (open, prepare, step, close of the database) and one that
// falls inside the 30-second interval. Both also write the last-battery-state
// file, as the built-in strategies do; the "NoLastState" variants leave it out.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/platform/HostPlatform.h"
#include "engine/strategies/Strategie.h"
#include "shared/ProcessState.h"
#include "shared/PropertyList.h"
#include "sim/PhoneHost.h"
#include "tests/support/EngineTestAccess.h"

namespace {

using namespace corvane;

// An engine past its start-up on a simulated phone under a fresh root.
class BenchPhone {
public:
    explicit BenchPhone(bool saveLastState) {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        root_ = pattern;
        ::setenv("CORVANE_ROOT", root_.c_str(), 1);
        host_ = std::make_unique<sim::PhoneHost>();
        platform::HostPlatform::install(host_.get());
        engine_ = std::make_unique<Corvane>(*host_);
        engine_->postInit();
        engine_->postPostInit();
        DebugLog::setDebugEnabled(false);
        std::shared_ptr<Strategie> strategy = Strategie::strategyFromEnum(kStrategyNormal);
        strategy->enableSaveLastBattStat = saveLastState;
        Corvane::TestAccess{*engine_}.useStrategy(std::move(strategy));
    }
    ~BenchPhone() {
        engine_.reset();
        ProcessState::reset();
        host_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    void event(const plist::Dictionary& dictionary) { engine_->batteryStateChanged(&dictionary); }
    void advance(double seconds) { host_->loop().advance(seconds); }

private:
    std::filesystem::path root_;
    std::unique_ptr<sim::PhoneHost> host_;
    std::unique_ptr<Corvane> engine_;
};

plist::Dictionary batteryProperties() {
    return plist::Dictionary{{"CurrentCapacity", 1520},
                             {"MaxCapacity", 1600},
                             {"DesignCapacity", 1810},
                             {"Temperature", 2950},
                             {"TimeRemaining", 412},
                             {"InstantAmperage", -312},
                             {"CycleCount", 211},
                             {"Amperage", -298},
                             {"Voltage", 4012},
                             {"UpdateTime", 1800000060},
                             {"FullyCharged", false},
                             {"IsCharging", false},
                             {"AdapterDetails", plist::Dictionary{{"Watts", 5}}},
                             {"Serial", "C01234567890"}};
}

void eventStoringARow(benchmark::State& state, bool saveLastState) {
    BenchPhone phone(saveLastState);
    const plist::Dictionary properties = batteryProperties();
    for (auto _ : state) {
        state.PauseTiming();
        phone.advance(30);  // virtual time: the next event is due for a row
        state.ResumeTiming();
        phone.event(properties);
    }
}

void eventInsideTheInterval(benchmark::State& state, bool saveLastState) {
    BenchPhone phone(saveLastState);
    const plist::Dictionary properties = batteryProperties();
    phone.advance(30);
    phone.event(properties);  // creates the database and stores the first row
    for (auto _ : state) phone.event(properties);
}

void BM_BatteryEventStoringRow(benchmark::State& state) { eventStoringARow(state, true); }
void BM_BatteryEventInsideInterval(benchmark::State& state) { eventInsideTheInterval(state, true); }
void BM_BatteryEventStoringRow_NoLastState(benchmark::State& state) { eventStoringARow(state, false); }
void BM_BatteryEventInsideInterval_NoLastState(benchmark::State& state) { eventInsideTheInterval(state, false); }

}  // namespace

BENCHMARK(BM_BatteryEventStoringRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BatteryEventInsideInterval)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BatteryEventStoringRow_NoLastState)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BatteryEventInsideInterval_NoLastState)->Unit(benchmark::kMicrosecond);
