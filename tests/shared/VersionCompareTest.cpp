#include "shared/VersionCompare.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(VersionCompareTest, ComparesNumberRunsByValue) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    for (const Case& c :
         {Case{"7.1", "8.0", -1}, Case{"8.0", "8.0", 0}, Case{"10.3", "8.0", 1}, Case{"5.0", "5.0.1", -1},
          Case{"5.0.1", "5.0", 1}, Case{"5.1", "5.0", 1}, Case{"08.0", "8.0", 0},
          Case{"99999999999999999999.1", "99999999999999999998.9", 1}, Case{"", "1", -1}, Case{"8.0b", "8.0a", 1}}) {
        const int order = compareVersions(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.expected) << c.a << " vs " << c.b;
        const int reverse = compareVersions(c.b, c.a);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.expected) << c.b << " vs " << c.a;
    }
}

}  // namespace
}  // namespace corvane
