// Frame rates and the conversions between a frame count and a time code.
#pragma once

#include <cstdint>

namespace kadenzo {

// The rate index, in the order of the window's rate buttons. A type of its
// own, so that a count and a rate cannot change places; any value other
// than the five below behaves as 30 frames per second, not fractional.
enum class FrameRate : std::uint32_t {};

inline constexpr FrameRate kRate23_976{0};
inline constexpr FrameRate kRate24{1};
inline constexpr FrameRate kRate25{2};
inline constexpr FrameRate kRate29_97{3};
inline constexpr FrameRate kRate30{4};
inline constexpr std::uint32_t kRateCount = 5;

constexpr std::uint32_t RateIndex(FrameRate rate) noexcept {
  return static_cast<std::uint32_t>(rate);
}

// Hours are never reduced modulo 24 and have no bound of their own. A time
// produced by FramesToTime is normalised; a time given to TimeToFrames may hold
// any values (75 minutes are counted as 75 minutes).
struct TimeFields {
  std::uint32_t hours, minutes, seconds, frames;

  friend constexpr bool operator==(const TimeFields&, const TimeFields&) = default;
};

enum class TimeUnit { Hours, Minutes, Seconds, Frames };
inline constexpr TimeUnit kTimeUnits[] = {TimeUnit::Hours, TimeUnit::Minutes, TimeUnit::Seconds, TimeUnit::Frames};

// One of a time's four values, by unit.
constexpr const std::uint32_t& TimeValue(const TimeFields& time, TimeUnit unit) noexcept {
  switch (unit) {
    case TimeUnit::Hours: return time.hours;
    case TimeUnit::Minutes: return time.minutes;
    case TimeUnit::Seconds: return time.seconds;
    case TimeUnit::Frames: break;
  }
  return time.frames;
}
constexpr std::uint32_t& TimeValue(TimeFields& time, TimeUnit unit) noexcept {
  return const_cast<std::uint32_t&>(TimeValue(static_cast<const TimeFields&>(time), unit));
}

// The frame slots in one nominal second: 24, 24, 25, 30, 30.
constexpr std::uint32_t NominalFps(FrameRate rate) noexcept {
  constexpr std::uint32_t kFps[kRateCount] = {24, 24, 25, 30, 30};
  return RateIndex(rate) < kRateCount ? kFps[RateIndex(rate)] : 30;
}

// 23.976 and 29.97 run at 1000/1001 of their nominal rate.
constexpr bool IsFractionalRate(FrameRate rate) noexcept {
  return rate == kRate23_976 || rate == kRate29_97;
}

namespace detail {

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

}  // namespace detail

// A count of at least one nominal second at a fractional rate is divided by
// 0.999 before it is split, so the time may lie beyond 32 bits of frames; the
// hours absorb it.
constexpr TimeFields FramesToTime(std::uint32_t count, FrameRate rate) noexcept {
  const std::uint64_t fps = NominalFps(rate);
  std::uint64_t n = count;
  // The threshold compares the uncorrected count: below one nominal second
  // the frames are shown as they are.
  if (IsFractionalRate(rate) && n >= fps) n = detail::DivideBy0_999(n);

  const std::uint64_t perMinute = fps * 60;
  const std::uint64_t perHour = perMinute * 60;
  const std::uint64_t r = n % perHour;
  const std::uint64_t r2 = r % perMinute;
  // n < 2^33, so the hours (below 2^33 / 86400) fit easily.
  return TimeFields{static_cast<std::uint32_t>(n / perHour), static_cast<std::uint32_t>(r / perMinute),
                    static_cast<std::uint32_t>(r2 / fps), static_cast<std::uint32_t>(r2 % fps)};
}

// The exact count of a time, never wrapped. A time of at least one nominal
// second at a fractional rate is divided by 1.001. The two corrections are not
// inverses (1 / 0.999 is not 1.001), so a round trip can drift by a frame or two.
constexpr std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) noexcept {
  const std::uint64_t fps = NominalFps(rate);
  // At most 30 * 3661 * (2^32 - 1) + 2^32 - 1, below 2^50: no wrap, and
  // the correction's multiplication by 1000 stays below 2^60.
  const std::uint64_t seconds = std::uint64_t{time.hours} * 3600 + std::uint64_t{time.minutes} * 60 + time.seconds;
  const std::uint64_t t = fps * seconds + time.frames;
  if (IsFractionalRate(rate) && t >= fps) return detail::DivideBy1_001(t);
  return t;
}

}  // namespace kadenzo
