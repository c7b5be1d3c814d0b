// Signal strength as bars, and ModemManager's modes as data rates.
#include <gtest/gtest.h>

#include "device/RadioMapping.h"

namespace corvane::device {
namespace {

using platform::DataRate;

TEST(RadioMapping, StrengthInPercentBecomesZeroToThreeBars) {
    EXPECT_EQ(barsForStrength(0), 0);
    EXPECT_EQ(barsForStrength(9), 0);
    EXPECT_EQ(barsForStrength(10), 1);
    EXPECT_EQ(barsForStrength(39), 1);
    EXPECT_EQ(barsForStrength(40), 2);
    EXPECT_EQ(barsForStrength(69), 2);
    EXPECT_EQ(barsForStrength(70), 3);
    EXPECT_EQ(barsForStrength(100), 3);
}

TEST(RadioMapping, EachRateLimitsTheModemToTheWidestCombinationUpToIt) {
    const std::vector<ModemModes> supported = {
        {kMode2G, 0}, {kMode2G | kMode3G, 0},           {kMode2G | kMode3G, kMode3G},
        {kMode3G, 0}, {kMode2G | kMode3G | kMode4G, 0}, {kMode2G | kMode3G | kMode4G, kMode4G},
        {kMode4G, 0},
    };
    EXPECT_EQ(modesForRate(supported, DataRate::Rate4G), (ModemModes{kMode2G | kMode3G | kMode4G, kMode4G}));
    EXPECT_EQ(modesForRate(supported, DataRate::Rate3G), (ModemModes{kMode2G | kMode3G, kMode3G}));
    EXPECT_EQ(modesForRate(supported, DataRate::Rate2G), (ModemModes{kMode2G, 0}));
    EXPECT_EQ(supportedRates(supported), (std::vector<DataRate>{DataRate::Rate2G, DataRate::Rate3G, DataRate::Rate4G}));
}

TEST(RadioMapping, AModemWithoutTheRateGetsTheNearestSlowerOneOrNone) {
    const std::vector<ModemModes> no4G = {{kMode2G | kMode3G, kMode3G}, {kMode2G, 0}};
    EXPECT_EQ(modesForRate(no4G, DataRate::Rate4G), (ModemModes{kMode2G | kMode3G, kMode3G}));
    EXPECT_EQ(supportedRates(no4G), (std::vector<DataRate>{DataRate::Rate2G, DataRate::Rate3G}));
    const std::vector<ModemModes> only4G = {{kMode4G, 0}};
    EXPECT_FALSE(modesForRate(only4G, DataRate::Rate3G).has_value());
    EXPECT_FALSE(modesForRate({}, DataRate::Rate4G).has_value());
    EXPECT_EQ(fastestRate(kMode2G | kMode3G), DataRate::Rate3G);
    EXPECT_FALSE(fastestRate(0).has_value());
}

TEST(RadioMapping, RateNamesReadBack) {
    for (DataRate rate : {DataRate::Rate2G, DataRate::Rate3G, DataRate::Rate4G}) {
        EXPECT_EQ(rateNamed(rateName(rate)), rate);
    }
    EXPECT_EQ(rateName(DataRate::Rate3G), "3G");
    EXPECT_FALSE(rateNamed("5G").has_value());
}

}  // namespace
}  // namespace corvane::device
