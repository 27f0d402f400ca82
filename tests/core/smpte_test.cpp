// SMPTE time code at well-known points: labels, rates, seconds and the
// expression parser's errors. kadenzo-verify checks the labels of billions
// of counts against the counting rule; these are the points people quote.
#include "core/smpte.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/smpte_expression.h"
#include "core/smpte_text.h"

namespace kadenzo::smpte {
namespace {

constexpr Rate k23976{24000, 1001}, k2997{30000, 1001}, k5994{60000, 1001};
constexpr Counting kNdf = Counting::NonDrop, kDf = Counting::DropFrame;

static_assert(Timebase(k23976) == 24 && Timebase(k2997) == 30 && Timebase(Rate{25, 2}) == 13);
static_assert(FramesPerDay(k2997, kDf) == 2589408 && FramesPerDay(Rate{25, 1}, kNdf) == 2160000);

// A count, its label at a rate, and back: formatted, and read by the
// expression parser with unmarked time codes counted the same way.
struct LabelCase {
  Rate rate;
  Counting counting;
  std::int64_t frames;
  const char* label;
};

const LabelCase kLabelCases[] = {
    {k2997, kDf, 0, "00:00:00;00"},
    {k2997, kDf, 1799, "00:00:59;29"},
    {k2997, kDf, 1800, "00:01:00;02"},
    {k2997, kDf, 17982, "00:10:00;00"},
    {k2997, kDf, 19782, "00:11:00;02"},
    {k2997, kDf, 107892, "01:00:00;00"},
    {k2997, kDf, 2589407, "23:59:59;29"},
    {k2997, kDf, 2589408, "24:00:00;00"},  // no wrap unless asked
    {k2997, kDf, -1800, "-00:01:00;02"},
    {k2997, kNdf, 1800, "00:01:00:00"},
    {k5994, kDf, 3600, "00:01:00;04"},
    {k5994, kDf, 35964, "00:10:00;00"},
    {Rate{240000, 1001}, kDf, 14400, "00:01:00;16"},
    {k23976, kNdf, 1440, "00:01:00:00"},
    {k23976, kNdf, 86400, "01:00:00:00"},
    {Rate{120, 1}, kNdf, 10367999, "23:59:59:119"},
    {Rate{120, 1}, kNdf, 7, "00:00:00:07"},
    {Rate{30, 1}, kNdf, 123 * 108000, "123:00:00:00"},
    {Rate{25, 1}, kNdf, -25, "-00:00:01:00"},
    {Rate{25, 2}, kNdf, 13, "00:00:01:00"},
    {Rate{1, 1}, kNdf, 3599, "00:59:59:00"},
    // The ends of the range.
    {k2997, kDf, kMaxFrames, "9268527787:02:46;19"},
    {k2997, kDf, -kMaxFrames, "-9268527787:02:46;19"},
    {Rate{1, 1}, kNdf, kMaxFrames, "277777777777:46:39:00"},
};

TEST(SmpteLabelTest, WellKnownCountsHaveTheirLabelsAndBack) {
  for (const LabelCase& c : kLabelCases) {
    SCOPED_TRACE(testing::Message() << c.frames << " at " << RateName(c.rate) << (c.counting == kDf ? " DF" : " NDF"));
    const Label label = FramesToLabel(c.frames, c.rate, c.counting);
    EXPECT_EQ(FormatLabel(label, c.counting), c.label);
    EXPECT_EQ(LabelToFrames(label, c.rate, c.counting), c.frames);
    const ExpressionResult read = EvaluateExpression(c.label, ReadOptions{c.rate, c.counting});
    ASSERT_TRUE(read.value) << read.error.message;
    EXPECT_EQ(read.value->frames, c.frames);
    EXPECT_EQ(read.value->notation, c.counting);
  }
}

TEST(SmpteLabelTest, DropFrameIsOnlyAt30kThousandths) {
  for (std::int64_t k = 1; k <= 40; ++k) {
    const Rate rate = *MakeRate(30000 * k, 1001);
    EXPECT_EQ(CanDropFrame(rate), k <= 16) << RateName(rate);
    if (k <= 16) {
      EXPECT_EQ(DroppedPerMinute(rate), 2 * k) << RateName(rate);
    }
  }
  for (const Rate rate : {k23976, Rate{30, 1}, Rate{60, 1}, Rate{2997, 100}, Rate{30000, 1}, Rate{60000, 1}})
    EXPECT_FALSE(CanDropFrame(rate)) << RateName(rate);
  // Skipped labels, and the one that follows.
  EXPECT_TRUE(smpte::IsSkipped({false, 0, 1, 0, 1}, k2997));
  EXPECT_FALSE(smpte::IsSkipped({false, 0, 10, 0, 0}, k2997));
  EXPECT_FALSE(LabelToFrames({false, 0, 1, 0, 0}, k2997, kDf));
  EXPECT_EQ(NextCountedLabel({false, 0, 1, 0, 3}, k5994), (Label{false, 0, 1, 0, 4}));
}

TEST(SmpteLabelTest, WrapsToTheDayBothWays) {
  EXPECT_EQ(WrapToDay(-1, k2997, kDf), 2589407);
  EXPECT_EQ(WrapToDay(2589408, k2997, kDf), 0);
  EXPECT_EQ(WrapToDay(2 * 2160000 + 5, Rate{25, 1}, kNdf), 5);
  EXPECT_EQ(WrapToDay(-2160000, Rate{25, 1}, kNdf), 0);
}

struct SecondsCase {
  std::int64_t frames;
  Rate rate;
  const char* seconds;
};

const SecondsCase kSecondsCases[] = {
    {1800, k2997, "60.060000"},
    {1, k2997, "0.033367"},
    {-1, Rate{30, 1}, "-0.033333"},
    {2, Rate{3, 1}, "0.666667"},
    {1, Rate{2, 1}, "0.500000"},
    {0, k23976, "0.000000"},
    {1, Rate{1000000, 1}, "0.000001"},
    {kMaxFrames, Rate{1, 1}, "999999999999999.000000"},
    {-kMaxFrames, Rate{1, 2}, "-1999999999999998.000000"},
};

TEST(SmpteTextTest, SecondsAreRoundedToTheMicrosecond) {
  for (const SecondsCase& c : kSecondsCases) {
    char text[kMaxTextSize];
    EXPECT_EQ(std::string(text, FormatSeconds(FramesToSeconds(c.frames, c.rate), text)), c.seconds)
        << c.frames << " at " << RateName(c.rate);
  }
}

struct RateCase {
  const char* text;
  std::optional<Rate> rate;
  const char* name;  // RateName of it
};

const RateCase kRateCases[] = {
    {"23.976", k23976, "23.976"},
    {"23.98", k23976, "23.976"},
    {"29.97", k2997, "29.97"},
    {"29.970030", k2997, "29.97"},
    {"29.97002997", std::nullopt, ""},  // more than six decimals
    {"59.94", k5994, "59.94"},
    {"30000/1001", k2997, "29.97"},
    {"60000/2002", k2997, "29.97"},
    {"239.76", Rate{240000, 1001}, "239.76"},
    {"209.79", Rate{30000, 143}, "209.79"},
    {"12.5", Rate{25, 2}, "12.5"},
    {"29.970", k2997, "29.97"},
    {"29.96", Rate{749, 25}, "29.96"},
    {"30.0", Rate{30, 1}, "30"},
    {"25", Rate{25, 1}, "25"},
    {"0.5", Rate{1, 2}, "0.5"},
    {"2/3", Rate{2, 3}, "2/3"},
    {"1/3", std::nullopt, ""},  // below half a frame a second
    {"0", std::nullopt, ""},
    {"0.4", std::nullopt, ""},
    {"abc", std::nullopt, ""},
    {"1/0", std::nullopt, ""},
    {"", std::nullopt, ""},
    {"-25", std::nullopt, ""},
    {"25fps", std::nullopt, ""},
    {"1e3", std::nullopt, ""},
    {"2.5.0", std::nullopt, ""},
    {"10000000", std::nullopt, ""},
};

TEST(SmpteTextTest, RatesAreReadAndNamedAsPeopleWriteThem) {
  for (const RateCase& c : kRateCases) {
    SCOPED_TRACE(c.text);
    const std::optional<Rate> rate = ParseRate(c.text);
    ASSERT_EQ(rate.has_value(), c.rate.has_value());
    if (!rate) continue;
    EXPECT_EQ(*rate, *c.rate);
    EXPECT_EQ(RateName(*rate), c.name);
  }
}

struct ExpressionCase {
  Rate rate;
  const char* text;
  std::int64_t frames;  // when there is no error
  std::size_t column;   // of the error, 0 for none
  const char* message;
};

const ExpressionCase kExpressionCases[] = {
    {Rate{30, 1}, "10:00", 300, 0, ""},
    {Rate{30, 1}, "1:02:03:04", 111694, 0, ""},
    {Rate{30, 1}, "12.5s", 375, 0, ""},
    {k2997, "1.2.3", 1861, 0, ""},
    {Rate{30, 1}, "(1 + 2) * 3 - -4", 13, 0, ""},
    {Rate{30, 1}, "-5 / 2", -3, 0, ""},
    {Rate{30, 1}, "5 / -2", -3, 0, ""},
    {k2997, "00:01:00;00", 0, 1,
     "00:01:00;00 does not exist in drop-frame time code at 29.97 fps; the next label is 00:01:00;02"},
    {k5994, "1 + 00:21:00;01", 0, 5,
     "00:21:00;01 does not exist in drop-frame time code at 59.94 fps; the next label is 00:21:00;04"},
    {k2997, "00:00:00:30", 0, 10, "frame 30 does not exist at 29.97 fps: frames run from 00 to 29"},
    {Rate{120, 1}, "1:00:00:120", 0, 9, "frame 120 does not exist at 120 fps: frames run from 000 to 119"},
    {Rate{30, 1}, "00:00:60:00", 0, 7, "seconds run from 00 to 59, not 60"},
    {Rate{30, 1}, "60:00", 0, 1, "seconds run from 00 to 59, not 60"},
    {Rate{30, 1}, "1:60:00:00", 0, 3, "minutes run from 00 to 59, not 60"},
    {Rate{25, 1}, "00:00:01;00", 0, 1,
     "drop-frame time code needs a rate of 30000/1001 or a multiple of it (29.97, 59.94, 119.88 ...), not 25"},
    {Rate{30, 1}, "1:2:3:4:5", 0, 1, "a time code has at most four parts: hours, minutes, seconds and frames"},
    {Rate{30, 1}, "100 / 0", 0, 5, "division by zero"},
    {Rate{30, 1}, "2 * 1.5", 0, 5, "can only multiply by a whole number"},
    {Rate{30, 1}, "1 + x", 0, 5, "expected a frame count, a time code or seconds, not 'x'"},
    {Rate{30, 1}, "1 \x80", 0, 3, "expected an operator (+, -, * or /), not byte 0x80"},
    {Rate{30, 1}, "1 +", 0, 4, "expected a frame count, a time code or seconds"},
    {Rate{30, 1}, "", 0, 1, "expected a frame count, a time code or seconds"},
    {Rate{30, 1}, "(1 + 2", 0, 1, "expected ')' to close the '(' at column 1"},
    {Rate{30, 1}, "1800 17982", 0, 6, "expected an operator (+, -, * or /), not '1'"},
    {Rate{30, 1}, "1000000000000000", 0, 1, "out of range: a frame count is at most 999999999999999 either way"},
    {Rate{30, 1}, "999999999999999 + 1", 0, 17, "out of range: a frame count is at most 999999999999999 either way"},
};

TEST(SmpteExpressionTest, ValuesAndErrorsWithTheirColumns) {
  for (const ExpressionCase& c : kExpressionCases) {
    SCOPED_TRACE(testing::Message() << c.text << " at " << RateName(c.rate));
    const ExpressionResult result = EvaluateExpression(c.text, ReadOptions{c.rate, kNdf});
    if (c.column == 0) {
      ASSERT_TRUE(result.value) << result.error.message;
      EXPECT_EQ(result.value->frames, c.frames);
    } else {
      ASSERT_FALSE(result.value);
      EXPECT_EQ(result.error.column, c.column);
      EXPECT_EQ(result.error.message, c.message);
    }
  }
}

TEST(SmpteExpressionTest, NextExpressionSplitsAtAValueAfterACompleteOne) {
  const std::string text = "1800 00:10:00;00 - 2 (3)";
  std::size_t position = 0;
  std::vector<std::int64_t> values;
  while (position < text.size()) {
    const ExpressionResult result = EvaluateNextExpression(text, position, ReadOptions{k2997, kNdf});
    ASSERT_TRUE(result.value) << result.error.message;
    values.push_back(result.value->frames);
  }
  EXPECT_EQ(values, (std::vector<std::int64_t>{1800, 17980, 3}));
}

}  // namespace
}  // namespace kadenzo::smpte
