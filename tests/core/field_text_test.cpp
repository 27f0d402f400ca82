#include "core/field_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kadenzo {
namespace {

struct CountTextCase {
  std::string text;
  bool hasDigits;
  bool negative;
  std::uint32_t magnitude;
};

class ReadCountTextTest : public testing::TestWithParam<CountTextCase> {};

TEST_P(ReadCountTextTest, ReadsLikeAnUnsignedConversionWithoutWrapping) {
  const CountText read = ReadCountText(GetParam().text);
  EXPECT_EQ(read.hasDigits, GetParam().hasDigits);
  EXPECT_EQ(read.negative, GetParam().negative);
  if (read.hasDigits) {
    EXPECT_EQ(read.magnitude, GetParam().magnitude);
  }
}

constexpr std::uint32_t kAboveLimit = kMaxTypedCount + 1;

INSTANTIATE_TEST_SUITE_P(Texts, ReadCountTextTest,
                         testing::Values(CountTextCase{"", false, false, 0}, CountTextCase{"abc", false, false, 0},
                                         CountTextCase{"+", false, false, 0}, CountTextCase{"-", false, false, 0},
                                         CountTextCase{"- 5", false, false, 0}, CountTextCase{"0", true, false, 0},
                                         CountTextCase{"1800", true, false, 1800},
                                         CountTextCase{"+12abc", true, false, 12},
                                         CountTextCase{" \t\n\v\f\r42", true, false, 42},
                                         CountTextCase{"007", true, false, 7}, CountTextCase{"12 34", true, false, 12},
                                         CountTextCase{"-5", true, true, 5}, CountTextCase{"-0", true, false, 0},
                                         CountTextCase{"-000", true, false, 0},
                                         CountTextCase{"4294900000", true, false, 4294900000},
                                         // Everything above the limit saturates instead of wrapping modulo 2^32.
                                         CountTextCase{"4294900001", true, false, kAboveLimit},
                                         CountTextCase{"4294967296", true, false, kAboveLimit},
                                         CountTextCase{"5000000000", true, false, kAboveLimit},
                                         CountTextCase{std::string(127, '9'), true, false, kAboveLimit},
                                         CountTextCase{"-" + std::string(40, '9'), true, true, kAboveLimit}));

TEST(FormatTest, WritesPlainDecimal) {
  EXPECT_EQ(FormatUnsigned(0), "0");
  EXPECT_EQ(FormatUnsigned(4294967295), "4294967295");
  EXPECT_EQ(FormatUnsigned(18446744073709551615ull), "18446744073709551615");
  EXPECT_EQ(FormatNegative(150), "-150");
}

}  // namespace
}  // namespace kadenzo
