// What the conversions and one edit of the calculator sheet cost.
//
// Each conversion is timed against a baseline in the same benchmark, batch
// for batch, in turns: a busy or throttled machine slows both alike, so their
// ratio holds where the nanoseconds do not. The baselines are the same work
// without the correction and without looking up the rate: a plain split of a
// count into h:m:s:f, and the plain frame count of a time. Both are kept out
// of line, as the library's functions are to this program.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/calculator_sheet.h"
#include "core/timecode.h"
#include "tests/support/echoing_display.h"

namespace kadenzo {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kBatch = 1024;

[[gnu::noinline]] TimeFields PlainSplit(std::uint32_t count, std::uint32_t fps) {
  const std::uint64_t n = count;
  const std::uint64_t perMinute = std::uint64_t{fps} * 60;
  const std::uint64_t perHour = perMinute * 60;
  const std::uint64_t inHour = n % perHour;
  const std::uint64_t inMinute = inHour % perMinute;
  return TimeFields{static_cast<std::uint32_t>(n / perHour), static_cast<std::uint32_t>(inHour / perMinute),
                    static_cast<std::uint32_t>(inMinute / fps), static_cast<std::uint32_t>(inMinute % fps)};
}

[[gnu::noinline]] std::uint64_t PlainFrames(const TimeFields& time, std::uint32_t fps) {
  return fps * (std::uint64_t{time.hours} * 3600 + std::uint64_t{time.minutes} * 60 + time.seconds) + time.frames;
}

// Counts spread over the whole 32-bit range, so that neither the branch on
// the correction nor the size of the hours is the same every time.
const std::vector<std::uint32_t>& Counts() {
  static const std::vector<std::uint32_t> counts = [] {
    std::vector<std::uint32_t> values(kBatch);
    std::uint32_t x = 12345;
    for (std::uint32_t& value : values) value = x = x * 1664525u + 1013904223u;
    values[0] = 0;
    values[1] = 23;
    values[2] = 4294967295u;
    return values;
  }();
  return counts;
}

std::vector<TimeFields> Times(FrameRate rate) {
  std::vector<TimeFields> times;
  for (std::uint32_t count : Counts()) times.push_back(FramesToTime(count, rate));
  return times;
}

// Runs `measured` and `baseline` over a batch each per iteration, taking turns
// at going first, and reports the time of `measured` with both per call and
// their ratio.
template <class Measured, class Baseline>
void Interleaved(benchmark::State& state, Measured measured, Baseline baseline) {
  Clock::duration measuredTime{};
  Clock::duration baselineTime{};
  bool baselineFirst = false;
  for (auto _ : state) {
    baselineFirst = !baselineFirst;
    const Clock::time_point start = Clock::now();
    if (baselineFirst) baseline();
    const Clock::time_point middle = Clock::now();
    measured();
    const Clock::time_point end = Clock::now();
    if (!baselineFirst) baseline();
    const Clock::time_point after = Clock::now();
    const Clock::duration measuredBatch = end - middle;
    measuredTime += measuredBatch;
    baselineTime += baselineFirst ? middle - start : after - end;
    state.SetIterationTime(std::chrono::duration<double>(measuredBatch).count());
  }
  const double calls = static_cast<double>(state.iterations()) * kBatch;
  const double measuredNs = std::chrono::duration<double, std::nano>(measuredTime).count() / calls;
  const double baselineNs = std::chrono::duration<double, std::nano>(baselineTime).count() / calls;
  state.counters["ns_per_call"] = measuredNs;
  state.counters["baseline_ns"] = baselineNs;
  state.counters["ratio"] = measuredNs / baselineNs;
  state.SetItemsProcessed(static_cast<std::int64_t>(calls));
}

void BM_FramesToTime(benchmark::State& state) {
  const auto rate = static_cast<FrameRate>(state.range(0));
  const std::uint32_t fps = NominalFps(rate);
  const std::vector<std::uint32_t>& counts = Counts();
  Interleaved(
      state,
      [&] {
        for (std::uint32_t count : counts) benchmark::DoNotOptimize(FramesToTime(count, rate));
      },
      [&] {
        for (std::uint32_t count : counts) benchmark::DoNotOptimize(PlainSplit(count, fps));
      });
}

void BM_TimeToFrames(benchmark::State& state) {
  const auto rate = static_cast<FrameRate>(state.range(0));
  const std::uint32_t fps = NominalFps(rate);
  const std::vector<TimeFields> times = Times(rate);
  Interleaved(
      state,
      [&] {
        for (const TimeFields& time : times) benchmark::DoNotOptimize(TimeToFrames(time, rate));
      },
      [&] {
        for (const TimeFields& time : times) benchmark::DoNotOptimize(PlainFrames(time, fps));
      });
}

// A person typing a count: the sheet reads it, writes the four time fields,
// which the display reports straight back, and the five result fields. The
// time per iteration is the time per edit.
void BM_SheetCountEdit(benchmark::State& state) {
  testing_support::EchoingDisplay display;
  CalculatorSheet sheet(display);
  display.Attach(sheet);
  sheet.Initialise();
  sheet.SetRate(static_cast<FrameRate>(state.range(0)));
  display.Edit(SheetField::SecondCount, "1800");
  const std::array<std::string, 4> texts = {"108000", "4294900000", "1799", "29"};
  std::size_t next = 0;
  for (auto _ : state) {
    display.Edit(SheetField::FirstCount, texts[next]);
    next = (next + 1) % texts.size();
  }
  benchmark::DoNotOptimize(display.Text(SheetField::ResultFrames));
}

void AllRates(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgName("rate");
  for (std::uint32_t rate = 0; rate < kRateCount; ++rate) benchmark->Arg(rate);
}

BENCHMARK(BM_FramesToTime)->Apply(AllRates)->UseManualTime();
BENCHMARK(BM_TimeToFrames)->Apply(AllRates)->UseManualTime();
BENCHMARK(BM_SheetCountEdit)->Arg(RateIndex(kRate30))->Arg(RateIndex(kRate29_97))->ArgName("rate");

}  // namespace
}  // namespace kadenzo

BENCHMARK_MAIN();
