// What kadenzo-tc does with one expression: evaluates it at the chosen rate
// and writes its result, or says where and why it cannot, in the chosen
// format.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "cli/line_io.h"
#include "core/smpte.h"
#include "core/smpte_expression.h"
#include "core/timecode.h"

namespace kadenzo::cli {

enum class Target { Timecode, Frames, Seconds, Elapsed };
enum class Format { Text, Json, Csv };

// The window's rate for an exact rate, if it is one of the window's five.
std::optional<FrameRate> WindowRate(smpte::Rate rate);

struct Settings {
  smpte::Rate rate;
  // --df or --ndf; otherwise each result is written as its expression's
  // first time code was, and non-drop when it has none.
  std::optional<smpte::Counting> counting;
  Target target = Target::Timecode;
  bool wrap = false;  // the time of day: labels round midnight
  Format format = Format::Text;
};

class Converter {
 public:
  Converter(const Settings& settings, Output& out, Output& errors) noexcept;

  // The CSV header; nothing in the other formats.
  void Begin();

  // One line of the input, numbered from 1. False when it failed.
  bool ConvertLine(std::string_view text, std::size_t number);
  // A line longer than LineReader takes.
  void RejectLongLine(std::size_t number);
  // The expressions of the command line, one after another, each as long as
  // the juxtaposition rule makes it. False when any failed.
  bool ConvertArguments(int count, const char* const* arguments);

 private:
  struct Place {
    const char* kind;  // "line" or "argument"
    std::size_t number;
    std::size_t column;  // 0: the whole line
  };

  // Writes a result; false when it cannot be written as asked.
  bool Write(std::string_view input, const smpte::Evaluation& value, Place place);
  bool Fail(std::string_view input, Place place, std::string_view message);

  Settings settings_;
  smpte::ReadOptions read_;
  std::string rateName_;
  smpte::ExpressionError error_;  // the last line's, kept for its room
  Output& out_;
  Output& errors_;
};

}  // namespace kadenzo::cli
