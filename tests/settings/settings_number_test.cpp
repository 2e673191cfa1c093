#include "settings/settings_number.h"

#include <gtest/gtest.h>

namespace miwake {
namespace {

TEST(ParseSettingsNumberTest, ParsesDecimalAndHexadecimalBitPatternsAndRefusesAnythingElse) {
  const std::pair<const char*, std::int32_t> numbers[] = {{"10", 10},
                                                          {"  -25", -25},
                                                          {"+7", 7},
                                                          {"007", 7},
                                                          {"2147483647", 2147483647},
                                                          {"-2147483648", INT32_MIN},
                                                          {"$1A", 26},
                                                          {"$ff", 255},
                                                          {"0x10", 16},
                                                          {"0X7f", 127},
                                                          {"$FFFFFFFF", -1},
                                                          {"$80000000", INT32_MIN},
                                                          {"$0000000000FF", 255},
                                                          {"  $20", 32}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(ParseSettingsNumber(text), value) << text;
  // " 0x10": the 0x prefix counts only at the very start.
  for (const char* text :
       {"2147483648", "-2147483649", "99999999999999999999", "$100000000", "0x", "0xg", "$",
        " 0x10", "-$10", "-0x10", "", "   ", "10px", "10 ", "\t10", "+", "- 1", "1.5", "１０"}) {
    EXPECT_EQ(ParseSettingsNumber(text), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace miwake
