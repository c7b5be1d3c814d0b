#pragma once
// corvaned's command line and its runs: the daemon, --status and --help.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace corvane::device {

struct CommandLine {
    std::optional<std::filesystem::path> root;
    std::optional<std::filesystem::path> engine;
    std::optional<std::filesystem::path> rfkill;
    std::string session;
    bool dryRun = false;
    bool status = false;
    bool help = false;
};

// Exit codes.
inline constexpr int kExitClean = 0;
inline constexpr int kExitCannotStart = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitAlreadyRunning = 3;

class CorvanedCommand {
public:
    // none (and why in `error`) for a bad command line.
    static std::optional<CommandLine> parse(const std::vector<std::string>& arguments, std::string* error);
    static std::string help();
    // `builtEngine`: the engine library of the build or the installation.
    static int run(const std::vector<std::string>& arguments, const std::filesystem::path& builtEngine,
                   std::ostream& out, std::ostream& err);
};

}  // namespace corvane::device
