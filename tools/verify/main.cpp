// kadenzo-verify: every 32-bit frame count at every rate through FramesToTime,
// and the time it gives back through TimeToFrames, each checked against the
// double computation that defines it. Then the SMPTE time code labels of
// core/smpte.h (tools/verify/smpte_check.h): drop-frame and non-drop, over
// days of counts at the common rates and an hour at every other whole
// timebase to 240, each label checked against the counting rule.
//
// The conversions are constexpr functions in core/timecode.h, so the checks
// below, calling them with the rate as a compile-time constant, inline them
// and the divisions by the frames in an hour, a minute and a second become
// multiplications: 2^32 counts at five rates take under a minute on two
// otherwise idle cores instead of some three. The form the program runs,
// with the rate a run-time value, is checked as well: on every 251st count of
// a full run and on every sampled count, through pointers the compiler cannot
// see through.
#include <charconv>
#include <cstdio>
#include <iostream>
#include <string_view>
#include <thread>

#include "core/smpte.h"
#include "core/timecode.h"
#include "tools/verify/smpte_check.h"
#include "tools/verify/verify_driver.h"

namespace kadenzo::verify {
namespace {

struct InlinedConversions {
  static TimeFields FramesToTime(std::uint32_t count, FrameRate rate) { return kadenzo::FramesToTime(count, rate); }
  static std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) {
    return kadenzo::TimeToFrames(time, rate);
  }
};

TimeFields (*volatile const gFramesToTime)(std::uint32_t, FrameRate) noexcept = &kadenzo::FramesToTime;
std::uint64_t (*volatile const gTimeToFrames)(const TimeFields&, FrameRate) noexcept = &kadenzo::TimeToFrames;

struct OutOfLineConversions {
  static TimeFields FramesToTime(std::uint32_t count, FrameRate rate) { return gFramesToTime(count, rate); }
  static std::uint64_t TimeToFrames(const TimeFields& time, FrameRate rate) { return gTimeToFrames(time, rate); }
};

constexpr Checkers kCoreCheckers{&CheckRun<InlinedConversions>, &CheckEvery<OutOfLineConversions>};

smpte::Label (*volatile const gFramesToLabel)(std::int64_t, smpte::Rate, Counting) noexcept = &smpte::FramesToLabel;
std::optional<std::int64_t> (*volatile const gLabelToFrames)(const smpte::Label&, smpte::Rate,
                                                             Counting) noexcept = &smpte::LabelToFrames;
bool (*volatile const gIsSkipped)(const smpte::Label&, smpte::Rate) noexcept = &smpte::IsSkipped;

struct OutOfLineLabels {
  static smpte::Label FramesToLabel(std::int64_t frames, smpte::Rate rate, Counting counting) {
    return gFramesToLabel(frames, rate, counting);
  }
  static std::optional<std::int64_t> LabelToFrames(const smpte::Label& label, smpte::Rate rate, Counting counting) {
    return gLabelToFrames(label, rate, counting);
  }
  static bool IsSkipped(const smpte::Label& label, smpte::Rate rate) { return gIsSkipped(label, rate); }
};

const TimecodeCheckers kTimecodeCheckers{&TimecodeCheckerFor<CoreLabels>,
                                         &CheckLabels<OutOfLineLabels, SettingAtRunTime>};

int Usage() {
  std::cerr << "usage: kadenzo-verify [--sample N] [--threads N] [--only window|timecode]\n"
               "  --sample N   check every N-th count and the first and last "
            << kEdgeCounts
            << " counts\n"
               "               at each rate instead of every count; of the time code\n"
               "               stretches, the first and last "
            << kTimecodeSampleEdge
            << " and every N-th between\n"
               "  --threads N  check on N threads (default: one per processor)\n"
               "  --only C     only the window's conversions or only the time code labels\n";
  return 2;
}

bool ParsePositive(std::string_view text, std::uint64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0;
}

void PrintTime(const TimeFields& time) {
  std::fprintf(stderr, "%u:%02u:%02u:%02u", time.hours, time.minutes, time.seconds, time.frames);
}

void PrintLabel(const smpte::Label& label, Counting counting) {
  std::fprintf(stderr, "%s%02lld:%02lld:%02lld%c%02lld", label.negative ? "-" : "", static_cast<long long>(label.hours),
               static_cast<long long>(label.minutes), static_cast<long long>(label.seconds),
               counting == Counting::DropFrame ? ';' : ':', static_cast<long long>(label.frames));
}

void PrintTimecodeMismatch(const TimecodeMismatch& m) {
  const TimecodeSetting& s = m.setting;
  std::fprintf(stderr, "kadenzo-verify: MISMATCH at %lld/%lld fps %s, count %lld: FramesToLabel ",
               static_cast<long long>(s.rate.num), static_cast<long long>(s.rate.den),
               s.counting == Counting::DropFrame ? "drop-frame" : "non-drop", static_cast<long long>(m.count));
  PrintLabel(m.label, s.counting);
  std::fprintf(stderr, " (the rule: ");
  PrintLabel(m.expected, s.counting);
  std::fprintf(stderr, "), LabelToFrames of that ");
  if (m.back)
    std::fprintf(stderr, "%lld", static_cast<long long>(*m.back));
  else
    std::fprintf(stderr, "nothing");
  if (m.previous) {
    std::fprintf(stderr, ", count - 1 ");
    PrintLabel(*m.previous, s.counting);
  }
  std::fprintf(stderr, ":%s%s%s%s\n", m.failures & kRoundTripFails ? " no round trip" : "",
               m.failures & kOutOfOrder ? " out of order" : "", m.failures & kSkippedLabel ? " a skipped label" : "",
               m.failures & kNotTheRule ? " not the rule's label" : "");
}

void PrintMismatch(const Mismatch& m) {
  std::fprintf(stderr, "kadenzo-verify: MISMATCH at %s fps, count %u: FramesToTime ", RateName(m.rate), m.count);
  PrintTime(m.time);
  std::fprintf(stderr, " (defined ");
  PrintTime(m.definedTime);
  std::fprintf(stderr, "), TimeToFrames of that %llu (defined %llu)\n", static_cast<unsigned long long>(m.frames),
               static_cast<unsigned long long>(m.definedFrames));
}

// The window's conversions of every 32-bit count; true when all agree.
bool VerifyWindow(const Options& options) {
  const Outcome outcome = Verify(options, kCoreCheckers, &std::cerr);
  const Tally& tally = outcome.tally;
  for (const Mismatch& mismatch : tally.Lowest()) PrintMismatch(mismatch);
  if (tally.Mismatches() > tally.Lowest().size())
    std::fprintf(stderr, "kadenzo-verify: ... and %llu more\n",
                 static_cast<unsigned long long>(tally.Mismatches() - tally.Lowest().size()));
  if (tally.UnexplainedBlocks() > 0)
    std::fprintf(stderr, "kadenzo-verify: the fast check rejected %llu blocks in which no count is wrong\n",
                 static_cast<unsigned long long>(tally.UnexplainedBlocks()));
  if (outcome.rechecked > 0)
    std::fprintf(stderr, "kadenzo-verify: %llu of those counts checked again out of line\n",
                 static_cast<unsigned long long>(outcome.rechecked));
  std::printf("kadenzo-verify: %llu counts checked, %llu mismatches, %.1f s\n",
              static_cast<unsigned long long>(tally.Checked()), static_cast<unsigned long long>(tally.Mismatches()),
              outcome.seconds);
  std::fflush(stdout);
  return tally.Mismatches() == 0 && tally.UnexplainedBlocks() == 0;
}

// The time code labels; true when all agree.
bool VerifyTimecodeLabels(const Options& options) {
  const TimecodeOutcome outcome = VerifyTimecode(options.sample, options.threads, kTimecodeCheckers, &std::cerr);
  const TimecodeTally& tally = outcome.tally;
  for (const TimecodeMismatch& mismatch : tally.Lowest()) PrintTimecodeMismatch(mismatch);
  if (tally.Mismatches() > tally.Lowest().size())
    std::fprintf(stderr, "kadenzo-verify: ... and %llu more\n",
                 static_cast<unsigned long long>(tally.Mismatches() - tally.Lowest().size()));
  if (outcome.rechecked > 0)
    std::fprintf(stderr, "kadenzo-verify: %llu time code counts checked again out of line\n",
                 static_cast<unsigned long long>(outcome.rechecked));
  std::printf("kadenzo-verify: %llu time code labels checked at %llu rates and countings, %llu mismatches, %.1f s\n",
              static_cast<unsigned long long>(tally.Checked()), static_cast<unsigned long long>(outcome.settings),
              static_cast<unsigned long long>(tally.Mismatches()), outcome.seconds);
  std::fflush(stdout);
  return tally.Mismatches() == 0;
}

int Main(int argc, char** argv) {
  Options options;
  options.threads = std::max(1u, std::thread::hardware_concurrency());
  bool window = true;
  bool timecode = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return Usage();
    const std::string_view value = argv[++i];
    std::uint64_t number = 0;
    if (arg == "--only" && (value == "window" || value == "timecode")) {
      window = value == "window";
      timecode = value == "timecode";
    } else if (arg == "--sample" && ParsePositive(value, number)) {
      options.sample = number;
    } else if (arg == "--threads" && ParsePositive(value, number) && number <= 1024) {
      options.threads = static_cast<unsigned>(number);
    } else {
      return Usage();
    }
  }

  bool agree = true;
  if (window) agree = VerifyWindow(options) && agree;
  if (timecode) agree = VerifyTimecodeLabels(options) && agree;
  return agree ? 0 : 1;
}

}  // namespace
}  // namespace kadenzo::verify

int main(int argc, char** argv) {
  return kadenzo::verify::Main(argc, argv);
}
