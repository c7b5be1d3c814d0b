// Values, dictionaries and the number conversions that settings reading relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "shared/PropertyList.h"
#include "tests/shared/PropertyListPrinting.h"

namespace corvane::plist {
namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();

TEST(DictionaryTest, SetReplacesInPlaceAppendsInOrderAndEqualityIgnoresOrderButNotKinds) {
    Dictionary d{{"b", 1}, {"a", 2}, {"c", 3}};
    d.set("a", Value("two"));
    d.set("d", 4);
    std::vector<std::string> keys;
    for (const auto& [key, value] : d) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"b", "a", "c", "d"}));
    EXPECT_EQ(*d.find("a"), Value("two"));
    EXPECT_TRUE(d.erase("a"));
    EXPECT_FALSE(d.erase("a"));
    EXPECT_EQ(d, (Dictionary{{"d", 4}, {"c", 3}, {"b", 1}}));
    EXPECT_NE(d, (Dictionary{{"d", 4}, {"c", 3}, {"z", 1}}));
    // An integer, a real and a boolean of the same number are different values.
    EXPECT_NE(Value(1), Value(1.0));
    EXPECT_NE(Value(1), Value(true));
}

TEST(ValueConversionTest, NumbersConvertAsNumbers) {
    EXPECT_EQ(Value(true).integerValue(), 1);
    EXPECT_TRUE(Value(-7).boolValue());
    EXPECT_EQ(Value(-2.9).integerValue(), -2);
    EXPECT_TRUE(Value(0.1).boolValue());

    // Reals beyond the integer range clamp; NaN gives 0: no undefined conversion.
    EXPECT_EQ(Value(1e300).integerValue(), kInt64Max);
    EXPECT_EQ(Value(-1e300).integerValue(), kInt64Min);
    EXPECT_EQ(Value(std::numeric_limits<double>::infinity()).integerValue(), kInt64Max);
    EXPECT_EQ(Value(std::nan("")).integerValue(), 0);

    // intValue keeps to the 32-bit range.
    EXPECT_EQ(Value(5000000000LL).intValue(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Value(-5000000000LL).intValue(), std::numeric_limits<std::int32_t>::min());

    // Containers, dates and data are not numbers.
    for (const Value& v : {Value(Array{1}), Value(Dictionary{{"a", 1}}), Value(Date{100}), Value(Data{1})}) {
        EXPECT_EQ(v.integerValue(), 0);
        EXPECT_FALSE(v.boolValue());
        EXPECT_EQ(v.doubleValue(), 0.0);
    }
}

TEST(ValueConversionTest, StringsConvertByTheirLeadingNumber) {
    EXPECT_EQ(Value("12abc").integerValue(), 12);
    EXPECT_EQ(Value(" -3").integerValue(), -3);
    EXPECT_EQ(Value("\t\n+8").intValue(), 8);
    EXPECT_EQ(Value("abc").integerValue(), 0);
    EXPECT_EQ(Value("- 3").integerValue(), 0);
    EXPECT_EQ(Value("1.5e2").integerValue(), 1);
    EXPECT_DOUBLE_EQ(Value("1.5e2").doubleValue(), 150.0);
    EXPECT_DOUBLE_EQ(Value("  -.25xyz").doubleValue(), -0.25);
    EXPECT_DOUBLE_EQ(Value("3e").doubleValue(), 3.0);  // an exponent without digits is not part of the number
    EXPECT_EQ(Value("inf").doubleValue(), 0.0);        // only decimal text counts
    EXPECT_EQ(Value("0x10").integerValue(), 0);

    // Out of range: integers clamp, reals become infinite or zero.
    EXPECT_EQ(Value("9223372036854775808").integerValue(), kInt64Max);
    EXPECT_EQ(Value("-99999999999999999999999").integerValue(), kInt64Min);
    EXPECT_EQ(Value("99999999999").intValue(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Value("-1e999").doubleValue(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(Value("0.0000e99999999999").doubleValue(), 0.0);
}

TEST(ValueConversionTest, StringBooleansFollowTheFirstSignificantCharacter) {
    for (const char* yes : {"YES", "yes", "true", "True", "1", "  7", "-1", "+0002", "00009abc", "y", "t"}) {
        EXPECT_TRUE(Value(yes).boolValue()) << yes;
    }
    for (const char* no : {"NO", "no", "false", "0", "", "   ", "0.5", "-0", "abc", "on", "000"}) {
        EXPECT_FALSE(Value(no).boolValue()) << no;
    }
}

TEST(ValueTextTest, TextOfEachKind) {
    EXPECT_EQ(Value(static_cast<long long>(kInt64Min)).text(), "-9223372036854775808");
    EXPECT_EQ(Value(true).text(), "1");
    EXPECT_EQ(Value(150.0).text(), "150");
    // The shortest text reads back as the very same double.
    for (double d : {0.1 + 0.2, 1.0 / 3.0, 1e-300, 123456789.123456789, 5e22}) {
        const std::optional<std::string> text = Value(d).text();
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(std::stod(*text), d) << *text;
        EXPECT_LE(text->size(), 24u);
    }
    for (const Value& v : {Value(Date{1}), Value(Data{}), Value(Array{}), Value(Dictionary{})}) {
        EXPECT_FALSE(v.text().has_value());
    }
}

}  // namespace
}  // namespace corvane::plist
