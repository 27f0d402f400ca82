#include "tools/verify/conversion_check.h"

#include <gtest/gtest.h>

#include "tools/verify/verify_driver.h"

namespace kadenzo::verify {
namespace {

constexpr std::uint32_t kTopBitHours = 0x80000000u;

TimeFields Split(std::uint64_t n, std::uint64_t fps) {
  return {static_cast<std::uint32_t>(n / (fps * 3600)), static_cast<std::uint32_t>(n % (fps * 3600) / (fps * 60)),
          static_cast<std::uint32_t>(n % (fps * 60) / fps), static_cast<std::uint32_t>(n % fps)};
}

struct Core {
  static TimeFields FramesToTime(std::uint32_t count, FrameRate rate) { return kadenzo::FramesToTime(count, rate); }
  static std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) {
    return kadenzo::TimeToFrames(time, rate);
  }
};

// Mistakes a conversion could plausibly make, each checked by both the fast
// and the literal path.

// The corrected count squeezed back into 32 bits: wrong from 4290672329 on.
struct CorrectedCountIn32Bits : Core {
  static TimeFields FramesToTime(std::uint32_t count, FrameRate rate) {
    const std::uint32_t fps = NominalFps(rate);
    std::uint32_t n = count;
    if (IsFractionalRate(rate) && count >= fps) n = static_cast<std::uint32_t>(std::uint64_t{count} * 1000 / 999);
    return Split(n, fps);
  }
};
constexpr std::uint64_t kFirstCountPast32Bits = 4290672329;

// Multiplying by 1.001 instead of dividing by 0.999.
struct CorrectionByMultiplying : Core {
  static TimeFields FramesToTime(std::uint32_t count, FrameRate rate) {
    const std::uint32_t fps = NominalFps(rate);
    std::uint64_t n = count;
    if (IsFractionalRate(rate) && count >= fps) n = static_cast<std::uint64_t>(count * 1.001);
    return Split(n, fps);
  }
};

// Multiplying by 0.999 instead of dividing by 1.001.
struct BackByMultiplying : Core {
  static std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) {
    const std::uint64_t fps = NominalFps(rate);
    const std::uint64_t t = fps * (time.hours * 3600ull + time.minutes * 60ull + time.seconds) + time.frames;
    return IsFractionalRate(rate) && t >= fps ? static_cast<std::uint64_t>(static_cast<double>(t) * 0.999) : t;
  }
};

// TimeToFrames correcting below one nominal second too, or only above it.
// (FramesToTime cannot get its threshold wrong visibly: below 999 frames the
// correction changes nothing.)
struct BackCorrectedBelowOneSecond : Core {
  static std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) {
    const std::uint64_t fps = NominalFps(rate);
    const std::uint64_t t = fps * (time.hours * 3600ull + time.minutes * 60ull + time.seconds) + time.frames;
    return IsFractionalRate(rate) ? t * 1000 / 1001 : t;
  }
};
struct BackCorrectedAboveOneSecond : Core {
  static std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) {
    const std::uint64_t fps = NominalFps(rate);
    const std::uint64_t t = fps * (time.hours * 3600ull + time.minutes * 60ull + time.seconds) + time.frames;
    return t == fps ? t : kadenzo::TimeToFrames(time, rate);
  }
};

// Whole minutes in the first hour shown as the previous minute and 60
// seconds: the same frame count, but not a normalised time.
struct SixtySeconds : Core {
  static TimeFields FramesToTime(std::uint32_t count, FrameRate rate) {
    TimeFields time = kadenzo::FramesToTime(count, rate);
    if (time.hours == 0 && time.minutes > 0 && time.seconds == 0) {
      --time.minutes;
      time.seconds = 60;
    }
    return time;
  }
};

// One wrong frame, deep inside a block.
constexpr std::uint32_t kGlitchCount = 3'000'000'123;
struct OneWrongFrame : Core {
  static TimeFields FramesToTime(std::uint32_t count, FrameRate rate) {
    TimeFields time = kadenzo::FramesToTime(count, rate);
    if (count == kGlitchCount) time.frames ^= 1;
    return time;
  }
};

// One count whose time comes back as a count of 2^63 or more.
struct BackWithTopBitSet : Core {
  static std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) {
    const std::uint64_t frames = kadenzo::TimeToFrames(time, rate);
    return time == kadenzo::FramesToTime(kGlitchCount, rate) ? frames | std::uint64_t{1} << 63 : frames;
  }
};

