#include "tools/verify/verify_driver.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <ostream>
#include <thread>
#include <vector>

namespace kadenzo::verify {

namespace {

// The threads take the range in parts of 2^24 counts, in order, so that the
// rates finish one after another and a slow part holds nobody up.
constexpr std::uint64_t kPart = std::uint64_t{1} << 24;
constexpr std::uint64_t kPartsPerRate = kCountRange / kPart;
constexpr std::uint64_t kParts = kPartsPerRate * kRateCount;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void CheckPart(const Options& options, const Checkers& checkers, FrameRate rate, std::uint64_t first, std::uint64_t end,
               Tally& tally, Tally& recheck) {
  if (options.sample == 0) {
    checkers.run(rate, first, end, tally);
    checkers.every(rate, first, end, kRecheckStride, recheck);
    return;
  }
  // [first, low) lies in the low edge, [high, end) in the high one.
  const std::uint64_t low = std::min(end, std::max(first, kEdgeCounts));
  const std::uint64_t high = std::max(low, std::min(end, kCountRange - kEdgeCounts));
  if (first < low) checkers.run(rate, first, low, tally);
  if (low < high) checkers.every(rate, low, high, options.sample, tally);
  if (high < end) checkers.run(rate, high, end, tally);
}

class Run {
 public:
  Run(const Options& options, const Checkers& checkers, std::ostream* progress)
      : options_(options), checkers_(checkers), progress_(progress) {}

  Outcome Go() {
    std::vector<std::thread> threads;
    const unsigned count = std::max(1u, options_.threads);
    for (unsigned i = 1; i < count; ++i) threads.emplace_back([this] { Work(); });
    Work();
    for (std::thread& thread : threads) thread.join();
    outcome_.seconds = SecondsSince(start_);
    return outcome_;
  }

 private:
  void Work() {
    Tally tally;
    Tally recheck;
    for (std::uint64_t part = next_++; part < kParts; part = next_++) {
      const auto rate = static_cast<FrameRate>(part / kPartsPerRate);
      const std::uint64_t first = part % kPartsPerRate * kPart;
      CheckPart(options_, checkers_, rate, first, first + kPart, tally, recheck);
      Report(rate, ++done_[RateIndex(rate)]);
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    outcome_.tally.Merge(tally);
    outcome_.tally.Merge(recheck, false);
    outcome_.rechecked += recheck.Checked();
  }

  void Report(FrameRate rate, std::uint64_t done) {
    if (progress_ == nullptr || done % (kPartsPerRate / 4) != 0) return;
    char line[96];
    std::snprintf(line, sizeof line, "kadenzo-verify: %s fps %3d%% at %.1f s\n", RateName(rate),
                  static_cast<int>(done * 100 / kPartsPerRate), SecondsSince(start_));
    const std::lock_guard<std::mutex> lock(mutex_);
    *progress_ << line << std::flush;
  }

  const Options options_;
  const Checkers checkers_;
  std::ostream* const progress_;
  const Clock::time_point start_ = Clock::now();
  std::atomic<std::uint64_t> next_{0};
  std::array<std::atomic<std::uint64_t>, kRateCount> done_{};
  std::mutex mutex_;
  Outcome outcome_;
};

}  // namespace

Outcome Verify(const Options& options, const Checkers& checkers, std::ostream* progress) {
  return Run(options, checkers, progress).Go();
}

const char* RateName(FrameRate rate) noexcept {
  constexpr const char* kNames[kRateCount] = {"23.976", "24", "25", "29.97", "30"};
  return RateIndex(rate) < kRateCount ? kNames[RateIndex(rate)] : "?";
}

}  // namespace kadenzo::verify
