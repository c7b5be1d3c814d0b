// corvaned: the battery saver's engine hosted on a Linux phone or laptop
// (see --help).

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "device/CorvanedCommand.h"

namespace {

// The engine built with corvaned; once installed, the one installed beside it
// (lib next to bin) when the build tree is gone.
std::filesystem::path engineLibrary() {
    const std::filesystem::path built = CORVANE_ENGINE_LIBRARY;
    std::error_code error;
    if (std::filesystem::exists(built, error)) return built;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return built;
    for (const char* lib : {"lib", "lib64", "lib/x86_64-linux-gnu"}) {
        const std::filesystem::path installed = self.parent_path().parent_path() / lib / built.filename();
        if (std::filesystem::exists(installed, error)) return installed;
    }
    return built;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status = corvane::device::CorvanedCommand::run(arguments, engineLibrary(), std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // The engine lives as long as the process: leave without tearing it down.
    ::_exit(status);
}
