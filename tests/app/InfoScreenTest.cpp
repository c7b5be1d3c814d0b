// The device information screen: its rows on different systems and devices,
// the app's own cellular detection, the simulated phone's device files, and
// the crash-report mail read back by Python's standard mail parser.

#include <gtest/gtest.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "app/model/CoreTelephonyNew.h"
#include "app/model/CrashReportMail.h"
#include "app/model/DateText.h"
#include "app/platform/SimulatedPhoneDevice.h"
#include "app/screens/InfoViewController.h"
#include "shared/AtomicFile.h"
#include "shared/MobileDataInfo.h"
#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::InfoViewController;

const std::string k2G(deviceinfo::kDataRate2G), k3G(deviceinfo::kDataRate3G), k4G(deviceinfo::kDataRate4G);

std::string hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const char c : bytes) {
        text += kDigits[static_cast<unsigned char>(c) >> 4];
        text += kDigits[static_cast<unsigned char>(c) & 15];
    }
    return text;
}

// What a mail program shows of a message file, as tests/app/read_mail.py prints it.
struct ReadMail {
    int defects = -1;
    std::string subject;
    std::vector<std::string> to;
    std::string bodyHex;
    std::vector<std::pair<std::string, std::string>> attachmentsHex;  // file name, bytes
};

ReadMail readWithPythonMailParser(const std::filesystem::path& file) {
    // The system's interpreter (the one the dependency script installs) when
    // present: a version manager's wrapper found first on the path may take
    // seconds to start.
    const std::string python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    const std::string command = python + " '" AMPWISE_READ_MAIL_SCRIPT "' '" + file.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    std::string output;
    char buffer[4096];
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, count);
    EXPECT_EQ(::pclose(pipe), 0) << output;

    ReadMail mail;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const auto space = line.find(' ');
        const std::string tag = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        if (tag == "defects") mail.defects = std::stoi(rest);
        if (tag == "subject") mail.subject = rest;
        if (tag == "to") mail.to.push_back(rest);
        if (tag == "body") mail.bodyHex = rest;
        if (tag == "attachment") {
            const auto last = rest.rfind(' ');
            mail.attachmentsHex.emplace_back(rest.substr(0, last), rest.substr(last + 1));
        }
    }
    return mail;
}

// The home list, which leads to the information screen.
class HomeScreen : public app::TableViewController {
public:
    int numberOfRowsInSection(app::TableView&, int) override { return 0; }
    std::shared_ptr<app::TableCell> cellForRowAtIndexPath(app::TableView&, app::IndexPath) override { return nullptr; }
};

class InfoScreenTest : public AppTest {
protected:
    static app::Storyboard storyboard() {
        app::Storyboard board;
        board.registerScene("showInfo", [] { return std::make_unique<InfoViewController>(); });
        return board;
    }

    // Opens the information screen from the home list, on a fresh stack.
    InfoViewController& openInfo() {
        stack = std::make_unique<app::NavigationStack>(storyboard());
        stack->setRootViewController(std::make_unique<HomeScreen>());
        stack->performSegue(*stack->topViewController(), "showInfo", nullptr);
        return dynamic_cast<InfoViewController&>(*stack->topViewController());
    }
    std::pair<std::string, std::string> row(InfoViewController& screen, int index) {
        auto cell = screen.tableView().cellForRowAtIndexPath({0, index});
        return cell ? std::pair{cell->text, cell->detailText} : std::pair<std::string, std::string>{};
    }

    static std::filesystem::path crashFolder() { return paths::resolve(paths::kCrashReporterFolder); }
    static void writeCrashLog(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(crashFolder());
        std::ofstream(crashFolder() / name, std::ios::binary) << bytes;
    }
    static std::vector<std::filesystem::path> outboxFiles() {
        std::vector<std::filesystem::path> files;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(paths::resolve(paths::kMailOutbox), ignored))
            files.push_back(entry.path());
        return files;
    }
    const app::AlertView* lastAlert() const {
        return stack->pendingAlerts().empty() ? nullptr : &stack->pendingAlerts().back();
    }
    std::string bodyStart(std::size_t logs) const {
        return "Feel free to insert any valuable comments between lines\n_________________________________\n\n"
               "_________________________________\nnumber of logs :" +
               std::to_string(logs) + "\n";
    }
    std::string bodyEnd() const { return "Generated by Ampwise 2.1.1\n on " + app::DateText::defaultDescription(platform.now); }

    std::unique_ptr<app::NavigationStack> stack;
};

