#include "tools/verify/conversion_check.h"

namespace kadenzo::verify {

namespace {

bool Lower(const Mismatch& a, const Mismatch& b) noexcept {
  return a.rate != b.rate ? a.rate < b.rate : a.count < b.count;
}

}  // namespace

void Tally::Add(const Mismatch& mismatch) {
  ++mismatches_;
  const auto at = std::upper_bound(lowest_.begin(), lowest_.end(), mismatch, Lower) - lowest_.begin();
  if (at == static_cast<std::ptrdiff_t>(kKept)) return;
  if (lowest_.size() == kKept) lowest_.pop_back();
  lowest_.insert(lowest_.begin() + at, mismatch);
}

void Tally::Merge(const Tally& other, bool countChecked) {
  if (countChecked) checked_ += other.checked_;
  unexplainedBlocks_ += other.unexplainedBlocks_;
  // Add() counts each mismatch it keeps; the other tally's total is the truth.
  const std::uint64_t mismatches = mismatches_ + other.mismatches_;
  for (const Mismatch& mismatch : other.lowest_) Add(mismatch);
  mismatches_ = mismatches;
}

// The loop below is all divisions and comparisons of doubles, which the
// compiler vectorises; on x86-64 with GNU ifuncs it is built three times and
// the widest version the processor runs is chosen at load time. Four or eight
// divisions at once instead of two take about a quarter off the time of a
// fractional rate.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
__attribute__((target_clones("default", "avx2", "avx512f")))
#endif
bool FractionalBlockAgrees(double first, const double* times, const double* frames) noexcept {
  unsigned bad = 0;
  for (int i = 0; i < static_cast<int>(kBlock); ++i) {
    const double corrected = (first + i) / kDivisor0_999;
    const double back = times[i] / kDivisor1_001;
    bad |= static_cast<unsigned>(!(times[i] <= corrected)) | static_cast<unsigned>(!(corrected < times[i] + 1)) |
           static_cast<unsigned>(!(frames[i] <= back)) | static_cast<unsigned>(!(back < frames[i] + 1));
  }
  return bad == 0;
}

}  // namespace kadenzo::verify
