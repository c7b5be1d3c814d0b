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
    // CDMA, 2G, 3G and 4G as digits, then the kind.
    static std::string known(const MobileDataInfo& record) {
        return std::to_string(record.isCDMA()) + std::to_string(record.support2G()) +
               std::to_string(record.support3G()) + std::to_string(record.support4G()) + "," +
               std::to_string(record.deviceKind());
    }

    testing::TemporaryRoot root_;
};

TEST_F(MobileDataInfoTest, MissingBrokenOrWronglyTypedFilesReadAsNothingKnown) {
    EXPECT_EQ(known(MobileDataInfo::loadFromFile()), "0000,0");  // missing
    EXPECT_FALSE(MobileDataInfo::loadFromFile().readFromFile());
    { std::ofstream(file()) << "<plist><dict><key>support2G</key>"; }  // truncated
    EXPECT_EQ(known(MobileDataInfo::loadFromFile()), "0000,0");

    // Missing keys give NO and 0; the others are read with the usual conversions.
    plist::writeFile(
        file(), plist::Value(plist::Dictionary{{key(mobiledata::kSupport3G), 1}, {key(mobiledata::kDeviceKind), "2"}}));
    EXPECT_EQ(known(MobileDataInfo::loadFromFile()), "0010,2");
}

}  // namespace
}  // namespace corvane
