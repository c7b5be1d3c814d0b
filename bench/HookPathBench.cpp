// The hook path: the home screen reading its WiFi signal strength through
// the runtime with the engine's replacement installed and the engine running
// with nothing to change (same bars, same strategy), against the same read on
// a phone whose method is not replaced.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/hooks/SpringBoardHooks.h"
#include "shared/ProcessState.h"
#include "sim/PhoneHost.h"

namespace {

using namespace corvane;

// A phone under a fresh root, associated with a WiFi network at three bars.
class BenchPhone {
public:
    explicit BenchPhone(bool hooked) {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        root_ = pattern;
        ::setenv("CORVANE_ROOT", root_.c_str(), 1);
        host_ = std::make_unique<sim::PhoneHost>();
        host_->phone().withState([](sim::PhoneState& s) {
            s.wifiAssociated = true;
            s.wifiBars = 3;
        });
        if (!hooked) return;
        SpringBoardHooks::install(*host_);
        host_->homeScreen().finishLaunching();
        plist::Dictionary battery{{"CurrentCapacity", 80}, {"MaxCapacity", 100}};
        host_->homeScreen().reportBatteryStatus(&battery);  // completes the start-up
        DebugLog::setDebugEnabled(false);
        if (Corvane::sharedEngine() == nullptr) std::abort();
    }
    ~BenchPhone() {
        ProcessState::reset();
        host_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    int readBars() { return host_->homeScreen().querySignalStrengthBars(); }

private:
    std::filesystem::path root_;
    std::unique_ptr<sim::PhoneHost> host_;
};

void readBars(benchmark::State& state, bool hooked) {
    BenchPhone phone(hooked);
    for (auto _ : state) benchmark::DoNotOptimize(phone.readBars());
}

void BM_SignalStrengthBare(benchmark::State& state) { readBars(state, false); }
void BM_SignalStrengthHooked(benchmark::State& state) { readBars(state, true); }

}  // namespace

BENCHMARK(BM_SignalStrengthBare);
BENCHMARK(BM_SignalStrengthHooked);
