// kadenzo-verify: every 32-bit frame count at every rate through FramesToTime,
// and the time it gives back through TimeToFrames, each checked against the
// double computation that defines it.
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

#include "core/timecode.h"
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

int Usage() {
  std::cerr << "usage: kadenzo-verify [--sample N] [--threads N]\n"
               "  --sample N   check every N-th count and the first and last "
            << kEdgeCounts
            << " counts\n"
               "               at each rate instead of every count\n"
               "  --threads N  check on N threads (default: one per processor)\n";
  return 2;
}

bool ParsePositive(std::string_view text, std::uint64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0;
}

void PrintTime(const TimeFields& time) {
  std::fprintf(stderr, "%u:%02u:%02u:%02u", time.hours, time.minutes, time.seconds, time.frames);
}

void PrintMismatch(const Mismatch& m) {
  std::fprintf(stderr, "kadenzo-verify: MISMATCH at %s fps, count %u: FramesToTime ", RateName(m.rate), m.count);
  PrintTime(m.time);
  std::fprintf(stderr, " (defined ");
  PrintTime(m.definedTime);
  std::fprintf(stderr, "), TimeToFrames of that %llu (defined %llu)\n", static_cast<unsigned long long>(m.frames),
               static_cast<unsigned long long>(m.definedFrames));
}

int Main(int argc, char** argv) {
  Options options;
  options.threads = std::max(1u, std::thread::hardware_concurrency());
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    std::uint64_t value = 0;
    if (i + 1 >= argc || !ParsePositive(argv[i + 1], value)) return Usage();
    ++i;
    if (arg == "--sample") {
      options.sample = value;
    } else if (arg == "--threads" && value <= 1024) {
      options.threads = static_cast<unsigned>(value);
    } else {
      return Usage();
    }
  }

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
  return tally.Mismatches() == 0 && tally.UnexplainedBlocks() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace kadenzo::verify

int main(int argc, char** argv) {
  return kadenzo::verify::Main(argc, argv);
}
