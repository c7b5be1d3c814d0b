// Runs a fuzz target's entry point once on every file of its seed corpus, so
// that the regular sanitizer build checks the inputs the fuzzers found
// without a fuzzing engine: scripts/fuzz.sh does the fuzzing itself.
//   <target>Replay FOLDER-OR-FILE...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replay(const std::filesystem::path& file) {
    std::ifstream input(file, std::ios::binary);
    if (!input) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = 0;
    for (int k = 1; k < argc; ++k) {
        const std::filesystem::path given = argv[k];
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(given)) {
            for (const auto& entry : std::filesystem::directory_iterator(given)) {
                if (entry.is_regular_file()) files.push_back(entry.path());
            }
        } else {
            files.push_back(given);
        }
        for (const std::filesystem::path& file : files) {
            if (!replay(file)) return 1;
            ++inputs;
        }
    }
    std::printf("%d inputs replayed\n", inputs);
    // A corpus that vanished would pass silently otherwise.
    return inputs > 0 ? 0 : 1;
}
