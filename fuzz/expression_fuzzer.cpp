// Feeds the time code expression parser (core/smpte_expression.h) texts from
// libFuzzer's input at a rate the input chooses, and checks what it says:
//
//   - a value is within ±kMaxFrames, and a time code counted drop-frame
//     only at a rate that has drop-frame time code;
//   - the value's label, non-drop and (where the rate has it) drop-frame,
//     formatted and read back, is the same count; so are its seconds at
//     rates up to 1000 frames a second, where a microsecond is below half a
//     frame;
//   - an error names a column from 1 to one past the end of the text;
//   - reading one expression after another (EvaluateNextExpression) moves
//     forward every time and ends, and when the whole text is one
//     expression, reads it as EvaluateExpression does.
//
// The input: a rate byte r, a flags byte f, then the text.
//   r below 240: kRates[r % size]; otherwise the next six bytes, a numerator
//     and a denominator of three bytes each (little endian) for MakeRate, 30
//     when it refuses them;
//   f & 1: time codes with only ':' are drop-frame, where the rate has it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include "core/smpte.h"
#include "core/smpte_expression.h"
#include "core/smpte_text.h"

namespace kadenzo::smpte {
namespace {

constexpr Rate kRates[] = {
    {24000, 1001}, {24, 1},     {25, 1},       {30000, 1001},  {30, 1},        {48, 1},         {50, 1},
    {60000, 1001}, {60, 1},     {120, 1},      {240000, 1001}, {1, 1},         {25, 2},         {1, 2},
    {13, 1},       {100, 1},    {90000, 1001}, {480000, 1001}, {510000, 1001}, {1000000, 1},    {1000000, 999999},
    {30000, 1},    {2997, 100}, {240, 1},      {120000, 1001}, {3, 1},         {1000000, 1001}, {48000, 1001},
};

// On failure: what was wrong, and the input that made it so.
[[noreturn]] void Fail(const char* what, Rate rate, std::string_view text, const std::string& detail) {
  std::fprintf(stderr, "expression_fuzzer: %s\n  rate %lld/%lld, text \"", what, static_cast<long long>(rate.num),
               static_cast<long long>(rate.den));
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && byte != '"' && byte != '\\')
      std::fputc(byte, stderr);
    else
      std::fprintf(stderr, "\\x%02x", byte);
  }
  std::fprintf(stderr, "\"\n  %s\n", detail.c_str());
  std::abort();
}

void Expect(bool holds, const char* what, Rate rate, std::string_view text, const std::string& detail = "") {
  if (!holds) Fail(what, rate, text, detail);
}

void CheckError(const ExpressionResult& result, Rate rate, std::string_view text) {
  Expect(result.error.column >= 1 && result.error.column <= text.size() + 1, "an error's column is in the text", rate,
         text, "column " + std::to_string(result.error.column) + ": " + result.error.message);
  Expect(!result.error.message.empty(), "an error says what is wrong", rate, text);
}

void CheckValue(const Evaluation& value, Rate rate, std::string_view text) {
  Expect(value.frames >= -kMaxFrames && value.frames <= kMaxFrames, "a value is within kMaxFrames", rate, text,
         std::to_string(value.frames));
  Expect(value.notation != Counting::DropFrame || CanDropFrame(rate), "drop-frame time code only at a rate that has it",
         rate, text);
}

// The value's label and seconds, written as the command writes them, read
// back as the same count.
void CheckReadBack(std::int64_t frames, Rate rate, std::string_view text) {
  char written[kMaxTextSize];
  for (const Counting counting : {Counting::NonDrop, Counting::DropFrame}) {
    if (counting == Counting::DropFrame && !CanDropFrame(rate)) continue;
    const Label label = FramesToLabel(frames, rate, counting);
    const std::string_view labelText(written, FormatLabel(label, counting, written));
    const ExpressionResult read = EvaluateExpression(labelText, ReadOptions{rate, counting});
    Expect(read.value && read.value->frames == frames && read.value->notation == counting,
           "a value's label reads back as the value", rate, text,
           std::to_string(frames) + " -> " + std::string(labelText) + " -> " +
               (read.value ? std::to_string(read.value->frames) : read.error.message));
  }
  const Seconds seconds = FramesToSeconds(frames, rate);
  if (rate.num > 1000 * rate.den || seconds.whole >= 1'000'000'000'000) return;
  const std::size_t size = FormatSeconds(seconds, written);
  written[size] = 's';
  const std::string_view secondsText(written, size + 1);
  const ExpressionResult read = EvaluateExpression(secondsText, ReadOptions{rate, Counting::NonDrop});
  Expect(read.value && read.value->frames == frames, "a value's seconds read back as the value", rate, text,
         std::to_string(frames) + " -> " + std::string(secondsText) + " -> " +
             (read.value ? std::to_string(read.value->frames) : read.error.message));
}

void Run(const std::uint8_t* data, std::size_t size) {
  std::size_t next = 0;
  const auto byte = [&]() -> std::uint8_t { return next < size ? data[next++] : 0; };
  const std::uint8_t choice = byte();
  Rate rate = kRates[choice % std::size(kRates)];
  if (choice >= 240) {
    std::int64_t terms[2] = {};
    for (std::int64_t& term : terms)
      for (int shift = 0; shift < 24; shift += 8) term |= std::int64_t{byte()} << shift;
    rate = MakeRate(terms[0], terms[1]).value_or(Rate{30, 1});
  }
  const std::uint8_t flags = byte();
  const ReadOptions options{rate, (flags & 1) != 0 && CanDropFrame(rate) ? Counting::DropFrame : Counting::NonDrop};
  const std::string_view text(reinterpret_cast<const char*>(data) + next, size - next);

  const ExpressionResult whole = EvaluateExpression(text, options);
  if (whole.value) {
    CheckValue(*whole.value, rate, text);
    CheckReadBack(whole.value->frames, rate, text);
  } else {
    CheckError(whole, rate, text);
  }

  std::size_t position = 0;
  for (int expressions = 0; position < text.size(); ++expressions) {
    const std::size_t before = position;
    const ExpressionResult result = EvaluateNextExpression(text, position, options);
    Expect(position <= text.size(), "the next expression ends within the text", rate, text);
    if (!result.value) {
      CheckError(result, rate, text);
      break;
    }
    CheckValue(*result.value, rate, text);
    Expect(position > before, "each expression moves forward", rate, text, "at " + std::to_string(before));
    if (expressions == 0 && whole.value)
      Expect(position == text.size() && result.value->frames == whole.value->frames &&
                 result.value->notation == whole.value->notation,
             "a whole expression reads the same one at a time", rate, text);
  }
}

}  // namespace
}  // namespace kadenzo::smpte

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kadenzo::smpte::Run(data, size);
  return 0;
}
