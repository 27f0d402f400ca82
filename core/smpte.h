// SMPTE time code: labels of frames at any rate, counted non-drop or
// drop-frame. The window's own elapsed-time reading is in timecode.h; this is
// the time code an editing program shows, for the command line.
#pragma once

#include <cstdint>
#include <numeric>
#include <optional>

namespace kadenzo::smpte {

// Every frame count this module takes or gives lies within ±kMaxFrames, so
// that no sum of two of them, no label's arithmetic and no conversion to
// seconds overflows 64 bits: at 240 frames a second that is over a million
// hours, at one frame a second over 270 million.
inline constexpr std::int64_t kMaxFrames = 999'999'999'999'999;

// A rate's numerator and denominator are at most this, so that their
// products with each other and with a microsecond's 10^6 fit 64 bits.
inline constexpr std::int64_t kMaxRateTerm = 1'000'000;

// An exact frame rate, num/den frames a second, always reduced and positive.
struct Rate {
  std::int64_t num = 30;
  std::int64_t den = 1;

  friend constexpr bool operator==(const Rate&, const Rate&) = default;
};

// num/den reduced, or nothing when either is out of 1..kMaxRateTerm or the
// rate is below half a frame a second (its timebase would be 0).
constexpr std::optional<Rate> MakeRate(std::int64_t num, std::int64_t den) noexcept {
  if (num < 1 || den < 1 || num > kMaxRateTerm || den > kMaxRateTerm) return std::nullopt;
  const std::int64_t divisor = std::gcd(num, den);
  const Rate rate{num / divisor, den / divisor};
  if (2 * rate.num < rate.den) return std::nullopt;
  return rate;
}

// The labels a second has: the rate rounded to whole frames, halves up
// (29.97 counts 30 labels a second, 23.976 counts 24, 12.5 counts 13).
constexpr std::int64_t Timebase(Rate rate) noexcept {
  return (2 * rate.num + rate.den) / (2 * rate.den);
}

// Drop-frame exists only at 30·k·1000/1001 frames a second (29.97, 59.94,
// 119.88 ...), where skipping 2·k labels a minute, but not in every tenth
// minute, keeps the labels within a frame or two of the clock. 23.976 runs
// at the same 1000/1001 but has no such rule: its labels drift.
// Its timebase must be 30·k: past 479.52 (k = 16) the rate rounds below
// 30·k, and 30000 fps (k = 1001) is a whole rate.
constexpr bool CanDropFrame(Rate rate) noexcept {
  return (rate.num * 1001) % (30000 * rate.den) == 0 && Timebase(rate) == rate.num * 1001 / (1000 * rate.den);
}

// The labels skipped at the start of a dropping minute: 2 at 29.97, 4 at 59.94.
constexpr std::int64_t DroppedPerMinute(Rate rate) noexcept {
  return Timebase(rate) / 15;
}

enum class Counting { NonDrop, DropFrame };

// A time code label. The sign belongs to the count: a negative count is
// written as a minus sign and the label of its magnitude.
struct Label {
  bool negative = false;
  std::int64_t hours = 0;
  std::int64_t minutes = 0;
  std::int64_t seconds = 0;
  std::int64_t frames = 0;

  friend constexpr bool operator==(const Label&, const Label&) = default;
};

// Frames of real time in ten minutes and in a dropping minute.
constexpr std::int64_t FramesPerTenMinutes(Rate rate, Counting counting) noexcept {
  const std::int64_t labels = 600 * Timebase(rate);
  return counting == Counting::DropFrame ? labels - 9 * DroppedPerMinute(rate) : labels;
}

// One day of labels, 00:00:00:00 to 23:59:59:last, as frames.
constexpr std::int64_t FramesPerDay(Rate rate, Counting counting) noexcept {
  return 144 * FramesPerTenMinutes(rate, counting);
}

// What every label at one rate and counting is divided by, worked out once:
// a stream of conversions at the same rate then costs no division for it.
struct LabelScale {
  std::int64_t timebase = 30;
  std::int64_t dropped = 0;               // labels skipped at a dropping minute's start
  std::int64_t perTenMinutes = 18000;     // frames
  std::int64_t perDroppingMinute = 1800;  // frames
  // Every minute holds at least perDroppingMinute frames, so no label of
  // more minutes than this is within kMaxFrames.
  std::int64_t maxMinutes = kMaxFrames / 1800;