// Hours off by 2^31, far beyond any time a 32-bit count can give.
struct HugeHours : Core {
  static TimeFields FramesToTime(std::uint32_t count, FrameRate rate) {
    TimeFields time = kadenzo::FramesToTime(count, rate);
    if (count == kGlitchCount) time.hours += kTopBitHours;
    return time;
  }
};

template <class Conversions>
constexpr Checkers ChecksOf() {
  return {&CheckRun<Conversions>, &CheckEvery<Conversions>};
}

constexpr std::uint64_t kSome = ~std::uint64_t{0};

struct RangeCase {
  const char* conversions;
  Checkers checks;
  FrameRate rate;
  std::uint64_t first, end;
  std::uint64_t mismatches;  // kSome: at least one
  std::uint64_t lowest;      // the lowest wrong count, when there is one and it is known
};

const RangeCase kRangeCases[] = {
    // The real conversions, where they are most likely to go wrong: below and
    // at one nominal second, where the corrected count passes 2^32, at the top.
    {"core", ChecksOf<Core>(), kRate23_976, 0, 3 * kBlock + 5, 0, 0},
    {"core", ChecksOf<Core>(), kRate29_97, 0, 3 * kBlock + 5, 0, 0},
    {"core", ChecksOf<Core>(), kRate25, 0, 3 * kBlock, 0, 0},
    {"core", ChecksOf<Core>(), kRate29_97, kFirstCountPast32Bits - 5000, kFirstCountPast32Bits + 5000, 0, 0},
    {"core", ChecksOf<Core>(), kRate23_976, kCountRange - 4 * kBlock - 3, kCountRange, 0, 0},
    {"core", ChecksOf<Core>(), kRate30, kCountRange - 4 * kBlock - 3, kCountRange, 0, 0},

    {"32-bit corrected count", ChecksOf<CorrectedCountIn32Bits>(), kRate29_97, kFirstCountPast32Bits - 3000,
     kFirstCountPast32Bits + 7000, 7000, kFirstCountPast32Bits},
    {"32-bit corrected count", ChecksOf<CorrectedCountIn32Bits>(), kRate23_976, kCountRange - 10000, kCountRange, 10000,
     kCountRange - 10000},
    {"32-bit corrected count", ChecksOf<CorrectedCountIn32Bits>(), kRate24, kCountRange - 10000, kCountRange, 0, 0},
    {"multiplied by 1.001", ChecksOf<CorrectionByMultiplying>(), kRate29_97, 1'000'000, 1'040'000, kSome, 0},
    {"multiplied by 1.001", ChecksOf<CorrectionByMultiplying>(), kRate23_976, 4'000'000'000, 4'000'040'000, kSome, 0},
    {"multiplied by 0.999", ChecksOf<BackByMultiplying>(), kRate29_97, 1'000'000, 1'040'000, kSome, 0},
    {"multiplied by 0.999", ChecksOf<BackByMultiplying>(), kRate23_976, 4'000'000'000, 4'000'040'000, kSome, 0},
    // Counts 1 to fps - 1.
    {"corrected below one second", ChecksOf<BackCorrectedBelowOneSecond>(), kRate23_976, 0, 5000, 23, 1},
    {"corrected below one second", ChecksOf<BackCorrectedBelowOneSecond>(), kRate29_97, 0, 5000, 29, 1},
    {"corrected below one second", ChecksOf<BackCorrectedBelowOneSecond>(), kRate25, 0, 5000, 0, 0},
    {"corrected above one second", ChecksOf<BackCorrectedAboveOneSecond>(), kRate23_976, 0, 5000, 1, 24},
    {"corrected above one second", ChecksOf<BackCorrectedAboveOneSecond>(), kRate29_97, 0, 5000, 1, 30},
    // 59 whole minutes of 25 frames each.
    {"60 seconds", ChecksOf<SixtySeconds>(), kRate25, 0, 200'000, 59 * 25, 1500},
    {"one wrong frame", ChecksOf<OneWrongFrame>(), kRate29_97, kGlitchCount - 5000, kGlitchCount + 5000, 1,
     kGlitchCount},
    {"one wrong frame", ChecksOf<OneWrongFrame>(), kRate25, kGlitchCount - 5000, kGlitchCount + 5000, 1, kGlitchCount},
    {"count past 2^63", ChecksOf<BackWithTopBitSet>(), kRate29_97, kGlitchCount - 5000, kGlitchCount + 5000, 1,
     kGlitchCount},
    {"count past 2^63", ChecksOf<BackWithTopBitSet>(), kRate24, kGlitchCount - 5000, kGlitchCount + 5000, 1,
     kGlitchCount},
    {"hours past 2^31", ChecksOf<HugeHours>(), kRate23_976, kGlitchCount - 5000, kGlitchCount + 5000, 1, kGlitchCount},
};

TEST(ConversionCheckTest, FastAndLiteralChecksFindTheSameMismatches) {
  for (const RangeCase& c : kRangeCases) {
    SCOPED_TRACE(testing::Message() << c.conversions << " at " << RateName(c.rate) << " fps, counts " << c.first
                                    << " to " << c.end);
    Tally fast;
    Tally literal;
    c.checks.run(c.rate, c.first, c.end, fast);
    c.checks.every(c.rate, c.first, c.end, 1, literal);

    EXPECT_EQ(fast.Checked(), c.end - c.first);
    EXPECT_EQ(literal.Checked(), c.end - c.first);
    EXPECT_EQ(fast.UnexplainedBlocks(), 0u);
    EXPECT_EQ(fast.Mismatches(), literal.Mismatches());
    if (c.mismatches == kSome)
      EXPECT_GT(fast.Mismatches(), 0u);
    else
      EXPECT_EQ(fast.Mismatches(), c.mismatches);
    EXPECT_EQ(fast.Lowest().size(), literal.Lowest().size());
    for (std::size_t i = 0; i < fast.Lowest().size() && i < literal.Lowest().size(); ++i)
      EXPECT_EQ(fast.Lowest()[i].count, literal.Lowest()[i].count);
    if (c.lowest != 0 && !fast.Lowest().empty()) {
      const Mismatch& m = fast.Lowest().front();
      EXPECT_EQ(m.count, c.lowest);
      EXPECT_EQ(m.rate, c.rate);
      EXPECT_EQ(m.definedTime, FramesToTime(m.count, c.rate));
    }
  }
}

std::uint64_t MultiplesIn(std::uint64_t first, std::uint64_t end, std::uint64_t stride) {
  return first >= end ? 0 : (end - 1) / stride - (first + stride - 1) / stride + 1;
}

TEST(ConversionCheckTest, ASampledRunChecksBothEdgesInFullAndEveryNthCountBetween) {
  constexpr std::uint64_t kStride = 1'000'003;
  const std::uint64_t highEdge = kCountRange - kEdgeCounts;
  const Outcome outcome = Verify(Options{kStride, 2}, ChecksOf<CorrectedCountIn32Bits>(), nullptr);
  const Tally& tally = outcome.tally;

  EXPECT_EQ(tally.Checked(), kRateCount * (2 * kEdgeCounts + MultiplesIn(kEdgeCounts, highEdge, kStride)));
  // Only the fractional rates go wrong, from kFirstCountPast32Bits on: the
  // sampled counts up to the high edge and all of that edge.
  const std::uint64_t sampledWrong = MultiplesIn(kFirstCountPast32Bits, highEdge, kStride);
  ASSERT_GT(sampledWrong, 0u);
  EXPECT_EQ(tally.Mismatches(), 2 * (sampledWrong + kEdgeCounts));
  EXPECT_EQ(outcome.rechecked, 0u);

  // The lowest mismatches, in order, whichever thread found them.
  const std::uint64_t firstWrong = (kFirstCountPast32Bits + kStride - 1) / kStride * kStride;
  ASSERT_EQ(tally.Lowest().size(), Tally::kKept);
  EXPECT_EQ(tally.Lowest()[0].rate, kRate23_976);
  EXPECT_EQ(tally.Lowest()[0].count, firstWrong);
  ASSERT_LT(sampledWrong, Tally::kKept);
  for (std::size_t i = 1; i < sampledWrong; ++i) EXPECT_EQ(tally.Lowest()[i].count, firstWrong + i * kStride);
  const auto afterSampled = static_cast<std::size_t>(sampledWrong);
  EXPECT_EQ(tally.Lowest()[afterSampled].count, highEdge);
  EXPECT_EQ(tally.Lowest()[afterSampled].rate, kRate23_976);
}

}  // namespace
}  // namespace kadenzo::verify
