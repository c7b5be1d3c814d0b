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

std::string key(std::string_view name) { return std::string(name); }

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

TEST_F(MobileDataInfoTest, MissingBrokenOrWronglyTypedFilesReadAsNothingKnown) {
    expectNothingKnown(MobileDataInfo::loadFromFile());  // missing

    { std::ofstream(file()) << "<plist><dict><key>support2G</key>"; }  // truncated
    expectNothingKnown(MobileDataInfo::loadFromFile());

    // Missing keys give NO and 0; the others are read with the usual conversions.
    plist::writeFile(
        file(), plist::Value(plist::Dictionary{{key(mobiledata::kSupport3G), 1}, {key(mobiledata::kDeviceKind), "2"}}));
    const MobileDataInfo partial = MobileDataInfo::loadFromFile();
    EXPECT_TRUE(partial.support3G() && !partial.support2G() && !partial.support4G());
    EXPECT_EQ(partial.deviceKind(), 2);
}

}  // namespace
}  // namespace corvane