TEST_F(InfoScreenTest, RowsShowKernelCapabilitiesAndTheRightFifthRowForTheSystem) {
    platform.fakeDevice.version = "7.1";
    platform.fakeDevice.dataRates = std::vector<std::string>{k2G, k3G};
    {
        InfoViewController& screen = openInfo();  // no mobile-data file yet
        EXPECT_EQ(screen.title, "Infos");
        const std::vector<std::pair<std::string, std::string>> expected{
            {"Device", "iPhone6,1"},           {"Name", "test-phone"},        {"System", "Darwin"},
            {"Release", "14.0.0"},             {"Version", "Darwin Kernel Version 14.0.0"},
            {"Supports 3G switch", "Yes"},     {"Supports 2G", "No"},         {"Supports 3G", "No"},
            {"Supports 4G", "No"},             {"Device Kind", "0"},          {"CoreFoundation version", "1141.140000"},
            {"Send crash logs", ""}};
        ASSERT_EQ(screen.tableView().numberOfRowsInSection(0), 12);
        for (int index = 0; index < 12; ++index) EXPECT_EQ(row(screen, index), expected[index]) << "row " << index;
        screen.tableView().tapRowAtIndexPath({0, 3});
        EXPECT_TRUE(stack->pendingAlerts().empty());
    }

    MobileDataInfo record;
    record.setSupport2G(true);
    record.setSupport3G(true);
    record.setDeviceKind(1);
    ASSERT_TRUE(record.saveToFile());
    platform.fakeDevice.kernel.machine = "iPod5,1";
    {
        InfoViewController& screen = openInfo();
        EXPECT_EQ(row(screen, 5), (std::pair<std::string, std::string>{"Supports 3G switch", "No"}));
        EXPECT_EQ(row(screen, 6).second, "Yes");
        EXPECT_EQ(row(screen, 7).second, "Yes");
        EXPECT_EQ(row(screen, 8).second, "No");
        EXPECT_EQ(row(screen, 9).second, "1");
    }

    // From 8.0 on (numerically: 10.3 is later than 8.0) the row tells about
    // low-power mode, whatever the 3G answer.
    for (const char* version : {"8.0.2", "10.3", "8.0"}) {
        for (const bool available : {true, false}) {
            platform.fakeDevice.version = version;
            platform.fakeDevice.classOperations.clear();
            if (available) platform.fakeDevice.classOperations.push_back("PSLowPowerModeSettingsDetail isEnabled");
            InfoViewController& screen = openInfo();
            EXPECT_EQ(row(screen, 5), (std::pair<std::string, std::string>{"Supports Low power mode",
                                                                           available ? "Yes" : "No"}))
                << version;
        }
    }
}

TEST_F(InfoScreenTest, CoreTelephonyNewKindsFollowTheRatesAndAreAskedAnewEachTime) {
    using Rates = std::optional<std::vector<std::string>>;
    const std::vector<std::pair<Rates, int>> cases{
        {std::vector{k2G, k3G, k4G}, 2}, {std::vector{k3G, k4G}, 2}, {std::vector{k2G, k3G}, 1},
        {std::vector{k3G}, 0},           {std::vector{k2G}, 0},      {std::vector<std::string>{}, 0},
        {std::vector{k2G, k4G}, 0},      {std::vector{std::string("2G"), std::string("3G")}, 0},
        {std::nullopt, -1}};
    for (const auto& [rates, kind] : cases) {
        platform.fakeDevice.dataRates = rates;
        app::CoreTelephonyNew telephony;
        EXPECT_TRUE(telephony.supportsNew3GAPI);
        EXPECT_EQ(telephony.deviceKind, kind);
        EXPECT_EQ(telephony.is3GCapable(), kind > 0);  // a phone: kind 1 and 2 may switch
        EXPECT_FALSE(telephony.isCDMA);
    }

    // No caching: the server's answer of the moment counts.
    platform.fakeDevice.dataRates = std::vector{k2G, k3G};
    app::CoreTelephonyNew telephony;
    platform.fakeDevice.dataRates = std::vector{k3G, k4G};
    EXPECT_EQ(telephony.getDeviceKind(), 2);
    platform.fakeDevice.dataRates = std::nullopt;
    EXPECT_EQ(telephony.getDeviceKind(), -1);

    // The data-rate interface from 5.1 on, compared numerically.
    platform.fakeDevice.dataRates = std::vector{k2G, k3G, k4G};
    for (const auto& [version, newInterface] : std::vector<std::pair<std::string, bool>>{
             {"5.0", false}, {"5.0.1", false}, {"5.1", true}, {"5.1.1", true}, {"10.0", true}}) {
        platform.fakeDevice.version = version;
        app::CoreTelephonyNew detected;
        EXPECT_EQ(detected.supportsNew3GAPI, newInterface) << version;
        EXPECT_EQ(detected.deviceKind, newInterface ? 2 : -1) << version;
        EXPECT_EQ(detected.is3GCapable(), newInterface) << version;
    }
}

