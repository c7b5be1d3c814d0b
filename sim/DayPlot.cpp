#include "sim/DayPlot.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include <nlohmann/json.hpp>

extern char** environ;

namespace corvane::sim {

namespace {

constexpr const char* kScriptName = "phonesim-plot.py";

std::string lowerExtension(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

std::optional<std::string> DayPlot::checkFile(const std::filesystem::path& file) {
    const std::string extension = lowerExtension(file);
    if (extension == ".png" || extension == ".svg") return std::nullopt;
    return "--plot needs a file ending in .png or .svg, not " + file.string();
}

std::optional<std::filesystem::path> DayPlot::findScript() {
    std::error_code error;
    if (const char* given = std::getenv("CORVANE_PLOT_SCRIPT"); given != nullptr && *given != '\0') {
        return std::filesystem::path(given);
    }
    std::vector<std::filesystem::path> candidates;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        candidates.push_back(self.parent_path() / kScriptName);
        candidates.push_back(self.parent_path().parent_path() / "share" / "corvane" / kScriptName);
    }
#ifdef CORVANE_PLOT_SCRIPT_SOURCE
    candidates.emplace_back(CORVANE_PLOT_SCRIPT_SOURCE);
#endif
    for (const auto& candidate : candidates) {
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> DayPlot::write(const Scenario& scenario, const std::vector<RunSummary>& runs,
                                          const std::filesystem::path& file) {
    if (auto refused = checkFile(file)) return refused;
    const auto script = findScript();
    if (!script) return std::string("cannot find ") + kScriptName + " beside phonesim or in ../share/corvane";

    nlohmann::ordered_json input;
    input["scenario"] = scenario.name;
    input["profile"] = runs.empty() ? "" : runs.front().profile;
    input["duration"] = scenario.duration;
    input["runs"] = nlohmann::ordered_json::array();
    for (const RunSummary& run : runs) {
        input["runs"].push_back({{"name", run.strategyName},
                                 {"wakeEvents",
                                  {{"due", run.wakeEventsDue()},
                                   {"neverDelivered", run.neverDelivered()},
                                   {"meanDelaySeconds", run.deliveryDelayMean},
                                   {"worstDelaySeconds", run.deliveryDelayWorst}}},
                                 {"timeline", run.timeline}});
    }

    // The input goes next to the output, under a temporary name.
    const std::filesystem::path data = file.string() + ".plot-input.json";
    {
        std::ofstream out(data, std::ios::binary | std::ios::trunc);
        out << input.dump();
        if (!out.flush()) return "cannot write " + data.string();
    }
    // Debian's interpreter is the one its python3-matplotlib belongs to; a
    // python3 earlier on PATH (pyenv, a virtual environment) may lack it.
    std::error_code missing;
    const std::string python = std::filesystem::exists("/usr/bin/python3", missing) ? "/usr/bin/python3" : "python3";
    std::vector<std::string> arguments{python, script->string(), data.string(), file.string()};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, python.c_str(), nullptr, nullptr, argv.data(), environ);
    std::optional<std::string> failure;
    if (spawned != 0) {
        failure = "cannot run python3 to draw the plot";
    } else {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            failure = "the plotting script failed (python3 with matplotlib is needed: scripts/install-deps.sh)";
        }
    }
    std::error_code ignored;
    std::filesystem::remove(data, ignored);
    return failure;
}

}  // namespace corvane::sim
