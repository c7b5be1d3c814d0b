// phonesim: the simulated phone. Loads the engine library into a simulated
// home screen and runs a scenario in virtual time (see --help).

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "host/EngineLibrary.h"
#include "sim/PhoneSimCommand.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status =
        corvane::sim::PhoneSimCommand::run(arguments, corvane::host::engineLibrary(), std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // The engine lives as long as the process: leave without tearing it down.
    ::_exit(status);
}
