// Expressions of frame counts, time codes and seconds: the command line's
// input language, a pure function of the text.
//
//   expression := term { ("+" | "-") term }
//   term       := factor { ("*" | "/") ["-"] whole-number }
//   factor     := "-" factor | "(" expression ")" | value
//   value      := frames ("1800") | time code ("10:00", "1:02:03:04",
//                 "00:01:00;02") | seconds ("12.5s")
//
// A time code has two to four parts, right-aligned: the last is always the
// frames. A ';', ',' or '.' among its separators marks it drop-frame. Frames
// at or above the timebase, and minutes or seconds above 59, are errors, as
// is a label that drop-frame counting skips. Seconds are rounded to the
// nearest frame, halves away from zero; division rounds down, to the frame at
// or before the exact quotient.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/smpte.h"

namespace kadenzo::smpte {

struct ReadOptions {
  Rate rate;
  // How a time code with only ':' between its parts is counted; drop-frame
  // only at a rate that CanDropFrame.
  Counting unmarked = Counting::NonDrop;
};

struct Evaluation {
  std::int64_t frames = 0;  // within ±kMaxFrames
  // How the expression's first time code was counted; nothing when it has
  // none.
  std::optional<Counting> notation;
};

struct ExpressionError {
  std::size_t column = 0;  // 1-based, in bytes
  std::string message;
};

struct ExpressionResult {
  std::optional<Evaluation> value;  // nothing on error
  ExpressionError error;
};

// One whole expression; anything after it is an error.
ExpressionResult EvaluateExpression(std::string_view text, const ReadOptions& options);

// The expression that starts at `position`, which is left just after it.
// It ends at the end of the text, or where a value follows a complete
// expression with nothing but white space between: "1800 17982" holds two.
ExpressionResult EvaluateNextExpression(std::string_view text, std::size_t& position, const ReadOptions& options);

}  // namespace kadenzo::smpte
