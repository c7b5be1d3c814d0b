#include "shared/ProcessState.h"

#include <array>
#include <atomic>

namespace corvane {

namespace {
std::array<std::atomic<ProcessState::Reset>, ProcessState::kPieceCount> resets{};
}

void ProcessState::registerReset(Piece piece, Reset reset) { resets[piece].store(reset); }

void ProcessState::reset() {
    for (auto& registered : resets) {
        if (Reset reset = registered.load()) reset();
    }
}

}  // namespace corvane
