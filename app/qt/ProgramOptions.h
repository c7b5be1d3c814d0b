#pragma once
// The command line of `ampwise`:
//   ampwise [--root DIR] [--size WxH] [--screenshot FILE.png [--show PATH]]

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::app {

struct ProgramOptions {
    std::optional<std::string> root;
    std::optional<std::string> screenshot;
    std::string show;
    // The window's width and height, when given.
    std::optional<std::pair<int, int>> size;
    bool help = false;
    // Set when the command line is wrong.
    std::string error;

    // The largest window side --size accepts.
    static constexpr int kLargestSide = 16384;

    static ProgramOptions parse(const std::vector<std::string>& arguments);
    static const char* usage();
};

}  // namespace corvane::app
