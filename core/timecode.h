// Frame rates and the conversions between a frame count and a time code.
#pragma once

#include <cstdint>

namespace kadenzo {

// The rate index, in the order of the window's rate buttons. Any other value
// behaves as 30 frames per second, not fractional.
using FrameRate = std::uint32_t;

inline constexpr FrameRate kRate23_976 = 0;
inline constexpr FrameRate kRate24 = 1;
inline constexpr FrameRate kRate25 = 2;
inline constexpr FrameRate kRate29_97 = 3;
inline constexpr FrameRate kRate30 = 4;
inline constexpr FrameRate kRateCount = 5;

// Hours are never reduced modulo 24 and have no bound of their own. A time
// produced by FramesToTime is normalised; a time given to TimeToFrames may hold
// any values (75 minutes are counted as 75 minutes).
struct TimeFields {
  std::uint32_t hours, minutes, seconds, frames;

  friend constexpr bool operator==(const TimeFields&, const TimeFields&) = default;
};

// The frame slots in one nominal second: 24, 24, 25, 30, 30.
constexpr std::uint32_t NominalFps(FrameRate rate) noexcept {
  constexpr std::uint32_t kFps[kRateCount] = {24, 24, 25, 30, 30};
  return rate < kRateCount ? kFps[rate] : 30;
}

// 23.976 and 29.97 run at 1000/1001 of their nominal rate.
constexpr bool IsFractionalRate(FrameRate rate) noexcept {
  return rate == kRate23_976 || rate == kRate29_97;
}

// A count of at least one nominal second at a fractional rate is divided by
// 0.999 before it is split, so the time may lie beyond 32 bits of frames; the
// hours absorb it.
TimeFields FramesToTime(std::uint32_t count, FrameRate rate) noexcept;

// The exact count of a time, never wrapped. A time of at least one nominal
// second at a fractional rate is divided by 1.001. The two corrections are not
// inverses (1 / 0.999 is not 1.001), so a round trip can drift by a frame or two.
std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) noexcept;

}  // namespace kadenzo