TEST_F(InfoScreenTest, CoreTelephonyNewHardwareRules) {
    struct Case {
        std::string machine;
        int idiom;
        std::vector<std::string> rates;
        bool cellularData;
        bool capable;
    };
    const std::vector<Case> cases{
        {"iPhone1,1", 0, {k2G, k3G, k4G}, true, false}, {"iPhone1,2", 0, {k2G, k3G}, true, true},
        {"iPod5,1", 0, {k2G, k3G, k4G}, true, false},   {"iPad4,1", 1, {k2G, k3G, k4G}, false, false},
        {"iPad4,2", 1, {k2G, k3G, k4G}, true, true},    {"iPad2,2", 1, {k2G, k3G}, true, false},
        {"iPhone6,1", 0, {k2G, k3G}, true, true}};
    for (const Case& c : cases) {
        platform.fakeDevice.kernel.machine = c.machine;
        platform.fakeDevice.idiom = c.idiom;
        platform.fakeDevice.dataRates = c.rates;
        platform.fakeDevice.capabilities =
            c.cellularData ? std::vector<std::string>{"cellular-data"} : std::vector<std::string>{};
        app::CoreTelephonyNew telephony;
        EXPECT_EQ(telephony.name.machine, c.machine);
        EXPECT_EQ(telephony.is3GCapable(), c.capable) << c.machine;
    }

    // The capability answer always comes from the platform installed now,
    // below and above framework version 793.
    for (const double framework : {700.0, 1141.14}) {
        platform.fakeDevice.coreFoundationVersion = framework;
        platform.fakeDevice.capabilities = std::vector<std::string>{"cellular-data"};
        EXPECT_TRUE(app::CoreTelephonyNew::supportsCapability("cellular-data"));
        FakeAppPlatform other;
        other.fakeDevice.coreFoundationVersion = framework;
        other.fakeDevice.capabilities = std::nullopt;  // no capability library
        app::AppPlatform::install(&other);
        EXPECT_FALSE(app::CoreTelephonyNew::supportsCapability("cellular-data")) << framework;
        app::AppPlatform::install(&platform);
        platform.fakeDevice.capabilities = std::vector<std::string>{};
        EXPECT_FALSE(app::CoreTelephonyNew::supportsCapability("cellular-data")) << framework;
    }
}

