// The phone's clock and system that phonesim leaves under the root, as the
// app reads them back.

#include <gtest/gtest.h>

#include "shared/PhoneInfo.h"
#include "sim/PhoneInfoFile.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

TEST(PhoneInfoFileTest, LeavesThePhonesClockAndDarwinSystemForTheApp) {
    TemporaryRoot root;
    EXPECT_FALSE(PhoneInfo::read().has_value());  // no phone yet: the app uses this machine's

    sim::Scenario::Device device;
    device.machine = "iPhone6,1";
    device.systemVersion = "8.1";
    sim::PhoneInfoFile::write(device, 1'800'086'400.0, 0.0);
    const std::optional<PhoneInfo> phone = PhoneInfo::read();
    ASSERT_TRUE(phone.has_value());
    EXPECT_DOUBLE_EQ(phone->phoneTimeAt(1e9), 1'800'086'400.0);  // stopped with its run
    EXPECT_EQ(phone->sysname + "|" + phone->nodename + "|" + phone->release, "Darwin|iPhone|14.0.0");
    EXPECT_NE(phone->version.find("Darwin Kernel Version 14.0.0"), std::string::npos);

    // A live phone's clock runs at its speed from the moment it was written.
    sim::PhoneInfoFile::write(device, 1'800'000'000.0, 100.0);
    const std::optional<PhoneInfo> live = PhoneInfo::read();
    ASSERT_TRUE(live.has_value());
    EXPECT_DOUBLE_EQ(live->phoneTimeAt(live->hostTime + 3.0), 1'800'000'300.0);

    EXPECT_EQ(sim::PhoneInfoFile::kernelRelease("6.1.3"), "13.0.0");
    EXPECT_EQ(sim::PhoneInfoFile::kernelRelease("7.1"), "14.0.0");
    EXPECT_EQ(sim::PhoneInfoFile::kernelRelease("10.3"), "16.0.0");
}

}  // namespace
}  // namespace corvane::testing
