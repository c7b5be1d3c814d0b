// corvaned: the battery saver's engine hosted on a Linux phone or laptop
// (see --help).

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "device/CorvanedCommand.h"
#include "host/EngineLibrary.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status =
        corvane::device::CorvanedCommand::run(arguments, corvane::host::engineLibrary(), std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // The engine lives as long as the process: leave without tearing it down.
    ::_exit(status);
}
