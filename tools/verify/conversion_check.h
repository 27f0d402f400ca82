// Checks the conversions between frame counts and times, one count at a
// time, against the computation that defines them: a count of at least one
// nominal second at 23.976 or 29.97 is divided by the double 0.999 and
// truncated before it is split into hours, minutes, seconds and frames, and a
// time of at least one nominal second becomes a count by a truncated division
// by the double 1.001. The conversions are a template parameter so that the
// same checks can be pointed at deliberately broken ones.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/timecode.h"

#if defined(__i386__) && !defined(__SSE2_MATH__)
// x87 arithmetic rounds a quotient to 64 bits of mantissa and only then to 53,
// which is not the double division the conversions are defined by.
#error "Build the verifier with -msse2 -mfpmath=sse"
#endif

#if defined(__GNUC__)
#define KADENZO_FLATTEN __attribute__((flatten))
#define KADENZO_NOINLINE __attribute__((noinline))
#else
#define KADENZO_FLATTEN
#define KADENZO_NOINLINE
#endif

namespace kadenzo::verify {

// The divisors by bit pattern, so that nothing depends on how a compiler
// rounds the literals.
inline constexpr double kDivisor0_999 = std::bit_cast<double>(std::uint64_t{0x3FEFF7CED916872B});
inline constexpr double kDivisor1_001 = std::bit_cast<double>(std::uint64_t{0x3FF004189374BC6A});
static_assert(kDivisor0_999 == 0.999 && kDivisor1_001 == 1.001);

// Every 32-bit count.
inline constexpr std::uint64_t kCountRange = std::uint64_t{1} << 32;

// The definitions, written as plainly as they read.
inline TimeFields DefinedFramesToTime(std::uint32_t count, FrameRate rate) noexcept {
  const std::uint64_t fps = NominalFps(rate);
  std::uint64_t n = count;
  if (IsFractionalRate(rate) && count >= fps)
    n = static_cast<std::uint64_t>(std::trunc(static_cast<double>(count) / kDivisor0_999));
  return TimeFields{static_cast<std::uint32_t>(n / (fps * 3600)),
                    static_cast<std::uint32_t>(n % (fps * 3600) / (fps * 60)),
                    static_cast<std::uint32_t>(n % (fps * 60) / fps), static_cast<std::uint32_t>(n % fps)};
}

inline std::uint64_t DefinedTimeToFrames(const TimeFields& time, FrameRate rate) noexcept {
  const std::uint64_t fps = NominalFps(rate);
  std::uint64_t t =
      fps * (std::uint64_t{time.hours} * 3600 + std::uint64_t{time.minutes} * 60 + time.seconds) + time.frames;
  if (IsFractionalRate(rate) && t >= fps)
    t = static_cast<std::uint64_t>(std::trunc(static_cast<double>(t) / kDivisor1_001));
  return t;
}

struct Mismatch {
  FrameRate rate{};
  std::uint32_t count = 0;
  TimeFields time{};         // what FramesToTime gave
  TimeFields definedTime{};  // what it should have given
  std::uint64_t frames = 0;  // what TimeToFrames gave for `time`
  std::uint64_t definedFrames = 0;
};

// What a stretch of checks found: how many counts, how many of them wrong,
// and the lowest few of those in full.
class Tally {
 public:
  static constexpr std::size_t kKept = 8;

  void AddChecked(std::uint64_t counts) noexcept { checked_ += counts; }
  void Add(const Mismatch& mismatch);
  // A block that the fast check rejected but in which no single count is
  // wrong: the fast check is then not what it claims to be.
  void AddUnexplainedBlock() noexcept { ++unexplainedBlocks_; }
  // Adds another tally's findings; with countChecked false, not its counts
  // (a second look at counts already counted).
  void Merge(const Tally& other, bool countChecked = true);

  std::uint64_t Checked() const noexcept { return checked_; }
  std::uint64_t Mismatches() const noexcept { return mismatches_; }
  std::uint64_t UnexplainedBlocks() const noexcept { return unexplainedBlocks_; }
  const std::vector<Mismatch>& Lowest() const noexcept { return lowest_; }

