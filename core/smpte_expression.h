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
  // `unmarked` is how a time code with only ':' between its parts is
  // counted: drop-frame only at a rate that CanDropFrame.
  constexpr ReadOptions(Rate rate_, Counting unmarked_ = Counting::NonDrop) noexcept
      : rate(rate_), unmarked(unmarked_), canDropFrame(CanDropFrame(rate_)) {}

  Rate rate;
  Counting unmarked;
  // Worked out once for the lines of a batch.
  bool canDropFrame;
  LabelScale nonDrop{rate, Counting::NonDrop};
  LabelScale dropFrame{rate, Counting::DropFrame};

  constexpr const LabelScale& Scale(Counting counting) const noexcept {
    return counting == Counting::DropFrame ? dropFrame : nonDrop;
  }
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
// The same for a stream of lines: `error` is written only when there is no
// value, so that one kept for the stream makes a good line cost nothing.
std::optional<Evaluation> EvaluateExpression(std::string_view text, const ReadOptions& options, ExpressionError& error);

// The expression that starts at `position`, which is left just after it.
// It ends at the end of the text, or where a value follows a complete
// expression with nothing but white space between: "1800 17982" holds two.
ExpressionResult EvaluateNextExpression(std::string_view text, std::size_t& position, const ReadOptions& options);

}  // namespace kadenzo::smpte
