// corvaned's command line, its status screen and airplane mode from rfkill.
#include <gtest/gtest.h>

#include <linux/rfkill.h>

#include <sstream>

#include "device/CorvanedCommand.h"
#include "device/Rfkill.h"
#include "device/StatusReport.h"

namespace corvane::device {
namespace {

TEST(CorvanedCommand, OptionsAreReadAndMistakesRefused) {
    std::string error;
    auto line = CorvanedCommand::parse(
        {"--root", "/tmp/r", "--dry-run", "--engine", "/e.so", "--session", "c2", "--rfkill", ""}, &error);
    ASSERT_TRUE(line.has_value()) << error;
    EXPECT_EQ(line->root, std::filesystem::path("/tmp/r"));
    EXPECT_EQ(line->engine, std::filesystem::path("/e.so"));
    EXPECT_EQ(line->session, "c2");
    EXPECT_EQ(line->rfkill, std::filesystem::path(""));
    EXPECT_TRUE(line->dryRun);
    EXPECT_FALSE(line->status);

    EXPECT_FALSE(CorvanedCommand::parse({"--root"}, &error).has_value());
    EXPECT_EQ(error, "--root needs a value");
    EXPECT_FALSE(CorvanedCommand::parse({"--engine", ""}, &error).has_value());
    EXPECT_FALSE(CorvanedCommand::parse({"--fast"}, &error).has_value());
    EXPECT_EQ(error, "unknown argument: --fast");

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(CorvanedCommand::run({"--bogus"}, "/none", out, err), kExitUsage);
    EXPECT_NE(err.str().find("unknown argument: --bogus"), std::string::npos);
    EXPECT_EQ(CorvanedCommand::run({"--help"}, "/none", out, err), kExitClean);
    EXPECT_NE(out.str().find("--dry-run"), std::string::npos);
}

TEST(StatusReport, OneScreenSaysWhatIsFoundWhatIsMissingAndWhy) {
    StatusFacts facts;
    facts.root = "/home/u/.local/share/corvane/device";
    facts.engine = "/usr/lib/libCorvane.so";
    facts.engineFound = true;
    facts.strategy = 3;
    facts.session = "/org/freedesktop/login1/session/_32";
    facts.locked = false;
    facts.services = {
        {"logind", true, ""}, {"ModemManager", false, ""}, {"screen saver", true, "org.gnome.ScreenSaver"}};
    facts.capabilities = {{"wake from sleep", "no, needs CAP_WAKE_ALARM"}};
    facts.radios = {{"wifi", "on"}, {"modes", "unknown"}};
    const std::string text = statusText(facts);
    for (const char* line :
         {"root: /home/u/.local/share/corvane/device\n", "engine: /usr/lib/libCorvane.so (found)\n",
          "strategy: Aggressive\n", "session: /org/freedesktop/login1/session/_32 (locked: no)\n", "  logind: found\n",
          "  ModemManager: missing\n", "  screen saver: found (org.gnome.ScreenSaver)\n",
          "  wake from sleep: no, needs CAP_WAKE_ALARM\n", "  wifi: on\n", "  modes: unknown\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " missing from\n" << text;
    }

    facts.strategy.reset();
    facts.session.clear();
    facts.engineFound = false;
    const std::string bare = statusText(facts);
    EXPECT_NE(bare.find("strategy: Normal (no settings yet)\n"), std::string::npos);
    EXPECT_NE(bare.find("session: none found (locking not followed)\n"), std::string::npos);
    EXPECT_NE(bare.find("(missing)\n"), std::string::npos);
    EXPECT_EQ(strategyName(0), "None");
    EXPECT_EQ(strategyName(5), "Custom");
}

TEST(Rfkill, AirplaneModeIsEveryRadioBlocked) {
    Rfkill rfkill;
    EXPECT_FALSE(rfkill.open("", nullptr, nullptr));
    EXPECT_FALSE(rfkill.airplaneMode());  // no radio known
    rfkill.apply(0, RFKILL_TYPE_WLAN, true, false, false);
    rfkill.apply(1, RFKILL_TYPE_BLUETOOTH, false, false, false);
    rfkill.apply(2, RFKILL_TYPE_NFC, false, false, false);  // does not count
    EXPECT_FALSE(rfkill.airplaneMode());
    rfkill.apply(1, RFKILL_TYPE_BLUETOOTH, false, true, false);
    EXPECT_TRUE(rfkill.airplaneMode());
    rfkill.apply(3, RFKILL_TYPE_WWAN, false, false, false);
    EXPECT_FALSE(rfkill.airplaneMode());
    rfkill.apply(3, RFKILL_TYPE_WWAN, false, false, true);  // the modem went away
    EXPECT_TRUE(rfkill.airplaneMode());
}

}  // namespace
}  // namespace corvane::device