 private:
  std::uint64_t checked_ = 0;
  std::uint64_t mismatches_ = 0;
  std::uint64_t unexplainedBlocks_ = 0;
  std::vector<Mismatch> lowest_;  // ordered by rate, then count
};

// One count, checked literally: FramesToTime against its definition and
// normalised, then TimeToFrames of that time against its own definition.
template <class Conversions>
bool CheckCount(std::uint32_t count, FrameRate rate, Tally& tally) {
  const TimeFields time = Conversions::FramesToTime(count, rate);
  const std::uint64_t frames = Conversions::TimeToFrames(time, rate);
  const TimeFields definedTime = DefinedFramesToTime(count, rate);
  const std::uint64_t definedFrames = DefinedTimeToFrames(time, rate);
  const bool normalised = time.minutes < 60 && time.seconds < 60 && time.frames < NominalFps(rate);
  if (normalised && time == definedTime && frames == definedFrames) return true;
  tally.Add(Mismatch{rate, count, time, definedTime, frames, definedFrames});
  return false;
}

// Counts are checked in blocks of this many.
inline constexpr std::size_t kBlock = 2048;

// The fractional rates' half of the fast check, for one block of counts
// starting at `first`: each time, as the frame count t it spells, is the
// truncated quotient of its count by 0.999, and each TimeToFrames result the
// truncated quotient of t by 1.001. Kept out of line so that it can be built
// for the widest vector unit the processor has; the divisions are its cost.
bool FractionalBlockAgrees(double first, const double* times, const double* frames) noexcept;

template <class Conversions, FrameRate kRate>
KADENZO_NOINLINE void RecheckBlock(std::uint64_t first, std::uint64_t end, Tally& tally) {
  bool found = false;
  for (std::uint64_t count = first; count < end; ++count)
    found |= !CheckCount<Conversions>(static_cast<std::uint32_t>(count), kRate, tally);
  if (!found) tally.AddUnexplainedBlock();
}

// Every count in [first, end) at one rate, fast.
//
// Splitting each expected count into a time would cost four divisions per
// count. Instead the time FramesToTime gives is joined back into the frame
// count t = fps * (3600 h + 60 m + s) + f it spells, exactly, in 64 bits. With
// minutes and seconds below 60 and frames below fps there is exactly one such
// time for each t, so "normalised and t equals the defined count" is the same
// statement as "equal to the defined split of the defined count". The defined
// count is trunc(count / 0.999) at a fractional rate: t equals it when
// t <= quotient < t + 1, both sides exact in doubles (t < 2^51). t is also
// what TimeToFrames starts from, so its definition needs no splitting either.
//
// A block in which anything disagrees is checked again count by count with
// CheckCount, which reports the details. The first block (counts below one
// nominal second, where the correction does not apply) and a short last one
// take that path throughout.
template <class Conversions, FrameRate kRate>
KADENZO_FLATTEN void CheckRunAt(std::uint64_t first, std::uint64_t end, Tally& tally) {
  constexpr std::uint64_t fps = NominalFps(kRate);
  constexpr bool fractional = IsFractionalRate(kRate);
  alignas(64) double times[kBlock];
  alignas(64) double frames[kBlock];
  tally.AddChecked(end - first);
  for (std::uint64_t block = first; block < end; block += kBlock) {
    const std::uint64_t blockEnd = std::min(end, block + kBlock);
    if (block < fps || blockEnd - block < kBlock) {
      for (std::uint64_t count = block; count < blockEnd; ++count)
        CheckCount<Conversions>(static_cast<std::uint32_t>(count), kRate, tally);
      continue;
    }
    unsigned bad = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
      const std::uint64_t count = block + i;
      const TimeFields time = Conversions::FramesToTime(static_cast<std::uint32_t>(count), kRate);
      const std::uint64_t back = Conversions::TimeToFrames(time, kRate);
      const std::uint64_t t =
          fps * (std::uint64_t{time.hours} * 3600 + std::uint64_t{time.minutes} * 60 + time.seconds) + time.frames;
      bad |= static_cast<unsigned>(time.minutes >= 60) | static_cast<unsigned>(time.seconds >= 60) |
             static_cast<unsigned>(time.frames >= fps);
      if constexpr (fractional) {
        times[i] = static_cast<double>(static_cast<std::int64_t>(t));
        // A result of 2^63 or more turns negative here and cannot pass.
        frames[i] = static_cast<double>(static_cast<std::int64_t>(back));
      } else {
        bad |= static_cast<unsigned>(t != count) | static_cast<unsigned>(back != t);
      }
    }
    if constexpr (fractional)
      bad |= static_cast<unsigned>(!FractionalBlockAgrees(static_cast<double>(block), times, frames));
    if (bad != 0) RecheckBlock<Conversions, kRate>(block, blockEnd, tally);
  }
}

// Every count in [first, end) at a rate, with the rate a compile-time
// constant inside.
template <class Conversions>
void CheckRun(FrameRate rate, std::uint64_t first, std::uint64_t end, Tally& tally) {
  switch (rate) {
    case kRate23_976: CheckRunAt<Conversions, kRate23_976>(first, end, tally); break;
    case kRate24: CheckRunAt<Conversions, kRate24>(first, end, tally); break;
    case kRate25: CheckRunAt<Conversions, kRate25>(first, end, tally); break;
    case kRate29_97: CheckRunAt<Conversions, kRate29_97>(first, end, tally); break;
    default: CheckRunAt<Conversions, kRate30>(first, end, tally); break;
  }
}

// The multiples of stride in [first, end), each checked literally.
template <class Conversions>
void CheckEvery(FrameRate rate, std::uint64_t first, std::uint64_t end, std::uint64_t stride, Tally& tally) {
  std::uint64_t checked = 0;
  for (std::uint64_t count = (first + stride - 1) / stride * stride; count < end; count += stride, ++checked)
    CheckCount<Conversions>(static_cast<std::uint32_t>(count), rate, tally);
  tally.AddChecked(checked);
}

}  // namespace kadenzo::verify
