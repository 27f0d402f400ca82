#include "cli/conversion.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "core/smpte_text.h"
#include "core/timecode.h"

namespace kadenzo::cli {
namespace {

using smpte::Counting;

void PutNumber(Output& out, std::int64_t value) {
  char text[smpte::kMaxTextSize];
  out.Write(std::string_view(text, smpte::FormatCount(value, text)));
}

// The length of the valid UTF-8 sequence at the start of `text`, or 0.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = lead < 0x80                    ? 1
                       : lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
  if (length == 0 || length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  // No overlong forms, surrogates or code points past U+10FFFF.
  if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F) || (lead == 0xF0 && byte(1) < 0x90) ||
      (lead == 0xF4 && byte(1) > 0x8F))
    return 0;
  return length;
}

// A JSON string. Input is whatever bytes a line held: a byte that is not
// part of valid UTF-8 becomes U+FFFD, so the output is always valid JSON.
void PutJsonString(Output& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.Put('"');
  while (!text.empty()) {
    const unsigned char c = static_cast<unsigned char>(text.front());
    std::size_t length = Utf8Length(text);
    if (length == 0) {
      out.Write("\\ufffd");
      length = 1;
    } else if (c == '"' || c == '\\') {
      out.Put('\\');
      out.Put(static_cast<char>(c));
    } else if (c < 0x20 || c == 0x7F) {
      out.Write("\\u00");
      out.Put(kHex[c >> 4]);
      out.Put(kHex[c & 15]);
    } else {
      out.Write(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  out.Put('"');
}

// A CSV field, quoted when it must be.
void PutCsvField(Output& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.Write(text);
    return;
  }
  out.Put('"');
  for (const char c : text) {
    if (c == '"') out.Put('"');
    out.Put(c);
  }
  out.Put('"');
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<FrameRate> WindowRate(smpte::Rate rate) {
  constexpr struct {
    smpte::Rate rate;
    FrameRate window;
  } kRates[] = {{{24000, 1001}, kRate23_976},
                {{24, 1}, kRate24},
                {{25, 1}, kRate25},
                {{30000, 1001}, kRate29_97},
                {{30, 1}, kRate30}};
  for (const auto& entry : kRates)
    if (entry.rate == rate) return entry.window;
  return std::nullopt;
}

Converter::Converter(const Settings& settings, Output& out, Output& errors) noexcept
    : settings_(settings),
      read_{settings.rate, settings.counting.value_or(Counting::NonDrop)},
      rateName_(smpte::RateName(settings.rate)),
      out_(out),
      errors_(errors) {}

void Converter::Begin() {
  if (settings_.format != Format::Csv) return;
  out_.Write("input,frames,timecode,seconds,rate,drop_frame,");
  out_.Write(settings_.target == Target::Elapsed ? "elapsed,error\n" : "error\n");
}

bool Converter::ConvertLine(std::string_view text, std::size_t number) {
  if (const auto value = smpte::EvaluateExpression(text, read_, error_))
    return Write(text, *value, Place{"line", number, 0});
  return Fail(text, Place{"line", number, error_.column}, error_.message);
}

void Converter::RejectLongLine(std::size_t number) {
  Fail({}, Place{"line", number, 0}, "longer than " + std::to_string(LineReader::kMaxLine) + " bytes");
}

bool Converter::ConvertArguments(int count, const char* const* arguments) {
  // The arguments are read as one text, a space between each two, so that
  // `1800 + 25` and "1800+25" are the same.
  std::string text;
  std::vector<std::size_t> starts;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    starts.push_back(text.size());
    text += arguments[i];
  }
  // Where an offset in the text is: its argument and the column within it.
  const auto placeOf = [&](std::size_t offset, bool withColumn) {
    std::size_t argument = 0;
    while (argument + 1 < starts.size() && starts[argument + 1] <= offset) ++argument;
    return Place{"argument", argument + 1, withColumn ? offset - starts[argument] + 1 : 0};
  };
  bool ok = true;
  std::size_t position = 0;
  while (!Trimmed(std::string_view(text).substr(position)).empty()) {
    const std::size_t start = position;
    const smpte::ExpressionResult result = smpte::EvaluateNextExpression(text, position, read_);
    const std::string_view input = Trimmed(std::string_view(text).substr(start, position - start));
    if (!result.value) {
      ok = Fail(input, placeOf(result.error.column - 1, true), result.error.message);
      break;  // the rest of the command line cannot be read after an error
    }
    ok = Write(input, *result.value, placeOf(static_cast<std::size_t>(input.data() - text.data()), false)) && ok;
  }
  return ok;
}

bool Converter::Fail(std::string_view input, Place place, std::string_view message) {
  std::string where = std::string(place.kind) + ' ' + std::to_string(place.number);
  if (place.column > 0) where += ", column " + std::to_string(place.column);
  errors_.Write("kadenzo-tc: ");
  errors_.Write(where);
  errors_.Write(": ");
  errors_.Write(message);
  errors_.Put('\n');
  switch (settings_.format) {
    case Format::Text: break;
    case Format::Json:
      out_.Write("{\"input\":");
      PutJsonString(out_, input);
      out_.Write(",\"");
      out_.Write(place.kind);
      out_.Write("\":");
      PutNumber(out_, static_cast<std::int64_t>(place.number));
      if (place.column > 0) {
        out_.Write(",\"column\":");
        PutNumber(out_, static_cast<std::int64_t>(place.column));
      }
      out_.Write(",\"error\":");
      PutJsonString(out_, message);
      out_.Write("}\n");
      break;
    case Format::Csv:
      PutCsvField(out_, input);
      out_.Write(settings_.target == Target::Elapsed ? ",,,,,,," : ",,,,,,");
      PutCsvField(out_, where + ": " + std::string(message));
      out_.Put('\n');
      break;
  }
  return false;
}

bool Converter::Write(std::string_view input, const smpte::Evaluation& value, Place place) {
  const Counting counting = settings_.counting.value_or(value.notation.value_or(Counting::NonDrop));
  const smpte::Rate rate = settings_.rate;
  std::int64_t frames = value.frames;
  const smpte::LabelScale& scale = read_.Scale(counting);
  if (settings_.wrap) frames = smpte::WrapToDay(frames, scale);

  // Text, the common case of a batch: one value a line, made straight into
  // the output.
  if (settings_.format == Format::Text && settings_.target != Target::Elapsed) {
    char* const start = out_.Reserve(smpte::kMaxTextSize + 1);
    char* end = start;
    switch (settings_.target) {
      case Target::Frames: end += smpte::FormatCount(frames, end); break;
      case Target::Seconds: end += smpte::FormatSeconds(smpte::FramesToSeconds(frames, rate), end); break;
      default: end += smpte::FormatLabel(smpte::FramesToLabel(frames, scale), counting, end); break;
    }
    *end++ = '\n';
    out_.Commit(end);
    return true;
  }

  char label[smpte::kMaxTextSize];
  const std::size_t labelSize = smpte::FormatLabel(smpte::FramesToLabel(frames, scale), counting, label);
  char seconds[smpte::kMaxTextSize];
  const std::size_t secondsSize = smpte::FormatSeconds(smpte::FramesToSeconds(frames, rate), seconds);

  // What the window shows for the count: its own elapsed reading, of a
  // 32-bit count, with a minus sign before a negative one's.
  char elapsed[smpte::kMaxTextSize];
  std::size_t elapsedSize = 0;
  if (settings_.target == Target::Elapsed) {
    const std::uint64_t magnitude =
        frames < 0 ? 0 - static_cast<std::uint64_t>(frames) : static_cast<std::uint64_t>(frames);
    if (magnitude > UINT32_MAX)
      return Fail(input, place, "the window's elapsed time counts at most 4294967295 frames either way");
    const TimeFields time = FramesToTime(static_cast<std::uint32_t>(magnitude), *WindowRate(rate));
    char* out = elapsed;
    if (frames < 0) *out++ = '-';
    out = std::to_chars(out, elapsed + sizeof elapsed, time.hours).ptr;
    for (const std::uint32_t field : {time.minutes, time.seconds, time.frames}) {
      *out++ = ':';
      *out++ = static_cast<char>('0' + field / 10);
      *out++ = static_cast<char>('0' + field % 10);
    }
    elapsedSize = static_cast<std::size_t>(out - elapsed);
  }

  const std::string_view labelText(label, labelSize);
  const std::string_view secondsText(seconds, secondsSize);
  const std::string_view elapsedText(elapsed, elapsedSize);
  const bool dropFrame = counting == Counting::DropFrame;
  switch (settings_.format) {
    case Format::Text:
      out_.Write(elapsedText);
      out_.Put('\n');
      break;
    case Format::Json:
      out_.Write("{\"input\":");
      PutJsonString(out_, input);
      out_.Write(",\"frames\":");
      PutNumber(out_, frames);
      out_.Write(",\"timecode\":\"");
      out_.Write(labelText);
      out_.Write("\",\"seconds\":");
      out_.Write(secondsText);
      out_.Write(",\"rate\":\"");
      out_.Write(rateName_);
      out_.Write(dropFrame ? "\",\"drop_frame\":true" : "\",\"drop_frame\":false");
      if (settings_.target == Target::Elapsed) {
        out_.Write(",\"elapsed\":\"");
        out_.Write(elapsedText);
        out_.Put('"');
      }
      out_.Write("}\n");
      break;
    case Format::Csv:
      PutCsvField(out_, input);
      out_.Put(',');
      PutNumber(out_, frames);
      out_.Put(',');
      out_.Write(labelText);
      out_.Put(',');
      out_.Write(secondsText);
      out_.Put(',');
      out_.Write(rateName_);
      out_.Write(dropFrame ? ",true," : ",false,");
      if (settings_.target == Target::Elapsed) {
        out_.Write(elapsedText);
        out_.Put(',');
      }
      out_.Put('\n');
      break;
  }
  return true;
}

}  // namespace kadenzo::cli