TEST_F(InfoScreenTest, CrashLogsBecomeAStandardMailWithTheQualifyingLogsAttached) {
    std::string springBoard = "Incident: Ünïcødé — 日本語 crash\n" + std::string(5000, 'x') + "\n";
    for (int byte = 0; byte < 256; ++byte) springBoard += static_cast<char>(byte);
    const std::string ampwise = "From the app\r\n.\r\ntrailing spaces   \n=3D not an escape\n--=_Ampwise_ boundary-like\n";
    writeCrashLog("SpringBoard-2015-01-01.ips", springBoard);
    writeCrashLog("Ampwise-x.ips", ampwise);
    writeCrashLog("other.ips", "not ours");
    writeCrashLog("SpringBoard.plist", "not a crash log");

    InfoViewController& screen = openInfo();
    screen.tableView().tapRowAtIndexPath({0, 11});

    const std::vector<std::filesystem::path> files = outboxFiles();
    ASSERT_EQ(files.size(), 1u);  // no temporary file left beside it
    EXPECT_EQ(files[0].extension(), ".eml");
    ASSERT_NE(lastAlert(), nullptr);
    EXPECT_EQ(lastAlert()->title, "Mail saved");
    EXPECT_NE(lastAlert()->message.find(files[0].string()), std::string::npos) << lastAlert()->message;
    EXPECT_EQ(lastAlert()->buttonTitles(), (std::vector<std::string>{"Dismiss", "Open in mail program"}));

    const std::string raw = *readWholeFile(files[0]);
    for (std::size_t at = raw.find('\n'); at != std::string::npos; at = raw.find('\n', at + 1)) {
        ASSERT_TRUE(at > 0 && raw[at - 1] == '\r') << "bare line feed at " << at;
    }
    for (const char* header : {"\r\nDate: ", "\r\nMessage-ID: <", "\r\nMIME-Version: 1.0\r\n", "From: "}) {
        EXPECT_NE(raw.find(header), std::string::npos) << header;
    }

    const ReadMail mail = readWithPythonMailParser(files[0]);
    EXPECT_EQ(mail.defects, 0);
    EXPECT_EQ(mail.subject, "Logs from test-phone.local");
    EXPECT_EQ(mail.to, std::vector<std::string>{std::string(app::CrashReportMail::kSupportAddress)});
    const std::string body = bodyStart(2) + "Ampwise-x.ips, size=" + std::to_string(ampwise.size()) +
                             "\nSpringBoard-2015-01-01.ips, size=" + std::to_string(springBoard.size()) + "\n" +
                             bodyEnd();
    EXPECT_EQ(mail.bodyHex, hex(body));
    const std::vector<std::pair<std::string, std::string>> attachments{
        {"Ampwise-x.ips", hex(ampwise)}, {"SpringBoard-2015-01-01.ips", hex(springBoard)}};
    EXPECT_EQ(mail.attachmentsHex, attachments);

    // Opening the saved file also closes the message and goes back home.
    ASSERT_EQ(stack->depth(), 2u);
    stack->answerAlert(1);
    EXPECT_EQ(stack->openedURLs(), std::vector<std::string>{"file://" + files[0].string()});
    EXPECT_EQ(stack->depth(), 1u);
}

TEST_F(InfoScreenTest, UnreadableLogsAreNamedButNotAttachedAndUnusualNamesSurvive) {
    writeCrashLog("Ampwise-ok.ips", "fine");
    std::filesystem::create_symlink(crashFolder() / "vanished.txt", crashFolder() / "SpringBoard-gone.ips");
    const bool root = ::geteuid() == 0;  // root reads any file, whatever its mode
    if (!root) {
        writeCrashLog("SpringBoard-locked.ips", "secret");
        std::filesystem::permissions(crashFolder() / "SpringBoard-locked.ips", std::filesystem::perms::none);
    }
    platform.fakeDevice.host = std::nullopt;

    openInfo().tableView().tapRowAtIndexPath({0, 11});
    ASSERT_EQ(outboxFiles().size(), 1u);
    ReadMail mail = readWithPythonMailParser(outboxFiles()[0]);
    EXPECT_EQ(mail.subject, "Logs from (null)");
    const std::string body = bodyStart(root ? 2 : 3) + "Ampwise-ok.ips, size=4\nSpringBoard-gone.ips, size=Unreadable\n" +
                             (root ? "" : "SpringBoard-locked.ips, size=Unreadable\n") + bodyEnd();
    EXPECT_EQ(mail.bodyHex, hex(body));
    EXPECT_EQ(mail.attachmentsHex, (std::vector<std::pair<std::string, std::string>>{{"Ampwise-ok.ips", hex("fine")}}));

    // A long non-ASCII host name and a file name with quotes and accents.
    std::filesystem::remove_all(paths::resolve(paths::kMailOutbox));
    std::filesystem::remove_all(crashFolder());
    // Long enough that its body line needs soft line breaks.
    const std::string name = "Ampwise-\"é\" ünïcødé 日本 " + std::string(120, 'n') + ".ips";
    const std::string content = "été\n";
    writeCrashLog(name, content);
    platform.fakeDevice.host = "téléphone-de-mårten-avec-un-nom-particulièrement-long-日本";
    openInfo().tableView().tapRowAtIndexPath({0, 11});
    ASSERT_EQ(outboxFiles().size(), 1u);
    mail = readWithPythonMailParser(outboxFiles()[0]);
    EXPECT_EQ(mail.defects, 0);
    EXPECT_EQ(mail.subject, "Logs from " + *platform.fakeDevice.host + ".local");
    EXPECT_EQ(mail.bodyHex, hex(bodyStart(1) + name + ", size=" + std::to_string(content.size()) + "\n" + bodyEnd()));
    EXPECT_EQ(mail.attachmentsHex, (std::vector<std::pair<std::string, std::string>>{{name, hex(content)}}));

    // Past the total the message holds, logs are named but not attached.
    const app::MimeMessage full = app::CrashReportMail::compose(crashFolder(), {name, name}, std::nullopt, 0.0,
                                                                content.size() + 1);
    EXPECT_EQ(full.attachments.size(), 1u);
    EXPECT_NE(full.body.find(name + ", size=" + std::to_string(content.size()) + " (not attached)\n"),
              std::string::npos);
}

