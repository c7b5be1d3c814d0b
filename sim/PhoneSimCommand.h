#pragma once
// The phonesim command line:
//   phonesim [--root DIR] [--trace FILE] [--json] [--compare] SCENARIO.json
//   phonesim --live [--speed N] [--root DIR] [--trace FILE] [--json] SCENARIO.json
// Exit status 0 on success, 1 when a run fails, 2 for a bad command line or a
// bad scenario (refused before anything is written).

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace corvane::sim {

class PhoneSimCommand {
public:
    static constexpr int kSuccess = 0;
    static constexpr int kRunFailed = 1;
    static constexpr int kBadInput = 2;

    // `engine` is the engine library loaded unless --engine names another.
    static int run(const std::vector<std::string>& arguments, const std::filesystem::path& engine, std::ostream& out,
                   std::ostream& err);
    static std::string help();
};

}  // namespace corvane::sim
