#include "core/timecode.h"

namespace kadenzo {

namespace {

// The corrections are defined as IEEE double divisions by 0.999 and 1.001,
// truncated. Both doubles lie a hair below the decimal they stand for, so the
// double quotient never falls short of an exact integer result, and for every
// operand below 2^40 the gap to the next integer (at least 1/1001) dwarfs the
// rounding error: the truncated double quotients equal these exact integer
// ones, which need no floating point at all. The tests check the two against
// each other.
constexpr std::uint64_t DivideBy0_999(std::uint64_t n) noexcept {
  return n * 1000 / 999;
}
constexpr std::uint64_t DivideBy1_001(std::uint64_t n) noexcept {
  return n * 1000 / 1001;
}

}  // namespace

TimeFields FramesToTime(std::uint32_t count, FrameRate rate) noexcept {
  const std::uint64_t fps = NominalFps(rate);
  std::uint64_t n = count;
  // The threshold compares the uncorrected count: below one nominal second
  // the frames are shown as they are.
  if (IsFractionalRate(rate) && n >= fps) n = DivideBy0_999(n);

  const std::uint64_t perMinute = fps * 60;
  const std::uint64_t perHour = perMinute * 60;
  const std::uint64_t r = n % perHour;
  const std::uint64_t r2 = r % perMinute;
  // n < 2^33, so the hours (below 2^33 / 86400) fit easily.
  return TimeFields{static_cast<std::uint32_t>(n / perHour), static_cast<std::uint32_t>(r / perMinute),
                    static_cast<std::uint32_t>(r2 / fps), static_cast<std::uint32_t>(r2 % fps)};
}

std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) noexcept {
  const std::uint64_t fps = NominalFps(rate);
  // At most 30 * 3661 * (2^32 - 1) + 2^32 - 1, below 2^50: no wrap, and
  // the correction's multiplication by 1000 stays below 2^60.
  const std::uint64_t seconds = std::uint64_t{time.hours} * 3600 + std::uint64_t{time.minutes} * 60 + time.seconds;
  const std::uint64_t t = fps * seconds + time.frames;
  if (IsFractionalRate(rate) && t >= fps) return DivideBy1_001(t);
  return t;
}

}  // namespace kadenzo
