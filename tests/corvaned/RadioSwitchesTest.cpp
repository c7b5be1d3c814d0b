// The radio gate: the journal written before each switch, the dry run, and
// the radios put back.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "device/RadioSwitches.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::device {
namespace {

class RadioSwitchesTest : public ::testing::Test {
protected:
    RadioSwitchesTest() {
        log.setQuiet(true);
        log.setObserver([this](const std::string& l) { lines.push_back(l); });
    }

    bool saw(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    std::optional<plist::Dictionary> file() const { return plist::readDictionary(journal.file()); }

    testing::TemporaryRoot root;
    DaemonLog log;
    std::vector<std::string> lines;
    RadioJournal journal{paths::resolve(kRadioJournalFile)};
};

TEST_F(RadioSwitchesTest, TheStateFoundIsOnFileBeforeTheSwitchAndTheFirstOneStays) {
    RadioSwitches switches(log, journal, false);
    std::optional<plist::Dictionary> seenBySwitch;
    EXPECT_TRUE(switches.change("wifi", plist::Value(true), plist::Value(false), [&] {
        seenBySwitch = file();
        return true;
    }));
    ASSERT_TRUE(seenBySwitch.has_value());
    EXPECT_EQ(seenBySwitch->find("wifi")->boolValue(), true);
    EXPECT_TRUE(saw("corvaned: switch wifi off"));

    // Switched again (it came back on meanwhile): the state to put back stays the first.
    switches.change("wifi", plist::Value(false), plist::Value(true), [] { return true; });
    switches.change("modes", plist::Value("4G"), plist::Value("2G"), [] { return true; });
    EXPECT_EQ(file()->find("wifi")->boolValue(), true);
    EXPECT_EQ(*file()->find("modes")->asString(), "4G");

    // Nothing to do when the radio is already as wanted.
    int calls = 0;
    EXPECT_TRUE(switches.change("bluetooth", plist::Value(false), plist::Value(false), [&] { return ++calls > 0; }));
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(file()->contains("bluetooth"));
}

TEST_F(RadioSwitchesTest, ADryRunSaysTheSwitchAndMakesNone) {
    RadioSwitches switches(log, journal, true);
    bool made = false;
    EXPECT_FALSE(
        switches.change("cellular-data", plist::Value(true), plist::Value(false), [&] { return made = true; }));
    EXPECT_FALSE(made);
    EXPECT_TRUE(saw("corvaned: would switch cellular-data off"));
    EXPECT_FALSE(std::filesystem::exists(journal.file()));
}

TEST_F(RadioSwitchesTest, NoSwitchIsMadeWhenTheJournalCannotBeWritten) {
    std::filesystem::create_directories(journal.file());  // a folder where the file belongs
    RadioSwitches switches(log, journal, false);
    bool made = false;
    EXPECT_FALSE(switches.change("wifi", plist::Value(true), plist::Value(false), [&] { return made = true; }));
    EXPECT_FALSE(made);
}

TEST_F(RadioSwitchesTest, RestoringPutsBackEachRadioAndForgetsThem) {
    {
        RadioSwitches before(log, journal, false);
        before.change("wifi", plist::Value(true), plist::Value(false), [] { return true; });
        before.change("low-power", plist::Value(false), plist::Value(true), [] { return true; });
    }
    // A dry run after a crash says what it would put back and keeps the file.
    std::map<std::string, plist::Value> putBack;
    auto put = [&](std::string_view radio, const plist::Value& state) {
        putBack.emplace(std::string(radio), state);
        return true;
    };
    EXPECT_EQ(RadioSwitches(log, journal, true).restore(put), 0);
    EXPECT_TRUE(putBack.empty());
    EXPECT_TRUE(saw("corvaned: would restore wifi on"));
    EXPECT_TRUE(journal.exists());

    EXPECT_EQ(RadioSwitches(log, journal, false).restore(put), 2);
    EXPECT_EQ(putBack.at("wifi").boolValue(), true);
    EXPECT_EQ(putBack.at("low-power").boolValue(), false);
    EXPECT_TRUE(saw("corvaned: restore low-power off"));
    EXPECT_FALSE(journal.exists());
}

}  // namespace
}  // namespace corvane::device
