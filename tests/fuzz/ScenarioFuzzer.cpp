// Any bytes as a phonesim scenario: read, or refused with a ScenarioError
// naming the place. Any other exception escapes and counts as a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/Scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        corvane::sim::Scenario::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const corvane::sim::ScenarioError&) {
    }
    return 0;
}
