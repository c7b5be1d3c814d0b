#pragma once
// A simulated phone with the engine past its start-up, on a filesystem root
// of its own, for the fuzz targets that drive the engine. The phone keeps
// what happened (log lines, alerts, radio switches); it is made again every
// so many inputs so that memory stays bounded over millions of them.

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/controller/Corvane.h"
#include "engine/hooks/SpringBoardHooks.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
#include "sim/PhoneHost.h"

namespace corvane::fuzzing {

class FuzzPhone {
public:
    explicit FuzzPhone(int inputsPerPhone) : inputsPerPhone_(inputsPerPhone) {
        // In memory when possible: every input writes files.
        std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = (base / "corvane-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ::abort();
        root_ = pattern;
        ::setenv("CORVANE_ROOT", root_.c_str(), 1);
        std::filesystem::create_directories(paths::resolve(paths::kPreferencesFolder));
    }
    ~FuzzPhone() {
        stop();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // The engine, on a phone made again when due.
    Corvane& engine() {
        if (!host_ || ++inputs_ > inputsPerPhone_) start();
        return *Corvane::sharedEngine();
    }
    sim::PhoneHost& host() { return *host_; }
    const std::filesystem::path& root() const { return root_; }

private:
    void start() {
        stop();
        inputs_ = 0;
        host_ = std::make_unique<sim::PhoneHost>();
        SpringBoardHooks::install(*host_);
        host_->homeScreen().finishLaunching();
        Corvane::sharedEngine()->postPostInit();
    }
    void stop() {
        ProcessState::reset();
        host_.reset();
    }

    int inputsPerPhone_;
    int inputs_ = 0;
    std::filesystem::path root_;
    std::unique_ptr<sim::PhoneHost> host_;
};

}  // namespace corvane::fuzzing
