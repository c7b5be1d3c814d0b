// The mobile-data file: what the engine writes is what the app reads back,
// with exactly the five keys, and any broken file reads as "nothing known".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shared/MobileDataInfo.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class MobileDataInfoTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(file().parent_path()); }
    static fs::path file() { return paths::resolve(paths::kMobileData); }
    static void expectNothingKnown(const MobileDataInfo& record) {
        EXPECT_FALSE(record.isCDMA());
        EXPECT_FALSE(record.support2G());
        EXPECT_FALSE(record.support3G());
        EXPECT_FALSE(record.support4G());
        EXPECT_EQ(record.deviceKind(), 0);
        EXPECT_FALSE(record.readFromFile());
    }

    testing::TemporaryRoot root_;
};

TEST_F(MobileDataInfoTest, SavesExactlyTheFiveKeysAndReadsThemBack) {
    MobileDataInfo record;
    record.setSupport2G(true);
    record.setSupport3G(true);
    record.setSupport4G(false);
    record.setDeviceKind(1);
    ASSERT_TRUE(record.saveToFile());

    const std::optional<plist::Dictionary> stored = plist::readDictionary(file());
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->size(), 5u);
    for (std::string_view flag : {mobiledata::kIsCDMA, mobiledata::kSupport2G, mobiledata::kSupport3G,
                                  mobiledata::kSupport4G}) {
        const plist::Value* value = stored->find(flag);
        ASSERT_NE(value, nullptr) << flag;
        EXPECT_TRUE(value->isBoolean()) << flag;
    }
    EXPECT_EQ(*stored->find(mobiledata::kIsCDMA), plist::Value(false));
    ASSERT_TRUE(stored->find(mobiledata::kDeviceKind)->isInteger());
    EXPECT_EQ(*stored->find(mobiledata::kDeviceKind)->asInteger(), 1);

    const MobileDataInfo loaded = MobileDataInfo::loadFromFile();
    EXPECT_FALSE(loaded.isCDMA());
    EXPECT_TRUE(loaded.support2G());
    EXPECT_TRUE(loaded.support3G());
    EXPECT_FALSE(loaded.support4G());
    EXPECT_EQ(loaded.deviceKind(), 1);
}

TEST_F(MobileDataInfoTest, SavingReplacesTheWholeFile) {
    // A file left with a foreign key by someone else is replaced, not merged.
    plist::writeFile(file(), plist::Value(plist::Dictionary{{"foreign", plist::Value(true)},
                                                            {std::string(mobiledata::kIsCDMA), plist::Value(true)}}));
    MobileDataInfo record;
    record.setDeviceKind(2);
    ASSERT_TRUE(record.saveToFile());
    const std::optional<plist::Dictionary> stored = plist::readDictionary(file());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->size(), 5u);
    EXPECT_FALSE(stored->contains("foreign"));
    EXPECT_EQ(*stored->find(mobiledata::kIsCDMA), plist::Value(false));
}

TEST_F(MobileDataInfoTest, MissingBrokenOrWronglyTypedFilesReadAsNothingKnown) {
    expectNothingKnown(MobileDataInfo::loadFromFile());  // missing

    { std::ofstream(file()) << "<plist><dict><key>support2G</key>"; }  // truncated
    expectNothingKnown(MobileDataInfo::loadFromFile());

    plist::writeFile(file(), plist::Value(plist::Array{plist::Value(true)}));  // not a dictionary
    expectNothingKnown(MobileDataInfo::loadFromFile());

    // Missing keys give NO and 0; the others are read with the usual conversions.
    plist::writeFile(file(), plist::Value(plist::Dictionary{{std::string(mobiledata::kSupport3G), plist::Value(1)},
                                                            {std::string(mobiledata::kDeviceKind), plist::Value("2")}}));
    const MobileDataInfo partial = MobileDataInfo::loadFromFile();
    EXPECT_FALSE(partial.support2G());
    EXPECT_TRUE(partial.support3G());
    EXPECT_FALSE(partial.support4G());
    EXPECT_EQ(partial.deviceKind(), 2);
}

}  // namespace
}  // namespace corvane
