#include "settings/settings_number.h"

#include <gtest/gtest.h>

namespace miwake {
namespace {

struct NumberCase {
  const char* text;
  std::optional<std::int32_t> expected;
};

class ParseSettingsNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParseSettingsNumberTest, ParsesOrRefuses) {
  EXPECT_EQ(ParseSettingsNumber(GetParam().text), GetParam().expected) << GetParam().text;
}

constexpr std::optional<std::int32_t> kNone;

INSTANTIATE_TEST_SUITE_P(
    Decimal, ParseSettingsNumberTest,
    ::testing::Values(NumberCase{"10", 10}, NumberCase{"  -25", -25}, NumberCase{"+7", 7},
                      NumberCase{"007", 7}, NumberCase{"2147483647", 2147483647},
                      NumberCase{"-2147483648", INT32_MIN}, NumberCase{"2147483648", kNone},
                      NumberCase{"-2147483649", kNone}, NumberCase{"99999999999999999999", kNone}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ParseSettingsNumberTest,
    ::testing::Values(NumberCase{"$1A", 26}, NumberCase{"$ff", 255}, NumberCase{"0x10", 16},
                      NumberCase{"0X7f", 127}, NumberCase{"$FFFFFFFF", -1},
                      NumberCase{"$80000000", INT32_MIN}, NumberCase{"$0000000000FF", 255},
                      NumberCase{"$100000000", kNone}, NumberCase{"  $20", 32},
                      NumberCase{"0x", kNone}, NumberCase{"0xg", kNone}, NumberCase{"$", kNone},
                      // The prefix counts only at the very start.
                      NumberCase{" 0x10", kNone}, NumberCase{"-$10", kNone},
                      NumberCase{"-0x10", kNone}));

INSTANTIATE_TEST_SUITE_P(NotANumber, ParseSettingsNumberTest,
                         ::testing::Values(NumberCase{"", kNone}, NumberCase{"   ", kNone},
                                           NumberCase{"10px", kNone}, NumberCase{"10 ", kNone},
                                           NumberCase{"\t10", kNone}, NumberCase{"+", kNone},
                                           NumberCase{"- 1", kNone}, NumberCase{"1.5", kNone},
                                           NumberCase{"１０", kNone}));

TEST(FormatSettingsNumberTest, WritesDecimalWithMinusOnlyWhenNegative) {
  EXPECT_EQ(FormatSettingsNumber(10), "10");
  EXPECT_EQ(FormatSettingsNumber(-32000), "-32000");
  EXPECT_EQ(FormatSettingsNumber(INT32_MIN), "-2147483648");
}

}  // namespace
}  // namespace miwake
