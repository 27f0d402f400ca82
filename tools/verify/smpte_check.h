// Checks SMPTE time code labels (core/smpte.h), one frame count at a time:
// FramesToLabel's label goes back to the count through LabelToFrames, comes
// after the label of the count before, is never one that drop-frame counting
// skips, and equals the label a reference derives from the counting rule
// alone, written apart from the core's arithmetic. The conversions are a
// template parameter so that the same checks can be pointed at deliberately
// broken ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

#include "core/smpte.h"
#include "tools/verify/conversion_check.h"

namespace kadenzo::verify {

using smpte::Counting;
using smpte::Label;

// What a stretch of counts is checked at: the rate and counting the core is
// given, and what the rule makes of them, stated by whoever lists the
// stretches rather than worked out by the core: the labels a second has and
// the frame numbers skipped at the start of a dropping minute (0 non-drop).
struct TimecodeSetting {
  smpte::Rate rate;
  Counting counting = Counting::NonDrop;
  std::int64_t timebase = 0;
  std::int64_t dropped = 0;

  friend constexpr bool operator==(const TimecodeSetting&, const TimecodeSetting&) = default;
};

// Non-drop time code at `timebase` whole frames a second.
constexpr TimecodeSetting NonDropSetting(std::int64_t timebase) noexcept {
  return {{timebase, 1}, Counting::NonDrop, timebase, 0};
}

// Drop-frame time code at 30·k·1000/1001 frames a second: 30·k labels a
// second, the first 2·k frame numbers of every minute skipped except in
// minutes divisible by ten.
constexpr TimecodeSetting DropFrameSetting(std::int64_t k) noexcept {
  const std::int64_t divisor = std::gcd(30000 * k, std::int64_t{1001});
  return {{30000 * k / divisor, 1001 / divisor}, Counting::DropFrame, 30 * k, 2 * k};
}

// The label of a count, from the counting rule and nothing else.
//
// Frame numbers run from 0 to timebase - 1 in each second. In a dropping
// minute, every minute whose number (counted from 0 at 00:00) is not a
// multiple of ten, the first `dropped` frame numbers of its second 0 are not
// used. Minute M therefore holds 60·timebase labels less `dropped` unless
// M % 10 == 0, and since ceil(M / 10) of the minutes 0 .. M-1 are multiples
// of ten, the minutes before M hold
//
//   Before(M) = 60·timebase·M - dropped·(M - ceil(M / 10))
//
// counts. Count n lies in the minute M with Before(M) <= n < Before(M + 1).
// Before(M) lies between the average line A(M) = M·(60·timebase - 0.9·dropped)
// and A(M) + 0.9·dropped, so for the guess g with A(g) <= n < A(g + 1),
// Before(g + 1) > n and Before(g - 1) <= A(g) - (60·timebase - 0.9·dropped)
// + 0.9·dropped < n: M is g or g - 1. n - Before(M) counts into that minute,
// whose skipped numbers come first. Non-drop is the same with nothing
// dropped. A negative count has the label of its magnitude.
constexpr std::int64_t CountsBeforeMinute(std::int64_t minute, std::int64_t timebase, std::int64_t dropped) noexcept {
  return 60 * timebase * minute - dropped * (minute - (minute + 9) / 10);
}

constexpr Label ReferenceLabel(std::int64_t count, std::int64_t timebase, std::int64_t dropped) noexcept {
  const std::int64_t n = count < 0 ? -count : count;
  const std::int64_t guess = n * 10 / (600 * timebase - 9 * dropped);
  const std::int64_t minute = CountsBeforeMinute(guess, timebase, dropped) > n ? guess - 1 : guess;
  const std::int64_t number = n - CountsBeforeMinute(minute, timebase, dropped) + (minute % 10 != 0 ? dropped : 0);
  return Label{count < 0, minute / 60, minute % 60, number / timebase, number % timebase};
}

// A label drop-frame counting skips, by the rule.
constexpr bool ReferenceSkipped(const Label& label, std::int64_t dropped) noexcept {
  return label.minutes % 10 != 0 && label.seconds == 0 && label.frames < dropped;
}

// Whether `a` is earlier than `b` as signed times: a minus sign reverses
// the order of the fields it stands before.
constexpr bool LabelBefore(const Label& a, const Label& b) noexcept {
  if (a.negative != b.negative) return a.negative;
  const Label& low = a.negative ? b : a;
  const Label& high = a.negative ? a : b;
  if (low.hours != high.hours) return low.hours < high.hours;
  if (low.minutes != high.minutes) return low.minutes < high.minutes;
  if (low.seconds != high.seconds) return low.seconds < high.seconds;
  return low.frames < high.frames;
}

// What can be wrong with one count's label; a mismatch has one or more.
enum TimecodeFailure : unsigned {
  kRoundTripFails = 1,  // LabelToFrames does not give the count back
  kOutOfOrder = 2,      // not after the label of the count before
  kSkippedLabel = 4,    // drop-frame skips this label (by IsSkipped or the rule)
  kNotTheRule = 8,      // not the reference's label
};

struct TimecodeMismatch {
  TimecodeSetting setting;
  std::int64_t count = 0;
  Label label;                       // what FramesToLabel gave
  Label expected;                    // what the reference gives
  std::optional<Label> previous;     // FramesToLabel of count - 1, when that is in range
  std::optional<std::int64_t> back;  // LabelToFrames of `label`
  unsigned failures = 0;             // TimecodeFailure bits
};

// What a stretch of checks found: how many counts, how many of them wrong,
// and the lowest few of those (by rate, counting, count) in full.
class TimecodeTally {
 public:
  static constexpr std::size_t kKept = 8;

