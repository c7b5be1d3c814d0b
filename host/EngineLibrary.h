#pragma once

// Where a program hosting the engine finds libCorvane.so: the one installed
// with the program (in the prefix's engine folder, beside bin), else the one
// built with it in the build tree. CORVANE_ENGINE_LIBRARY and
// CORVANE_ENGINE_INSTALL_DIR come from corvane_host_program() in CMake.

#include <filesystem>
#include <system_error>

namespace corvane::host {

inline std::filesystem::path engineLibrary() {
    const std::filesystem::path built = CORVANE_ENGINE_LIBRARY;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return built;
    const std::filesystem::path installed =
        self.parent_path().parent_path() / CORVANE_ENGINE_INSTALL_DIR / built.filename();
    return std::filesystem::exists(installed, error) ? installed : built;
}

}  // namespace corvane::host
