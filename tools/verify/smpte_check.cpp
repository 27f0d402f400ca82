#include "tools/verify/smpte_check.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <mutex>
#include <ostream>
#include <thread>

#include "tools/verify/verify_driver.h"

namespace kadenzo::verify {

namespace {

// Rate, then non-drop before drop-frame, then count.
bool Lower(const TimecodeMismatch& a, const TimecodeMismatch& b) noexcept {
  const std::int64_t left = a.setting.rate.num * b.setting.rate.den;
  const std::int64_t right = b.setting.rate.num * a.setting.rate.den;
  if (left != right) return left < right;
  if (a.setting.counting != b.setting.counting) return a.setting.counting == Counting::NonDrop;
  return a.count < b.count;
}

constexpr std::int64_t kPowers[] = {-(std::int64_t{1} << 32), -(std::int64_t{1} << 31), std::int64_t{1} << 31,
                                    std::int64_t{1} << 32};
// Counts either side of each of kPowers, and at each end of the range.
constexpr std::int64_t kPowerEdge = 1'000'000;
constexpr std::int64_t kRangeEndEdge = 10'000;
// Drop-frame at 29.97 to 239.76 is checked over days, at the higher rates
// (269.73 to 479.52) over hours.
constexpr std::int64_t kDropFrameKsOverDays = 8;

void AddSpan(std::vector<TimecodeRange>& ranges, const TimecodeSetting& setting, std::int64_t reach) {
  ranges.push_back({setting, -reach, 0});
  ranges.push_back({setting, 0, reach + 1});
}

void AddRangeEnds(std::vector<TimecodeRange>& ranges, const TimecodeSetting& setting) {
  ranges.push_back({setting, -smpte::kMaxFrames, -smpte::kMaxFrames + kRangeEndEdge});
  ranges.push_back({setting, smpte::kMaxFrames + 1 - kRangeEndEdge, smpte::kMaxFrames + 1});
}

// The threads take the stretches in parts of at most this many counts.
constexpr std::int64_t kPart = std::int64_t{1} << 21;

struct Part {
  std::size_t range = 0;
  std::int64_t first = 0;
  std::int64_t end = 0;
  std::int64_t stride = 1;
  bool outOfLine = false;  // with TimecodeCheckers::outOfLine
  bool recheck = false;    // a second look at counts already counted
};

void AddParts(std::vector<Part>& parts, const Part& whole) {
  for (std::int64_t at = whole.first; at < whole.end; at += kPart) {
    Part part = whole;
    part.first = at;
    part.end = std::min(whole.end, at + kPart);
    parts.push_back(part);
  }
}

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class TimecodeRun {
 public:
  TimecodeRun(std::uint64_t sample, const TimecodeCheckers& checkers, std::ostream* progress)
      : ranges_(TimecodeRanges()), outOfLine_(checkers.outOfLine), progress_(progress) {
    const auto stride = static_cast<std::int64_t>(std::min<std::uint64_t>(sample, std::uint64_t{1} << 40));
    for (std::size_t i = 0; i < ranges_.size(); ++i) {
      const TimecodeRange& range = ranges_[i];
      fast_.push_back(checkers.checkerFor(range.setting));
      const auto earlier = ranges_.begin() + static_cast<std::ptrdiff_t>(i);
      if (std::find_if(ranges_.begin(), earlier, [&](const auto& other) { return other.setting == range.setting; }) ==
          earlier)
        ++outcome_.settings;
      if (stride == 0) {
        AddParts(parts_, {i, range.first, range.end, 1, false, false});
        AddParts(parts_, {i, range.first, range.end, static_cast<std::int64_t>(kRecheckStride), true, true});
      } else if (range.end - range.first <= 2 * kTimecodeSampleEdge) {
        AddParts(parts_, {i, range.first, range.end, 1, false, false});
      } else {
        AddParts(parts_, {i, range.first, range.first + kTimecodeSampleEdge, 1, false, false});
        AddParts(parts_, {i, range.first + kTimecodeSampleEdge, range.end - kTimecodeSampleEdge, stride, true, false});
        AddParts(parts_, {i, range.end - kTimecodeSampleEdge, range.end, 1, false, false});
      }
    }
  }

  TimecodeOutcome Go(unsigned threads) {
    std::vector<std::thread> workers;
    for (unsigned i = 1; i < std::max(1u, threads); ++i) workers.emplace_back([this] { Work(); });
    Work();
    for (std::thread& worker : workers) worker.join();
    outcome_.seconds = SecondsSince(start_);
    return outcome_;
  }

 private:
  void Work() {
    TimecodeTally tally;
    TimecodeTally recheck;
    for (std::size_t index = next_++; index < parts_.size(); index = next_++) {
      const Part& part = parts_[index];
      const TimecodeChecker checker = part.outOfLine ? outOfLine_ : fast_[part.range];
      checker(ranges_[part.range].setting, part.first, part.end, part.stride, part.recheck ? recheck : tally);
      Report(++done_);
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    outcome_.tally.Merge(tally);
    outcome_.tally.Merge(recheck, false);
    outcome_.rechecked += recheck.Checked();
  }

  void Report(std::size_t done) {
    const std::size_t quarter = (parts_.size() + 3) / 4;
    if (progress_ == nullptr || (done % quarter != 0 && done != parts_.size())) return;
    char line[96];
    std::snprintf(line, sizeof line, "kadenzo-verify: time code %3d%% at %.1f s\n",
                  static_cast<int>(done * 100 / parts_.size()), SecondsSince(start_));
    const std::lock_guard<std::mutex> lock(mutex_);
    *progress_ << line << std::flush;
  }

  const std::vector<TimecodeRange> ranges_;
  std::vector<TimecodeChecker> fast_;  // by range
  const TimecodeChecker outOfLine_;
  std::vector<Part> parts_;
  std::ostream* const progress_;
  const Clock::time_point start_ = Clock::now();
  std::atomic<std::size_t> next_{0};
  std::atomic<std::size_t> done_{0};
  std::mutex mutex_;
  TimecodeOutcome outcome_;
};

}  // namespace

void TimecodeTally::Add(const TimecodeMismatch& mismatch) {
  ++mismatches_;
  const auto at = std::upper_bound(lowest_.begin(), lowest_.end(), mismatch, Lower) - lowest_.begin();
  if (at == static_cast<std::ptrdiff_t>(kKept)) return;
  if (lowest_.size() == kKept) lowest_.pop_back();
  lowest_.insert(lowest_.begin() + at, mismatch);
}

void TimecodeTally::Merge(const TimecodeTally& other, bool countChecked) {
  if (countChecked) checked_ += other.checked_;
  const std::uint64_t mismatches = mismatches_ + other.mismatches_;
  for (const TimecodeMismatch& mismatch : other.lowest_) Add(mismatch);
  mismatches_ = mismatches;
}

std::vector<TimecodeRange> TimecodeRanges() {
  std::vector<TimecodeRange> ranges;
  // Every count within `reach` of 0, the counts either side of ±2^31 and
  // ±2^32, and the ends of the range.
  const auto over = [&](const TimecodeSetting& setting, std::int64_t reach) {
    AddSpan(ranges, setting, reach);
    for (const std::int64_t power : kPowers) {
      ranges.push_back({setting, power - kPowerEdge, power});
      ranges.push_back({setting, power, power + kPowerEdge});
    }
    AddRangeEnds(ranges, setting);
  };
  // A day is 144 stretches of ten minutes, each of 600 seconds' labels less
  // nine dropping minutes' skipped ones.
  const auto day = [](const TimecodeSetting& setting) { return 144 * (600 * setting.timebase - 9 * setting.dropped); };
  const auto overAnHour = [&](const TimecodeSetting& setting) {
    AddSpan(ranges, setting, 3600 * setting.timebase);
    AddRangeEnds(ranges, setting);
  };

  for (std::int64_t k = 1; k <= kDropFrameKs; ++k) {
    const TimecodeSetting setting = DropFrameSetting(k);
    over(setting, k <= kDropFrameKsOverDays ? 2 * day(setting) : day(setting) / 12);
  }
  for (const std::int64_t timebase : kCommonTimebases)
    over(NonDropSetting(timebase), 2 * day(NonDropSetting(timebase)));
  for (std::int64_t timebase = 1; timebase <= 240; ++timebase)
    if (std::find(std::begin(kCommonTimebases), std::end(kCommonTimebases), timebase) == std::end(kCommonTimebases))
      overAnHour(NonDropSetting(timebase));
  // Fractional rates count non-drop at the whole number nearest them:
  // 23.976 never drops frames, and 12.5 counts 13 labels a second.
  overAnHour({{24000, 1001}, Counting::NonDrop, 24, 0});
  overAnHour({{48000, 1001}, Counting::NonDrop, 48, 0});
  overAnHour({{25, 2}, Counting::NonDrop, 13, 0});
  overAnHour({{2997, 100}, Counting::NonDrop, 30, 0});
  for (std::int64_t k = 1; k <= kDropFrameKs; ++k) {
    TimecodeSetting setting = DropFrameSetting(k);
    setting.counting = Counting::NonDrop;
    setting.dropped = 0;
    overAnHour(setting);
  }
  return ranges;
}

TimecodeOutcome VerifyTimecode(std::uint64_t sample, unsigned threads, const TimecodeCheckers& checkers,
                               std::ostream* progress) {
  return TimecodeRun(sample, checkers, progress).Go(threads);
}

}  // namespace kadenzo::verify
