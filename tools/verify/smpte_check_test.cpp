#include "tools/verify/smpte_check.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kadenzo::smpte {

void PrintTo(const Label& label, std::ostream* out) {
  *out << (label.negative ? "-" : "") << label.hours << ":" << label.minutes << ":" << label.seconds << ":"
       << label.frames;
}

}  // namespace kadenzo::smpte

namespace kadenzo::verify {
namespace {

using smpte::Rate;

constexpr TimecodeSetting kDf2997 = DropFrameSetting(1);

// The reference gives the published labels by itself.
struct ReferenceCase {
  TimecodeSetting setting;
  std::int64_t count;
  Label label;
};

const ReferenceCase kReferenceCases[] = {
    {kDf2997, 1799, {false, 0, 0, 59, 29}},
    {kDf2997, 1800, {false, 0, 1, 0, 2}},
    {kDf2997, 17981, {false, 0, 9, 59, 29}},
    {kDf2997, 17982, {false, 0, 10, 0, 0}},
    {kDf2997, 19782, {false, 0, 11, 0, 2}},
    {kDf2997, 107892, {false, 1, 0, 0, 0}},
    {kDf2997, -1800, {true, 0, 1, 0, 2}},
    {kDf2997, 2589408, {false, 24, 0, 0, 0}},
    {DropFrameSetting(2), 3600, {false, 0, 1, 0, 4}},
    {DropFrameSetting(8), 14400, {false, 0, 1, 0, 16}},
    {NonDropSetting(24), 1440, {false, 0, 1, 0, 0}},
    {NonDropSetting(120), 10367999, {false, 23, 59, 59, 119}},
    {NonDropSetting(1), 3599, {false, 0, 59, 59, 0}},
    {NonDropSetting(30), -1, {true, 0, 0, 0, 1}},
};

TEST(SmpteCheckTest, TheReferenceGivesThePublishedLabels) {
  for (const ReferenceCase& c : kReferenceCases) {
    SCOPED_TRACE(testing::Message() << c.setting.rate.num << "/" << c.setting.rate.den << " count " << c.count);
    EXPECT_EQ(ReferenceLabel(c.count, c.setting.timebase, c.setting.dropped), c.label);
  }
  EXPECT_EQ(kDf2997.rate, (Rate{30000, 1001}));
  EXPECT_EQ(DropFrameSetting(7).rate, (Rate{30000, 143}));
}

TEST(SmpteCheckTest, LabelsCompareAsSignedTimes) {
  const Label minusTwo{true, 0, 0, 0, 2}, minusOne{true, 0, 0, 0, 1}, zero{}, one{false, 0, 0, 0, 1},
      aMinute{false, 0, 1, 0, 0}, anHourAgo{true, 1, 0, 0, 0};
  EXPECT_TRUE(LabelBefore(minusTwo, minusOne));
  EXPECT_TRUE(LabelBefore(minusOne, zero));
  EXPECT_TRUE(LabelBefore(zero, one));
  EXPECT_TRUE(LabelBefore(one, aMinute));
  EXPECT_TRUE(LabelBefore(anHourAgo, minusTwo));
  EXPECT_FALSE(LabelBefore(one, one));
  EXPECT_FALSE(LabelBefore(minusOne, minusTwo));
  EXPECT_FALSE(LabelBefore(aMinute, one));
}

// Mistakes a drop-frame conversion could plausibly make.

// Every minute after the first drops, the tenth ones too: right up to
// 00:09:59;29, two frames ahead from count 17982 on.
struct TenthMinutesDrop : CoreLabels {
  static Label FramesToLabel(std::int64_t frames, Rate rate, Counting counting) {
    if (counting == Counting::NonDrop || frames < 0) return CoreLabels::FramesToLabel(frames, rate, counting);
    const std::int64_t timebase = smpte::Timebase(rate);
    const std::int64_t dropped = smpte::DroppedPerMinute(rate);
    const std::int64_t dropping = frames < 60 * timebase ? 0 : (frames - 60 * timebase) / (60 * timebase - dropped) + 1;
    return CoreLabels::FramesToLabel(frames + dropped * dropping, rate, Counting::NonDrop);
  }
};

// A minute's first frame shown as the number skipped before it.
struct ShowsSkippedLabels : CoreLabels {
  static Label FramesToLabel(std::int64_t frames, Rate rate, Counting counting) {
    Label label = CoreLabels::FramesToLabel(frames, rate, counting);
    if (counting == Counting::DropFrame && label.seconds == 0 && label.frames == smpte::DroppedPerMinute(rate) &&
        label.minutes % 10 != 0)
      label.frames = 0;
    return label;
  }
};

// The sign lost: a negative count labelled as its magnitude.
struct NoSign : CoreLabels {
  static Label FramesToLabel(std::int64_t frames, Rate rate, Counting counting) {
    Label label = CoreLabels::FramesToLabel(frames, rate, counting);
    label.negative = false;
    return label;
  }
};

// One label read back a frame late, deep inside a run.
constexpr std::int64_t kGlitchCount = 123'459;  // a multiple of 7
struct OneLateReading : CoreLabels {
  static std::optional<std::int64_t> LabelToFrames(const Label& label, Rate rate, Counting counting) {
    const auto frames = CoreLabels::LabelToFrames(label, rate, counting);
    return frames == kGlitchCount ? kGlitchCount + 1 : frames;
  }
};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b < 0 ? 1 : 0);
}

std::uint64_t MultiplesIn(std::int64_t first, std::int64_t end, std::int64_t stride) {
  return static_cast<std::uint64_t>(FloorDiv(end - 1, stride) - FloorDiv(first - 1, stride));
}

