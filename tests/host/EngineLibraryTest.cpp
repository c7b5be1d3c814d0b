// The engine library loaded with dlopen into the simulated home screen, as on
// the phone: its load-time constructor installs the hooks by itself. An
// engine lives as long as its process, so each case runs in a child process
// of its own.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dlfcn.h>

#include <functional>

#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "sim/PhoneHost.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

// Runs `body` in a forked child; its assertion failures fail this test.
void inChildProcess(const std::function<void()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        body();
        std::fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child process crashed";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "assertions failed in the child process (see above)";
}

std::size_t changesOf(sim::PhoneHost& host, const std::string& radio, bool on) {
    std::size_t count = 0;
    for (const auto& change : host.phone().radioChanges())
        count += sim::radioName(change.radio) == radio && change.on == on;
    return count;
}

TEST(EngineLibraryTest, LoadedLibraryHooksTheHomeScreenAndRunsACycle) {
    TemporaryRoot root;
    inChildProcess([] {
        sim::PhoneHost host;
        ASSERT_TRUE(plist::writeFile(paths::resolve(paths::kSettings),
                                     plist::Value(plist::Dictionary{{"Strategy", 2}, {"SwitchRadiosOnLock", true}})));
        auto& home = host.homeScreen();

        std::string error;
        ASSERT_TRUE(host.loadEngine(CORVANE_ENGINE_LIBRARY, &error)) << error;
        // Loaded but not launched: events still reach only the home screen.
        host.log().clear();  // past the hooks' installation report
        home.lock();
        host.loop().advance(60);
        home.unlock();
        host.loop().advance(60);
        EXPECT_TRUE(host.phone().radioChanges().empty());
        EXPECT_TRUE(host.log().lines().empty());

        home.finishLaunching();
        plist::Dictionary battery{{"CurrentCapacity", 90}, {"MaxCapacity", 100}};
        home.reportBatteryStatus(&battery);
        EXPECT_EQ(host.statusBarService().visibleImage(), "AW_normal");

        // Normal: radios off 15 s after the lock, back 3 s after the unlock.
        home.lock();
        host.loop().advance(15.1);
        EXPECT_EQ(changesOf(host, "wifi", false), 1u);
        EXPECT_EQ(changesOf(host, "edge", false), 1u);
        host.loop().advance(600);
        home.unlock();
        host.loop().advance(3.1);
        EXPECT_EQ(changesOf(host, "wifi", true), 1u);
        EXPECT_EQ(changesOf(host, "edge", true), 1u);
    });
}

TEST(EngineLibraryTest, LibraryInAProcessWithoutAPhoneStaysInert) {
    TemporaryRoot root;
    inChildProcess([] {
        // No phone exists when the library loads: the constructor finds no
        // platform and installs nothing, also for a phone created later.
        void* library = dlopen(CORVANE_ENGINE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        sim::PhoneHost host;
        host.homeScreen().finishLaunching();
        plist::Dictionary battery{{"CurrentCapacity", 90}, {"MaxCapacity", 100}};
        host.homeScreen().reportBatteryStatus(&battery);
        host.homeScreen().lock();
        host.loop().advance(120);
        EXPECT_TRUE(host.phone().radioChanges().empty());
        EXPECT_FALSE(host.statusBarService().visibleImage().has_value());
    });
}

}  // namespace
}  // namespace corvane::testing
