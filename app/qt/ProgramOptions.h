#pragma once
// The command line of `ampwise`:
//   ampwise [--root DIR] [--screenshot FILE.png [--show PATH]]

#include <optional>
#include <string>
#include <vector>

namespace corvane::app {

struct ProgramOptions {
    std::optional<std::string> root;
    std::optional<std::string> screenshot;
    std::string show;
    bool help = false;
    // Set when the command line is wrong.
    std::string error;

    static ProgramOptions parse(const std::vector<std::string>& arguments);
    static const char* usage();
};

}  // namespace corvane::app