  constexpr LabelScale() noexcept = default;
  constexpr LabelScale(Rate rate, Counting counting) noexcept
      : timebase(Timebase(rate)),
        dropped(counting == Counting::DropFrame ? DroppedPerMinute(rate) : 0),
        perTenMinutes(FramesPerTenMinutes(rate, counting)),
        perDroppingMinute(60 * timebase - dropped),
        maxMinutes(kMaxFrames / perDroppingMinute) {}
};

namespace detail {

// The label of a count n >= 0, in the narrowest type that holds it: a
// division of 32-bit numbers takes a fraction of the time of 64-bit ones.
template <class Unsigned>
constexpr Label LabelOf(Unsigned n, const LabelScale& scale) noexcept {
  const auto timebase = static_cast<Unsigned>(scale.timebase);
  if (scale.dropped > 0) {
    // Every ten minutes of frames hold nine dropping minutes' worth of
    // skipped labels; within them, the first minute skips none and each later
    // one skips `dropped` at its start.
    const auto dropped = static_cast<Unsigned>(scale.dropped);
    const auto perTen = static_cast<Unsigned>(scale.perTenMinutes);
    const Unsigned tens = n / perTen;
    const Unsigned rest = n - tens * perTen;
    const Unsigned skippedMinutes =
        rest < dropped ? 0 : (rest - dropped) / static_cast<Unsigned>(scale.perDroppingMinute);
    n += dropped * (9 * tens + skippedMinutes);
  }
  Label label;
  const Unsigned seconds = n / timebase;
  label.frames = static_cast<std::int64_t>(n - seconds * timebase);
  label.seconds = static_cast<std::int64_t>(seconds % 60);
  label.minutes = static_cast<std::int64_t>(seconds / 60 % 60);
  label.hours = static_cast<std::int64_t>(seconds / 3600);
  return label;
}

}  // namespace detail

// The label of a count, |frames| <= kMaxFrames.
constexpr Label FramesToLabel(std::int64_t frames, const LabelScale& scale) noexcept {
  const auto n = static_cast<std::uint64_t>(frames < 0 ? -frames : frames);
  // With the skipped labels added, a count below 2^31 stays below 2^32.
  Label label =
      n < (std::uint64_t{1} << 31) ? detail::LabelOf(static_cast<std::uint32_t>(n), scale) : detail::LabelOf(n, scale);
  label.negative = frames < 0;
  return label;
}

// The label of a count. `counting` must be NonDrop or the rate must
// CanDropFrame, and |frames| <= kMaxFrames.
constexpr Label FramesToLabel(std::int64_t frames, Rate rate, Counting counting) noexcept {
  return FramesToLabel(frames, LabelScale(rate, counting));
}

// Labels that drop-frame counting skips: the first DroppedPerMinute frame
// numbers of every minute but the tenth ones.
constexpr bool IsSkipped(const Label& label, const LabelScale& scale) noexcept {
  return label.seconds == 0 && label.frames < scale.dropped && label.minutes % 10 != 0;
}
constexpr bool IsSkipped(const Label& label, Rate rate) noexcept {
  return IsSkipped(label, LabelScale(rate, Counting::DropFrame));
}

// The count of a label whose fields are in range (minutes and seconds below
// 60, frames below the timebase, not skipped when drop-frame) and whose count
// is within kMaxFrames; nothing when it is not.
constexpr std::optional<std::int64_t> LabelToFrames(const Label& label, const LabelScale& scale) noexcept {
  if (label.hours < 0 || label.minutes < 0 || label.minutes > 59 || label.seconds < 0 || label.seconds > 59 ||
      label.frames < 0 || label.frames >= scale.timebase)
    return std::nullopt;
  // Non-drop counting's scale drops nothing, so skips no label.
  if (IsSkipped(label, scale)) return std::nullopt;
  // Hours beyond this cannot be within kMaxFrames at any timebase.
  if (label.hours > kMaxFrames / 3600) return std::nullopt;
  const std::int64_t minutes = label.hours * 60 + label.minutes;
  if (minutes > scale.maxMinutes) return std::nullopt;
  std::int64_t n = (minutes * 60 + label.seconds) * scale.timebase + label.frames;
  n -= scale.dropped * (minutes - minutes / 10);
  if (n > kMaxFrames) return std::nullopt;
  return label.negative ? -n : n;
}
constexpr std::optional<std::int64_t> LabelToFrames(const Label& label, Rate rate, Counting counting) noexcept {
  return LabelToFrames(label, LabelScale(rate, counting));
}

// The next label drop-frame counting has at or after a skipped one.
constexpr Label NextCountedLabel(Label label, Rate rate) noexcept {
  if (IsSkipped(label, rate)) label.frames = DroppedPerMinute(rate);
  return label;
}

// The count within one day, 0 to FramesPerDay - 1: the time of day a count
// reaches, wrapping round midnight both ways.
constexpr std::int64_t WrapToDay(std::int64_t frames, const LabelScale& scale) noexcept {
  const std::int64_t day = 144 * scale.perTenMinutes;
  const std::int64_t wrapped = frames % day;
  return wrapped < 0 ? wrapped + day : wrapped;
}
constexpr std::int64_t WrapToDay(std::int64_t frames, Rate rate, Counting counting) noexcept {
  return WrapToDay(frames, LabelScale(rate, counting));
}

// A length of time in whole seconds and microseconds, both with the sign of
// the count.
struct Seconds {
  bool negative = false;
  std::int64_t whole = 0;
  std::int64_t micros = 0;  // 0 to 999999

  friend constexpr bool operator==(const Seconds&, const Seconds&) = default;
};

// The time a count lasts, rounded to the nearest microsecond, halves away
// from zero. Exact: frames·den/num is worked out in steps small enough that
// nothing overflows for |frames| <= kMaxFrames.
constexpr Seconds FramesToSeconds(std::int64_t frames, Rate rate) noexcept {
  const std::int64_t n = frames < 0 ? -frames : frames;
  // Each whole num frames last den seconds; the rest, part / num seconds.
  const std::int64_t part = n % rate.num * rate.den;
  Seconds seconds{frames < 0, n / rate.num * rate.den + part / rate.num,
                  (part % rate.num * 2'000'000 + rate.num) / (2 * rate.num)};
  if (seconds.micros == 1'000'000) {
    ++seconds.whole;
    seconds.micros = 0;
  }
  if (seconds.whole == 0 && seconds.micros == 0) seconds.negative = false;
  return seconds;
}

}  // namespace kadenzo::smpte
