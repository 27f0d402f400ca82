#include "core/timecode.h"

#include <gtest/gtest.h>

#include <vector>

#include "tools/verify/conversion_check.h"

namespace kadenzo {
namespace {

// The README's worked examples hold at compile time.
static_assert(FramesToTime(108000, kRate30) == TimeFields{1, 0, 0, 0});
static_assert(FramesToTime(108000, kRate25) == TimeFields{1, 12, 0, 0});
static_assert(FramesToTime(1800, kRate29_97) == TimeFields{0, 1, 0, 1});
static_assert(TimeToFrames({1, 0, 0, 0}, kRate29_97) == 107892);
static_assert(FramesToTime(150, kRate30) == TimeFields{0, 0, 5, 0});
static_assert(FramesToTime(1440, kRate23_976) == TimeFields{0, 1, 0, 1});
static_assert(TimeToFrames({1, 0, 0, 0}, kRate23_976) == 86313);
static_assert(FramesToTime(4294900000, kRate29_97) == TimeFields{39807, 23, 59, 29});
static_assert(FramesToTime(4294967295, kRate29_97) == TimeFields{39808, 1, 25, 11});
static_assert(FramesToTime(4294967295, kRate30) == TimeFields{39768, 12, 56, 15});

struct CountCase {
  FrameRate rate;
  std::uint32_t count;
  TimeFields time;
};

class FramesToTimeTest : public testing::TestWithParam<CountCase> {};

TEST_P(FramesToTimeTest, SplitsTheCountIntoATime) {
  EXPECT_EQ(FramesToTime(GetParam().count, GetParam().rate), GetParam().time);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, FramesToTimeTest,
    testing::Values(
        // Below one nominal second a fractional rate makes no correction.
        CountCase{kRate29_97, 29, {0, 0, 0, 29}}, CountCase{kRate29_97, 30, {0, 0, 1, 0}},
        CountCase{kRate29_97, 107892, {1, 0, 0, 0}}, CountCase{kRate29_97, 17982, {0, 10, 0, 0}},
        CountCase{kRate29_97, 1798, {0, 0, 59, 29}}, CountCase{kRate29_97, 998, {0, 0, 33, 8}},
        CountCase{kRate29_97, 1800, {0, 1, 0, 1}}, CountCase{kRate29_97, 2589410, {24, 0, 0, 2}},
        CountCase{kRate29_97, 4290000000, {39761, 59, 3, 4}}, CountCase{kRate23_976, 23, {0, 0, 0, 23}},
        CountCase{kRate23_976, 24, {0, 0, 1, 0}}, CountCase{kRate23_976, 1799, {0, 1, 15, 0}},
        CountCase{kRate23_976, 86313, {0, 59, 59, 23}},
        // The corrected count no longer fits 32 bits; the hours take it.
        CountCase{kRate29_97, 4290672329, {39768, 12, 56, 16}}, CountCase{kRate29_97, 4294900000, {39807, 23, 59, 29}},
        CountCase{kRate23_976, 4294967295, {49760, 1, 46, 17}}, CountCase{kRate30, 4294900000, {39767, 35, 33, 10}},
        CountCase{kRate24, 4294900000, {49709, 29, 26, 16}}, CountCase{kRate30, 4294967295, {39768, 12, 56, 15}},
        CountCase{kRate24, 86400, {1, 0, 0, 0}}, CountCase{kRate25, 90000, {1, 0, 0, 0}},
        CountCase{kRate30, 108000, {1, 0, 0, 0}}, CountCase{kRate25, 108000, {1, 12, 0, 0}},
        // Any rate index beyond the table is 30 frames per second, exact.
        CountCase{FrameRate{5}, 108000, {1, 0, 0, 0}}, CountCase{FrameRate{0xFFFFFFFF}, 1800, {0, 1, 0, 0}}));

struct TimeCase {
  FrameRate rate;
  TimeFields time;
  std::uint64_t count;
};

class TimeToFramesTest : public testing::TestWithParam<TimeCase> {};

TEST_P(TimeToFramesTest, CountsTheFramesOfTheTime) {
  EXPECT_EQ(TimeToFrames(GetParam().time, GetParam().rate), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, TimeToFramesTest,
    testing::Values(TimeCase{kRate29_97, {0, 0, 1, 0}, 29}, TimeCase{kRate29_97, {0, 0, 0, 29}, 29},
                    TimeCase{kRate29_97, {1, 0, 0, 0}, 107892}, TimeCase{kRate29_97, {10, 0, 0, 0}, 1078921},
                    TimeCase{kRate29_97, {0, 1, 0, 0}, 1798}, TimeCase{kRate29_97, {39761, 59, 3, 4}, 4290004289},
                    TimeCase{kRate23_976, {1, 0, 0, 0}, 86313}, TimeCase{kRate23_976, {0, 1, 0, 0}, 1438},
                    TimeCase{kRate23_976, {0, 0, 0, 23}, 23}, TimeCase{kRate23_976, {0, 0, 1, 0}, 23},
                    TimeCase{kRate24, {1, 0, 0, 0}, 86400}, TimeCase{kRate25, {1, 0, 0, 0}, 90000},
                    TimeCase{kRate30, {1, 0, 0, 0}, 108000},
                    // Unnormalised values are counted as they stand.
                    TimeCase{kRate30, {0, 0, 0, 45}, 45}, TimeCase{kRate30, {0, 75, 0, 0}, 135000},
                    // Past 32 bits the count is exact, not wrapped.
                    TimeCase{kRate30, {39768, 0, 0, 0}, 4294944000}, TimeCase{kRate30, {39769, 0, 0, 0}, 4295052000},
                    TimeCase{kRate30, {65500, 0, 0, 0}, 7074000000},
                    TimeCase{kRate30, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}, 471720552977145}));

TEST(TimeToFramesTest, IsTheExactInverseAtWholeRates) {
  for (FrameRate rate : {kRate24, kRate25, kRate30}) {
    for (std::uint64_t count = 0; count <= 0xFFFFFFFF; count += 65521) {
      const auto frames = static_cast<std::uint32_t>(count);
      ASSERT_EQ(TimeToFrames(FramesToTime(frames, rate), rate), frames) << "rate " << RateIndex(rate);
    }
  }
}

// The corrections are defined as truncated IEEE double divisions; the core
// computes them in integers. The two must agree everywhere: here on a sample,
// by the verifier's definitions; kadenzo-verify checks every count.
using verify::DefinedFramesToTime;
using verify::DefinedTimeToFrames;

std::vector<std::uint32_t> SampledCounts() {
  std::vector<std::uint32_t> counts;
  for (std::uint32_t c = 0; c < 300000; ++c) counts.push_back(c);
  for (std::uint64_t c = 300000; c < 0xFFFFFFFF - 300000; c += 5003) counts.push_back(static_cast<std::uint32_t>(c));
  for (std::uint64_t c = 0xFFFFFFFF - 300000; c <= 0xFFFFFFFF; ++c) counts.push_back(static_cast<std::uint32_t>(c));
  return counts;
}

TEST(ConversionDefinitionTest, IntegerCorrectionsEqualTheDoubleDefinition) {
  const std::vector<std::uint32_t> counts = SampledCounts();
  ASSERT_GT(counts.size(), 1'000'000u);
  for (std::uint32_t index = 0; index < kRateCount; ++index) {
    const FrameRate rate{index};
    const std::uint32_t fps = NominalFps(rate);
    for (std::uint32_t count : counts) {
      const TimeFields time = FramesToTime(count, rate);
      ASSERT_EQ(time, DefinedFramesToTime(count, rate)) << count << " at rate " << RateIndex(rate);
      ASSERT_TRUE(time.minutes < 60 && time.seconds < 60 && time.frames < fps)
          << count << " at rate " << RateIndex(rate);
      ASSERT_EQ(TimeToFrames(time, rate), DefinedTimeToFrames(time, rate)) << count << " at rate " << RateIndex(rate);
    }
  }
}

}  // namespace
}  // namespace kadenzo