struct BrokenCase {
  const char* conversions;
  TimecodeChecker atRunTime;
  TimecodeChecker built;  // the same, with the rate a constant
  std::int64_t first, end;
  std::uint64_t mismatches;
  std::int64_t lowest;  // the lowest wrong count, when there is one
  unsigned failures;    // what is wrong with it
};

template <class Conversions>
BrokenCase Case(const char* name, std::int64_t first, std::int64_t end, std::uint64_t mismatches, std::int64_t lowest,
                unsigned failures) {
  return {name,
          &CheckLabels<Conversions, SettingAtRunTime>,
          &CheckLabels<Conversions, DropFrameAt<1>>,
          first,
          end,
          mismatches,
          lowest,
          failures};
}

TEST(SmpteCheckTest, FindsEachBrokenConversionAtItsFirstWrongCount) {
  const BrokenCase cases[] = {
      Case<CoreLabels>("core", -40'000, 40'000, 0, 0, 0),
      // From 00:10:00;02 on: every count of the second ten minutes, and more.
      Case<TenthMinutesDrop>("tenth minutes drop", 0, 40'000, 40'000 - 17'982, 17'982, kRoundTripFails | kNotTheRule),
      // 00:01:00;02 to 00:09:00;02, 00:11:00;02 to 00:19:00;02, 00:21:00;02
      // and 00:22:00;02.
      Case<ShowsSkippedLabels>("skipped labels", 0, 40'000, 20, 1800, kRoundTripFails | kSkippedLabel | kNotTheRule),
      // Every negative count, and 0, which no longer follows -1's label.
      Case<NoSign>("no sign", -5'000, 5'000, 5'001, -5'000, kRoundTripFails | kNotTheRule | kOutOfOrder),
      Case<OneLateReading>("one late reading", 100'000, 140'000, 1, kGlitchCount, kRoundTripFails),
  };
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.conversions << ", counts " << c.first << " to " << c.end);
    TimecodeTally atRunTime;
    TimecodeTally built;
    c.atRunTime(kDf2997, c.first, c.end, 1, atRunTime);
    c.built(kDf2997, c.first, c.end, 1, built);
    EXPECT_EQ(atRunTime.Checked(), static_cast<std::uint64_t>(c.end - c.first));
    EXPECT_EQ(built.Checked(), atRunTime.Checked());
    EXPECT_EQ(atRunTime.Mismatches(), c.mismatches);
    EXPECT_EQ(built.Mismatches(), c.mismatches);
    if (c.mismatches == 0) continue;
    ASSERT_FALSE(built.Lowest().empty());
    const TimecodeMismatch& m = built.Lowest().front();
    EXPECT_EQ(m.count, c.lowest);
    EXPECT_EQ(m.setting, kDf2997);
    EXPECT_EQ(m.failures & ~kOutOfOrder, c.failures & ~kOutOfOrder);
    EXPECT_EQ(m.expected, ReferenceLabel(c.lowest, 30, 2));
    // Sampled, the wrong counts among the multiples of 7 are found alike.
    TimecodeTally sampled;
    c.atRunTime(kDf2997, c.first, c.end, 7, sampled);
    EXPECT_EQ(sampled.Checked(), MultiplesIn(c.first, c.end, 7));
    EXPECT_GT(sampled.Mismatches(), 0u);
  }
}

TEST(SmpteCheckTest, ASampledRunCoversEveryStretchAndReportsTheLowestMismatches) {
  const TimecodeOutcome core = VerifyTimecode(
      1'000'003, 2, {&TimecodeCheckerFor<CoreLabels>, &CheckLabels<CoreLabels, SettingAtRunTime>}, nullptr);
  std::uint64_t expected = 0;
  for (const TimecodeRange& range : TimecodeRanges()) {
    const std::int64_t size = range.end - range.first;
    if (size <= 2 * kTimecodeSampleEdge) {
      expected += static_cast<std::uint64_t>(size);
      continue;
    }
    expected += 2 * kTimecodeSampleEdge +
                MultiplesIn(range.first + kTimecodeSampleEdge, range.end - kTimecodeSampleEdge, 1'000'003);
  }
  EXPECT_EQ(core.tally.Checked(), expected);
  EXPECT_EQ(core.tally.Mismatches(), 0u);
  // 16 drop-frame rates and 11 common timebases, 229 other timebases, 4
  // fractional rates and the 16 drop-frame rates counted non-drop.
  EXPECT_EQ(core.settings, 16u + 11u + 229u + 4u + 16u);

  const TimecodeOutcome broken = VerifyTimecode(
      1'000'003, 2, {&TimecodeCheckerAtRunTime<ShowsSkippedLabels>, &CheckLabels<ShowsSkippedLabels, SettingAtRunTime>},
      nullptr);
  ASSERT_EQ(broken.tally.Lowest().size(), TimecodeTally::kKept);
  EXPECT_GT(broken.tally.Mismatches(), TimecodeTally::kKept);
  // The lowest rate that drops frames first, and within it the lowest
  // counts, whichever thread found them: negative ones, whose sign does not
  // hide a skipped label.
  std::int64_t previous = -smpte::kMaxFrames - 1;
  for (const TimecodeMismatch& m : broken.tally.Lowest()) {
    EXPECT_EQ(m.setting, kDf2997);
    EXPECT_EQ(m.failures, kRoundTripFails | kSkippedLabel | kNotTheRule);
    EXPECT_LT(m.count, 0);
    EXPECT_GT(m.count, previous);
    EXPECT_EQ(m.expected.frames, 2);
    previous = m.count;
  }
}

}  // namespace
}  // namespace kadenzo::verify
