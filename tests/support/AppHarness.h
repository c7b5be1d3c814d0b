#pragma once
// The fixture of the companion app's tests: a fresh filesystem root, an app
// platform whose notifications, clock, device and scheduled power events
// the test controls, the app's log lines captured, and a fresh preference
// model. Screens are driven through a NavigationStack as a user would.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/model/AppLog.h"
#include "app/model/PlistController.h"
#include "app/platform/AppPlatform.h"
#include "app/screens/NavigationStack.h"
#include "shared/AtomicFile.h"
#include "shared/InProcessDarwinNotificationCenter.h"
#include "shared/MobileDataInfo.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
#include "shared/PropertyListFile.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {

class FakeAppDevice final : public app::AppDevice {
public:
    app::KernelIdentification kernel{"Darwin", "test-phone", "14.0.0", "Darwin Kernel Version 14.0.0", "iPhone6,1"};
    std::string version = "8.1";
    double coreFoundationVersion = 1141.14;
    int idiom = 0;
    // Class name + " " + operation, for classRespondsToClassOperation.
    std::vector<std::string> classOperations;
    std::optional<std::vector<std::string>> dataRates =
        std::vector<std::string>{"kCTRegistrationDataRate2G", "kCTRegistrationDataRate3G", "kCTRegistrationDataRate4G"};
    std::optional<std::vector<std::string>> capabilities = std::vector<std::string>{"cellular-data"};
    std::optional<std::string> host = "test-phone";

    app::KernelIdentification uname() const override { return kernel; }
    std::string systemVersion() const override { return version; }
    double coreFoundationVersionNumber() const override { return coreFoundationVersion; }
    int userInterfaceIdiom() const override { return idiom; }
    bool classRespondsToClassOperation(std::string_view className, std::string_view operation) const override {
        const std::string wanted = std::string(className) + " " + std::string(operation);
        return std::find(classOperations.begin(), classOperations.end(), wanted) != classOperations.end();
    }
    std::optional<std::function<bool(std::string_view)>> loadCapabilityFunction() override {
        if (!capabilities) return std::nullopt;
        std::vector<std::string> answers = *capabilities;
        return std::function<bool(std::string_view)>([answers](std::string_view name) {
            return std::find(answers.begin(), answers.end(), name) != answers.end();
        });
    }
    std::optional<std::vector<std::string>> copySupportedDataRates() override { return dataRates; }
    std::optional<std::string> hostName() const override { return host; }
};

class FakePowerEvents final : public app::ScheduledPowerEvents {
public:
    std::optional<plist::Array> events = plist::Array{};
    std::optional<plist::Array> copyScheduledPowerEvents() override { return events; }
};

class FakeAppPlatform final : public app::AppPlatform {
public:
    platform::InProcessDarwinNotificationCenter notifications;
    double now = 1'700'000'000.0;
    FakeAppDevice fakeDevice;
    FakePowerEvents fakePowerEvents;

    platform::DarwinNotificationCenter& darwinNotifications() override { return notifications; }
    // Run once at the next clock read: another process acting at that moment.
    std::function<void()> atNextClockRead;
    double currentTime() override {
        if (atNextClockRead) std::exchange(atNextClockRead, nullptr)();
        return now;
    }
    app::AppDevice& device() override { return fakeDevice; }
    app::ScheduledPowerEvents& powerEvents() override { return fakePowerEvents; }
};

// While it lives, no file of this process may grow past `bytes`: writes fail
// with EFBIG, as on a full disk, for root too.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : signal(::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &previous);
        const rlimit limit{bytes, previous.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &previous), ::signal(SIGXFSZ, signal); }
    rlimit previous{};
    sighandler_t signal;
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessState::reset();
        std::error_code ignored;
        std::filesystem::create_directories(paths::resolve(paths::kPreferencesFolder), ignored);
        app::AppPlatform::install(&platform);
        app::PlistController::setAlertPresenter([this](const app::SettingsAlert& alert) { alerts.push_back(alert); });
        previousSink_ = app::AppLog::setSink([this](const std::string& line) {
            std::lock_guard guard(logMutex_);
            logLines_.push_back(line);
        });
    }
    void TearDown() override {
        ProcessState::reset();
        app::PlistController::setAlertPresenter({});
        app::AppLog::setSink(previousSink_);
    }

    bool logged(std::string_view fragment) const {
        std::lock_guard guard(logMutex_);
        return std::any_of(logLines_.begin(), logLines_.end(),
                           [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
    }

    std::size_t preferencesChangedCount() const {
        return platform.notifications.postCount(notifications::kPreferencesChanged);
    }

    static std::optional<plist::Dictionary> settingsFile() {
        return plist::readDictionary(paths::resolve(paths::kSettings));
    }
    static void writeSettings(const plist::Dictionary& settings) {
        ASSERT_TRUE(plist::writeFile(paths::resolve(paths::kSettings), plist::Value(settings)));
    }
    // The bytes of each copy of a file moved aside as unreadable, by name.
    static std::map<std::string, std::string> movedAside(std::string_view phonePath) {
        const auto path = paths::resolve(phonePath);
        const std::string prefix = path.filename().string() + ".unreadable-";
        std::map<std::string, std::string> copies;
        for (const auto& entry : std::filesystem::directory_iterator(path.parent_path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) == 0) copies[name] = readWholeFile(entry.path()).value_or("");
        }
        return copies;
    }
    // The settings file with every key the model reads, as the model saves
    // them (the keys not given are filled in by a first load), so that opening
    // a screen writes nothing back.
    plist::Dictionary writeCompleteSettings(const plist::Dictionary& given) {
        writeSettings(given);
        app::PlistController::sharedInstance().reloadPrefs();
        app::PlistController::sharedInstance().savePrefs();
        app::PlistController::resetSharedInstance();
        platform.notifications.clear();
        return settingsFile().value_or(plist::Dictionary{});
    }
    static void writeFile(std::string_view phonePath, const plist::Value& value) {
        const auto path = paths::resolve(phonePath);
        std::error_code ignored;
        std::filesystem::create_directories(path.parent_path(), ignored);
        ASSERT_TRUE(plist::writeFile(path, value));
    }

    // The device as the engine last described it in the mobile-data file; the
    // preference model is made again so that it reads the file.
    static void useDevice(bool support2G, bool support3G, bool support4G) {
        MobileDataInfo info;
        info.setSupport2G(support2G);
        info.setSupport3G(support3G);
        info.setSupport4G(support4G);
        ASSERT_TRUE(info.saveToFile());
        app::PlistController::resetSharedInstance();
    }

    TemporaryRoot root;
    FakeAppPlatform platform;
    // Alerts about the settings file, when no navigation stack shows them.
    std::vector<app::SettingsAlert> alerts;

private:
    mutable std::mutex logMutex_;
    std::vector<std::string> logLines_;
    app::AppLog::Sink previousSink_;
};

}  // namespace corvane::testing
