// phonesim: the simulated phone. Loads the engine library into a simulated
// home screen and runs a scenario in virtual time (see --help).

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "sim/PhoneSimCommand.h"

namespace {

// The engine installed with phonesim (in the prefix's engine folder, beside
// bin), else the one built with it in the build tree.
std::filesystem::path engineLibrary() {
    const std::filesystem::path built = CORVANE_ENGINE_LIBRARY;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return built;
    const std::filesystem::path installed =
        self.parent_path().parent_path() / CORVANE_ENGINE_INSTALL_DIR / built.filename();
    return std::filesystem::exists(installed, error) ? installed : built;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status = corvane::sim::PhoneSimCommand::run(arguments, engineLibrary(), std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // The engine lives as long as the process: leave without tearing it down.
    ::_exit(status);
}
