#pragma once
// The hook layer: replaces eight home-screen methods (listed in
// engine/platform/HookedMethods.h) by class and method name. Each
// replacement first runs the replaced implementation, then tells the engine
// what happened (only once the engine instance exists, except for the
// start-up row, which creates it).

#include "engine/platform/Platform.h"

namespace corvane {

class SpringBoardHooks {
public:
    // Makes `platform` the engine's platform and installs the replacements
    // whose class and method exist with the expected signature; each row
    // skipped is written to the debug log with its reason, then the number
    // installed. The screen-off row follows the system version.
    static void install(platform::Platform& platform);
};

}  // namespace corvane