TEST_F(InfoScreenTest, CrashFolderProblemsAreToldByAlertsAndNothingIsWritten) {
    auto expectAlert = [&](const std::string& title, const std::string& message) {
        ASSERT_NE(lastAlert(), nullptr) << title;
        EXPECT_EQ(lastAlert()->title, title);
        EXPECT_EQ(lastAlert()->message, message);
        EXPECT_EQ(lastAlert()->buttonTitles(), std::vector<std::string>{"Dismiss"});
        EXPECT_EQ(lastAlert()->delegate, nullptr);
        stack->answerAlert(0);
        EXPECT_EQ(stack->depth(), 2u);  // the screen stays
    };
    InfoViewController& screen = openInfo();

    screen.sendCrashes();  // no folder
    expectAlert("Error", std::make_error_code(std::errc::no_such_file_or_directory).message());

    writeFile(paths::kCrashReporterFolder, plist::Value(1));  // a file where the folder should be
    screen.sendCrashes();
    expectAlert("Error", std::make_error_code(std::errc::not_a_directory).message());

    std::filesystem::remove(crashFolder());
    std::filesystem::create_directories(crashFolder());
    screen.sendCrashes();
    expectAlert("Warn", "No crash log found");

    writeCrashLog("other.ips", "x");
    writeCrashLog("SpringBoard.plist", "x");
    writeCrashLog("springboard-lower.ips", "x");  // the names are case-sensitive
    writeCrashLog("Ampwise-x.ips.gz", "x");
    screen.sendCrashes();
    expectAlert("Warn", "No suitable crash log found");
    EXPECT_TRUE(outboxFiles().empty());

    // A mail that cannot be saved is reported, and the message is closed.
    writeCrashLog("Ampwise-1.ips", "x");
    writeFile(paths::kMailOutbox, plist::Value(1));
    screen.sendCrashes();
    ASSERT_NE(lastAlert(), nullptr);
    EXPECT_EQ(lastAlert()->title, "Error");
    stack->answerAlert(0);
    EXPECT_EQ(stack->depth(), 1u);
}

class SimulatedPhoneDeviceTest : public AppTest {
protected:
    // The files as the simulated phone lays them out.
    static void layOutPhone(plist::Dictionary overrides = {}) {
        plist::Dictionary device{
            {std::string(simdevice::kMachine), "iPad4,2"},
            {std::string(simdevice::kSystemVersion), "8.4"},
            {std::string(simdevice::kCoreFoundationVersionNumber), 1141.14},
            {std::string(simdevice::kUserInterfaceIdiom), 1},
            {std::string(simdevice::kCapabilities), plist::Value(plist::Dictionary{{"cellular-data", true},
                                                                                   {"telephony", false}})},
            {std::string(simdevice::kTelephonyServerReachable), true},
            {std::string(simdevice::kRATSelection), "kCTRegistrationRATSelection1"},
            {std::string(simdevice::kSupportedDataRates), plist::Value(plist::Array{k2G, k3G})},
            {std::string(simdevice::kLowPowerModeAvailable), true},
        };
        for (const auto& [key, value] : overrides) device.set(key, value);
        writeFile(paths::kSimulatedDevice, plist::Value(device));
    }
};

