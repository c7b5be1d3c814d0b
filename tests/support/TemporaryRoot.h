#pragma once
// A fresh filesystem root for one test: a new temporary folder, made the
// phone's root through CORVANE_ROOT, removed with everything in it afterwards.
// The environment variables the paths depend on are restored at the end.
// The folder is in memory (/dev/shm) unless TMPDIR names another place: the
// simulator and the writers flush every file, which on a disk is most of the
// suite's time.

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace corvane::testing {

class SavedEnvironment {
public:
    explicit SavedEnvironment(std::vector<std::string> names) {
        for (std::string& name : names) {
            const char* value = std::getenv(name.c_str());
            saved_.push_back({std::move(name), value ? std::optional<std::string>(value) : std::nullopt});
        }
    }
    ~SavedEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    SavedEnvironment(const SavedEnvironment&) = delete;
    SavedEnvironment& operator=(const SavedEnvironment&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class TemporaryRoot {
public:
    TemporaryRoot() : environment_({"CORVANE_ROOT"}) {
        std::string pattern = (base() / "corvane-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::filesystem::filesystem_error("mkdtemp", std::error_code(errno, std::generic_category()));
        path_ = pattern;
        ::setenv("CORVANE_ROOT", path_.c_str(), 1);
    }
    ~TemporaryRoot() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryRoot(const TemporaryRoot&) = delete;
    TemporaryRoot& operator=(const TemporaryRoot&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    static std::filesystem::path base() {
        if (std::getenv("TMPDIR") == nullptr && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
        return std::filesystem::temp_directory_path();
    }

    SavedEnvironment environment_;
    std::filesystem::path path_;
};

}  // namespace corvane::testing
