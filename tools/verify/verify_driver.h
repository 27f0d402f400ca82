// Runs the conversion checks over every count at every rate, or over a sample
// of them, on several threads, and says how far it has got.
#pragma once

#include <cstdint>
#include <iosfwd>

#include "tools/verify/conversion_check.h"

namespace kadenzo::verify {

// The checks for one set of conversions, instantiated by the caller.
struct Checkers {
  // Every count of [first, end).
  void (*run)(FrameRate rate, std::uint64_t first, std::uint64_t end, Tally& tally);
  // The multiples of stride in [first, end).
  void (*every)(FrameRate rate, std::uint64_t first, std::uint64_t end, std::uint64_t stride, Tally& tally);
};

struct Options {
  // 0 checks every count with `run`. Otherwise the first and last kEdgeCounts
  // counts go to `run` and every sample-th count between them to `every`.
  std::uint64_t sample = 0;
  unsigned threads = 1;
};

inline constexpr std::uint64_t kEdgeCounts = 1'000'000;

// A full run also hands every this-many-th count to `every`, a second look
// that is not counted again.
inline constexpr std::uint64_t kRecheckStride = 251;

struct Outcome {
  Tally tally;
  std::uint64_t rechecked = 0;
  double seconds = 0;
};

// Checks the five rates in turn. With progress set, writes a line to it each
// time a quarter of a rate is done.
Outcome Verify(const Options& options, const Checkers& checkers, std::ostream* progress);

const char* RateName(FrameRate rate) noexcept;

}  // namespace kadenzo::verify