TEST_F(SimulatedPhoneDeviceTest, AnswersFromThePhonesFilesAndDefaultsWithoutThem) {
    struct utsname real {};
    ASSERT_EQ(::uname(&real), 0);
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    app::SimulatedPhoneDevice device;

    layOutPhone();
    writeFile(paths::kSystemVersion, plist::Value(plist::Dictionary{{std::string(systemversion::kProductName), "iPhone OS"},
                                                                    {std::string(systemversion::kProductVersion), "9.3.5"}}));
    const app::KernelIdentification kernel = device.uname();
    EXPECT_EQ(kernel.machine, "iPad4,2");
    EXPECT_EQ(kernel.sysname, real.sysname);
    EXPECT_EQ(kernel.nodename, real.nodename);
    EXPECT_EQ(kernel.release, real.release);
    EXPECT_EQ(device.systemVersion(), "9.3.5");
    EXPECT_DOUBLE_EQ(device.coreFoundationVersionNumber(), 1141.14);
    EXPECT_EQ(device.userInterfaceIdiom(), 1);
    auto capability = device.loadCapabilityFunction();
    ASSERT_TRUE(capability.has_value());
    EXPECT_TRUE((*capability)("cellular-data"));
    EXPECT_FALSE((*capability)("telephony"));
    EXPECT_FALSE((*capability)("unknown"));
    EXPECT_EQ(device.copySupportedDataRates(), (std::vector<std::string>{k2G, k3G}));
    EXPECT_TRUE(device.classRespondsToClassOperation("PSLowPowerModeSettingsDetail", "isEnabled"));
    EXPECT_FALSE(device.classRespondsToClassOperation("PSLowPowerModeSettingsDetail", "setEnabled:"));
    EXPECT_FALSE(device.classRespondsToClassOperation("BluetoothManager", "isEnabled"));
    EXPECT_EQ(device.hostName(), std::string(host));

    // The version file without a version: the device file's; an unreachable
    // server: no rates; a reachable one without a list: an empty list.
    writeFile(paths::kSystemVersion, plist::Value(plist::Dictionary{{std::string(systemversion::kProductVersion), 9}}));
    EXPECT_EQ(device.systemVersion(), "8.4");
    layOutPhone({{std::string(simdevice::kTelephonyServerReachable), false}});
    EXPECT_EQ(device.copySupportedDataRates(), std::nullopt);
    layOutPhone({{std::string(simdevice::kSupportedDataRates), "kCTRegistrationDataRate2G"}});
    EXPECT_EQ(device.copySupportedDataRates(), std::vector<std::string>{});

    // Wrong types and a malformed or missing device file give the defaults.
    layOutPhone({{std::string(simdevice::kMachine), 7},
                 {std::string(simdevice::kUserInterfaceIdiom), "tablet"},
                 {std::string(simdevice::kCapabilities), plist::Value(plist::Array{"cellular-data"})},
                 {std::string(simdevice::kLowPowerModeAvailable), "YES"}});
    EXPECT_EQ(device.uname().machine, real.machine);
    EXPECT_EQ(device.userInterfaceIdiom(), 0);
    EXPECT_FALSE(device.loadCapabilityFunction().has_value());
    EXPECT_FALSE(device.classRespondsToClassOperation("PSLowPowerModeSettingsDetail", "isEnabled"));
    for (const bool malformed : {true, false}) {
        std::filesystem::remove(paths::resolve(paths::kSystemVersion));
        if (malformed) {
            std::ofstream(paths::resolve(paths::kSimulatedDevice)) << "<plist><dict><key>machine";
        } else {
            std::filesystem::remove(paths::resolve(paths::kSimulatedDevice));
        }
        EXPECT_EQ(device.uname().machine, real.machine);
        EXPECT_EQ(device.systemVersion(), "");
        EXPECT_EQ(device.coreFoundationVersionNumber(), 0.0);
        EXPECT_EQ(device.userInterfaceIdiom(), 0);
        EXPECT_FALSE(device.loadCapabilityFunction().has_value());
        EXPECT_EQ(device.copySupportedDataRates(), std::nullopt);
        EXPECT_FALSE(device.classRespondsToClassOperation("PSLowPowerModeSettingsDetail", "isEnabled"));
    }
}

}  // namespace
}  // namespace corvane::testing