  void AddChecked(std::uint64_t counts) noexcept { checked_ += counts; }
  void Add(const TimecodeMismatch& mismatch);
  // Adds another tally's findings; with countChecked false, not its counts
  // (a second look at counts already counted).
  void Merge(const TimecodeTally& other, bool countChecked = true);

  std::uint64_t Checked() const noexcept { return checked_; }
  std::uint64_t Mismatches() const noexcept { return mismatches_; }
  const std::vector<TimecodeMismatch>& Lowest() const noexcept { return lowest_; }

 private:
  std::uint64_t checked_ = 0;
  std::uint64_t mismatches_ = 0;
  std::vector<TimecodeMismatch> lowest_;
};

// The core's conversions, called directly so that with a constant rate they
// inline and their divisions become multiplications.
struct CoreLabels {
  static Label FramesToLabel(std::int64_t frames, smpte::Rate rate, Counting counting) {
    return smpte::FramesToLabel(frames, rate, counting);
  }
  static std::optional<std::int64_t> LabelToFrames(const Label& label, smpte::Rate rate, Counting counting) {
    return smpte::LabelToFrames(label, rate, counting);
  }
  static bool IsSkipped(const Label& label, smpte::Rate rate) { return smpte::IsSkipped(label, rate); }
};

// One count, checked and, if anything is wrong, recorded in full.
template <class Conversions>
KADENZO_NOINLINE void RecordTimecodeCount(const TimecodeSetting& s, std::int64_t count, TimecodeTally& tally) {
  TimecodeMismatch m{s,
                     count,
                     Conversions::FramesToLabel(count, s.rate, s.counting),
                     ReferenceLabel(count, s.timebase, s.dropped),
                     std::nullopt,
                     std::nullopt,
                     0};
  if (count - 1 >= -smpte::kMaxFrames) m.previous = Conversions::FramesToLabel(count - 1, s.rate, s.counting);
  m.back = Conversions::LabelToFrames(m.label, s.rate, s.counting);
  if (m.back != count) m.failures |= kRoundTripFails;
  if (m.previous && !LabelBefore(*m.previous, m.label)) m.failures |= kOutOfOrder;
  if (s.counting == Counting::DropFrame &&
      (Conversions::IsSkipped(m.label, s.rate) || ReferenceSkipped(m.label, s.dropped)))
    m.failures |= kSkippedLabel;
  if (!(m.label == m.expected)) m.failures |= kNotTheRule;
  if (m.failures != 0) tally.Add(m);
}

// Where a stretch's setting comes from: a constant of the type, so that the
// compiler sees the rate, or the run-time value it is handed.
template <std::int64_t kK>
struct DropFrameAt {
  static constexpr TimecodeSetting Get(const TimecodeSetting&) noexcept { return DropFrameSetting(kK); }
};
template <std::int64_t kTimebase>
struct NonDropAt {
  static constexpr TimecodeSetting Get(const TimecodeSetting&) noexcept { return NonDropSetting(kTimebase); }
};
struct SettingAtRunTime {
  static constexpr TimecodeSetting Get(const TimecodeSetting& setting) noexcept { return setting; }
};

// The counts first, first + stride, ... below end (multiples of stride when
// it is above 1), each against the count before it; the tally learns how
// many and which were wrong.
template <class Conversions, class SettingOf>
KADENZO_FLATTEN void CheckLabels(const TimecodeSetting& given, std::int64_t first, std::int64_t end,
                                 std::int64_t stride, TimecodeTally& tally) {
  const TimecodeSetting s = SettingOf::Get(given);
  std::int64_t count = first;
  if (stride > 1) {
    count = first / stride * stride;
    if (count < first) count += stride;
  }
  std::uint64_t checked = 0;
  Label previous;
  bool hasPrevious = false;
  for (; count < end; count += stride, ++checked) {
    if (stride != 1 || !hasPrevious) {
      hasPrevious = count - 1 >= -smpte::kMaxFrames;
      if (hasPrevious) previous = Conversions::FramesToLabel(count - 1, s.rate, s.counting);
    }
    const Label label = Conversions::FramesToLabel(count, s.rate, s.counting);
    const std::optional<std::int64_t> back = Conversions::LabelToFrames(label, s.rate, s.counting);
    bool bad = back != count || !(label == ReferenceLabel(count, s.timebase, s.dropped)) ||
               (hasPrevious && !LabelBefore(previous, label));
    if (s.counting == Counting::DropFrame)
      bad = bad || Conversions::IsSkipped(label, s.rate) || ReferenceSkipped(label, s.dropped);
    if (bad) [[unlikely]]
      RecordTimecodeCount<Conversions>(s, count, tally);
    previous = label;
    hasPrevious = true;
  }
  tally.AddChecked(checked);
}

using TimecodeChecker = void (*)(const TimecodeSetting& setting, std::int64_t first, std::int64_t end,
                                 std::int64_t stride, TimecodeTally& tally);

// The drop-frame rates 30·k·1000/1001 and non-drop timebases whose checks
// are built with the rate a compile-time constant: those with the most
// counts to check.
inline constexpr std::int64_t kDropFrameKs = 16;
inline constexpr std::int64_t kCommonTimebases[] = {24, 25, 30, 48, 50, 60, 72, 96, 100, 120, 240};

namespace detail {

template <class Conversions, std::int64_t... kKs>
TimecodeChecker DropFrameChecker(const TimecodeSetting& setting, std::integer_sequence<std::int64_t, kKs...>) {
  TimecodeChecker checker = nullptr;
  ((setting == DropFrameSetting(kKs + 1) ? (void)(checker = &CheckLabels<Conversions, DropFrameAt<kKs + 1>>) : (void)0),
   ...);
  return checker;
}

template <class Conversions, std::size_t... kIndices>
TimecodeChecker NonDropChecker(const TimecodeSetting& setting, std::index_sequence<kIndices...>) {
  TimecodeChecker checker = nullptr;
  ((setting == NonDropSetting(kCommonTimebases[kIndices])
        ? (void)(checker = &CheckLabels<Conversions, NonDropAt<kCommonTimebases[kIndices]>>)
        : (void)0),
   ...);
  return checker;
}

}  // namespace detail

// The fastest check for a setting: one built for it, or one that reads it.
template <class Conversions>
TimecodeChecker TimecodeCheckerFor(const TimecodeSetting& setting) {
  if (const TimecodeChecker checker =
          detail::DropFrameChecker<Conversions>(setting, std::make_integer_sequence<std::int64_t, kDropFrameKs>()))
    return checker;
  if (const TimecodeChecker checker = detail::NonDropChecker<Conversions>(
          setting, std::make_index_sequence<sizeof kCommonTimebases / sizeof kCommonTimebases[0]>()))
    return checker;
  return &CheckLabels<Conversions, SettingAtRunTime>;
}

// The same check for every setting, reading it at run time.
template <class Conversions>
TimecodeChecker TimecodeCheckerAtRunTime(const TimecodeSetting&) {
  return &CheckLabels<Conversions, SettingAtRunTime>;
}

// One stretch of counts, [first, end), at one setting.
struct TimecodeRange {
  TimecodeSetting setting;
  std::int64_t first = 0;
  std::int64_t end = 0;
};

// Every stretch the time code check covers:
//  - drop-frame at every rate 30·k·1000/1001 with k = 1 .. kDropFrameKs, and
//    non-drop at the common timebases: every count from -2 to +2 days (from
//    -2 to +2 hours at k above 8, 269.73 fps and more), the 10^6 counts
//    either side of ±2^31 and ±2^32, and the 10^4 counts at each end of the
//    range, ±kMaxFrames;
//  - non-drop at every other whole timebase from 1 to 240 and at fractional
//    rates (23.976, 12.5, the drop-frame rates counted non-drop): every count
//    from -1 to +1 hour, and the ends of the range.
// The stretches are split at 0, ±2^31 and ±2^32, so that a sampled run
// checks each of those in full too.
std::vector<TimecodeRange> TimecodeRanges();

// With a sample, every stretch's first and last kTimecodeSampleEdge counts
// are checked in full and every sample-th count between.
inline constexpr std::int64_t kTimecodeSampleEdge = 2000;

// The checks for one set of conversions, instantiated by the caller.
struct TimecodeCheckers {
  // The fastest check for a setting (TimecodeCheckerFor).
  TimecodeChecker (*checkerFor)(const TimecodeSetting& setting);
  // A second check for any setting, through conversions the compiler cannot
  // see into: the form the command runs, with the rate a run-time value.
  TimecodeChecker outOfLine;
};

struct TimecodeOutcome {
  TimecodeTally tally;
  std::size_t settings = 0;     // how many rate and counting pairs
  std::uint64_t rechecked = 0;  // counts checked a second time, out of line
  double seconds = 0;
};

// Checks TimecodeRanges() on `threads` threads. With sample 0, every count,
// and every kRecheckStride-th count once more out of line; otherwise each
// stretch's edges and, out of line, every sample-th count between them. With
// progress set, writes a line to it at each quarter.
TimecodeOutcome VerifyTimecode(std::uint64_t sample, unsigned threads, const TimecodeCheckers& checkers,
                               std::ostream* progress);

}  // namespace kadenzo::verify
