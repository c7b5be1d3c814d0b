#pragma once
// Engine work handed to the host to run later (timers, work dispatched to the
// main thread, notification handlers, power messages, threads) runs inside
// the host's own loops: nothing it throws may escape into them.

#include <exception>
#include <utility>

#include "engine/controller/DebugLog.h"

namespace corvane {

template <class Action>
auto guarded(Action action) {
    return [action = std::move(action)](auto&&... arguments) mutable {
        try {
            action(std::forward<decltype(arguments)>(arguments)...);
        } catch (const std::exception& error) {
            CORVANE_DEBUG("Engine work failed: %s", error.what());
        } catch (...) {
            CORVANE_DEBUG("Engine work failed");
        }
    };
}

}  // namespace corvane
