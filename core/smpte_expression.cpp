#include "core/smpte_expression.h"

#include <cstdio>

#include "core/smpte_text.h"

namespace kadenzo::smpte {
namespace {

// Parentheses and minus signs nest no deeper than this, so that no input can
// exhaust the stack.
constexpr int kMaxDepth = 200;

// Digits beyond these are out of range whatever they say: kMaxFrames has 15,
// and a factor or divisor up to 18 fits 64 bits.
constexpr std::size_t kMaxValueDigits = 15;
constexpr std::size_t kMaxFactorDigits = 18;

// Seconds are read to the microsecond, and their whole part up to 10^12 (some
// 31,000 years), which keeps the exact conversion to frames within 64 bits.
constexpr std::size_t kMaxSecondsDecimals = 6;
constexpr std::size_t kMaxSecondsDigits = 12;

constexpr bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}
constexpr bool IsSeparator(char c) noexcept {
  return c == ':' || c == ';' || c == ',' || c == '.';
}
constexpr bool IsSpace(char c) noexcept {
  return c == ' ' || c == '\t';
}

std::int64_t ReadNumber(std::string_view digits) noexcept {
  std::int64_t value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

std::string Describe(char c) {
  char text[16];
  if (c > ' ' && c < 127)
    std::snprintf(text, sizeof text, "'%c'", c);
  else
    std::snprintf(text, sizeof text, "byte 0x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
  return text;
}

std::string Padded(std::int64_t value, int digits) {
  std::string text = std::to_string(value);
  if (text.size() < static_cast<std::size_t>(digits))
    text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  return text;
}

const std::string kOutOfRange = "out of range: a frame count is at most " + std::to_string(kMaxFrames) + " either way";

class Parser {
 public:
  Parser(std::string_view text, std::size_t position, const ReadOptions& options)
      : text_(text), pos_(position), options_(options) {}

  // One expression from the current position. With `splitAtValue`, a value
  // that follows a complete expression ends it; otherwise it is an error.
  ExpressionResult Run(bool splitAtValue) {
    std::int64_t frames = 0;
    if (!Expression(frames)) return Failure();
    SkipSpace();
    if (pos_ < text_.size() && !(splitAtValue && StartsValue(text_[pos_]))) {
      Fail(pos_, "expected an operator (+, -, * or /), not " + Describe(text_[pos_]));
      return Failure();
    }
    return ExpressionResult{Evaluation{frames, notation_}, {}};
  }

  std::size_t Position() const noexcept { return pos_; }

 private:
  static bool StartsValue(char c) noexcept { return IsDigit(c) || c == '('; }

  ExpressionResult Failure() { return ExpressionResult{std::nullopt, std::move(error_)}; }

  bool Fail(std::size_t at, std::string message) {
    error_ = ExpressionError{at + 1, std::move(message)};
    return false;
  }

  void SkipSpace() noexcept {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }

  bool InRange(std::int64_t frames, std::size_t at) {
    return (frames <= kMaxFrames && frames >= -kMaxFrames) || Fail(at, kOutOfRange);
  }

  bool Expression(std::int64_t& frames) {
    if (!Term(frames)) return false;
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size() || (text_[pos_] != '+' && text_[pos_] != '-')) return true;
      const std::size_t at = pos_;
      const bool subtract = text_[pos_++] == '-';
      std::int64_t operand = 0;
      if (!Term(operand)) return false;
      // Both are within kMaxFrames, far from 64 bits' end.
      frames = subtract ? frames - operand : frames + operand;
      if (!InRange(frames, at)) return false;
    }
  }

  bool Term(std::int64_t& frames) {
    if (!Factor(frames)) return false;
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size() || (text_[pos_] != '*' && text_[pos_] != '/')) return true;
      const std::size_t at = pos_;
      const bool divide = text_[pos_++] == '/';
      std::int64_t factor = 0;
      if (!WholeNumber(divide ? "divide" : "multiply", factor)) return false;
      if (divide) {
        if (factor == 0) return Fail(at, "division by zero");
        // Down, to the frame at or before the exact quotient, for either sign.
        const std::int64_t quotient = frames / factor;
        frames = quotient - (frames % factor != 0 && (frames < 0) != (factor < 0) ? 1 : 0);
      } else {
        std::int64_t product = 0;
        if (__builtin_mul_overflow(frames, factor, &product)) return Fail(at, kOutOfRange);
        frames = product;
        if (!InRange(frames, at)) return false;
      }
    }
  }

  // The right-hand side of * and /: a whole number, perhaps negative, with
  // no unit.
  bool WholeNumber(const char* verb, std::int64_t& value) {
    SkipSpace();
    const bool negative = pos_ < text_.size() && text_[pos_] == '-';
    if (negative) ++pos_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    if (pos_ == start || (pos_ < text_.size() && (IsSeparator(text_[pos_]) || text_[pos_] == 's')))
      return Fail(start, std::string("can only ") + verb + " by a whole number");
    if (pos_ - start > kMaxFactorDigits) return Fail(start, kOutOfRange);
    value = ReadNumber(text_.substr(start, pos_ - start));
    if (negative) value = -value;
    return true;
  }

  bool Factor(std::int64_t& frames) {
    SkipSpace();
    if (pos_ >= text_.size()) return Fail(pos_, "expected a frame count, a time code or seconds");
    const char c = text_[pos_];
    if (c == '-' || c == '(') {
      if (++depth_ > kMaxDepth) return Fail(pos_, "nested too deeply");
      const std::size_t open = pos_++;
      const bool ok = c == '-' ? Factor(frames) : Expression(frames);
      --depth_;
      if (!ok) return false;
      if (c == '-') {
        frames = -frames;
        return true;
      }
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ')') {
        ++pos_;
        return true;
      }
      return Fail(pos_ < text_.size() ? pos_ : open,
                  "expected ')' to close the '(' at column " + std::to_string(open + 1));
    }
    if (!IsDigit(c)) return Fail(pos_, "expected a frame count, a time code or seconds, not " + Describe(c));
    return Value(frames);
  }

  bool Value(std::int64_t& frames) {
    const std::size_t start = pos_;
    std::size_t separators = 0;
    while (pos_ < text_.size() && (IsDigit(text_[pos_]) || IsSeparator(text_[pos_]))) {
      if (IsSeparator(text_[pos_])) ++separators;
      ++pos_;
    }
    const std::string_view run = text_.substr(start, pos_ - start);
    if (pos_ < text_.size() && text_[pos_] == 's') {
      ++pos_;
      return SecondsValue(run, start, frames);
    }
    if (separators == 0) {
      if (run.size() > kMaxValueDigits) return Fail(start, kOutOfRange);
      frames = ReadNumber(run);
      return InRange(frames, start);
    }
    return TimecodeValue(run, start, frames);
  }

  bool SecondsValue(std::string_view run, std::size_t start, std::int64_t& frames) {
    const std::size_t point = run.find('.');
    const std::string_view whole = run.substr(0, point);
    const std::string_view decimals = point == std::string_view::npos ? std::string_view() : run.substr(point + 1);
    for (std::size_t i = 0; i < run.size(); ++i)
      if (i != point && !IsDigit(run[i])) return Fail(start + i, "seconds are written as digits with one '.'");
    if (point != std::string_view::npos && decimals.empty())
      return Fail(start + run.size(), "expected digits after the '.'");
    if (decimals.size() > kMaxSecondsDecimals) return Fail(start + point, "seconds have at most six decimals");
    if (whole.size() > kMaxSecondsDigits) return Fail(start, kOutOfRange);
    // x / scale seconds are x·num / (scale·den) frames, worked out as
    // q·num + r·num / d so that no product passes 10^18.
    std::int64_t scale = 1;
    for (std::size_t i = 0; i < decimals.size(); ++i) scale *= 10;
    const std::int64_t x = ReadNumber(whole) * scale + ReadNumber(decimals);
    const std::int64_t d = scale * options_.rate.den;
    const std::int64_t q = x / d;
    const std::int64_t r = x % d * options_.rate.num;
    frames = q * options_.rate.num + r / d + (r % d * 2 >= d ? 1 : 0);
    return InRange(frames, start);
  }

  bool TimecodeValue(std::string_view run, std::size_t start, std::int64_t& frames) {
    // The parts from the right: frames, seconds, minutes, hours.
    std::int64_t parts[4] = {};
    std::size_t partStarts[4] = {};
    bool marked = false;
    std::size_t count = 0;
    std::size_t end = run.size();
    for (;;) {
      std::size_t begin = end;
      while (begin > 0 && IsDigit(run[begin - 1])) --begin;
      if (begin == end) return Fail(start + end, "expected digits in the time code");
      if (count == 4) return Fail(start, "a time code has at most four parts: hours, minutes, seconds and frames");
      if (end - begin > kMaxValueDigits) return Fail(start + begin, kOutOfRange);
      parts[count] = ReadNumber(run.substr(begin, end - begin));
      partStarts[count++] = start + begin;
      if (begin == 0) break;
      marked = marked || run[begin - 1] != ':';
      end = begin - 1;
    }
    const Counting counting = marked ? Counting::DropFrame : options_.unmarked;
    const Rate rate = options_.rate;
    if (counting == Counting::DropFrame && !options_.canDropFrame)
      return Fail(start,
                  "drop-frame time code needs a rate of 30000/1001 or a multiple of it (29.97, 59.94, "
                  "119.88 ...), not " +
                      RateName(rate));
    const Label label{false, parts[3], parts[2], parts[1], parts[0]};
    const std::int64_t timebase = Timebase(rate);
    if (label.frames >= timebase) {
      const int frameDigits = static_cast<int>(std::to_string(timebase - 1).size());
      return Fail(partStarts[0], "frame " + std::to_string(label.frames) + " does not exist at " + RateName(rate) +
                                     " fps: frames run from " + Padded(0, frameDigits) + " to " +
                                     Padded(timebase - 1, frameDigits));
    }
    if (label.seconds > 59)
      return Fail(partStarts[1], "seconds run from 00 to 59, not " + std::to_string(label.seconds));
    if (count > 2 && label.minutes > 59)
      return Fail(partStarts[2], "minutes run from 00 to 59, not " + std::to_string(label.minutes));
    if (counting == Counting::DropFrame && IsSkipped(label, rate))
      return Fail(start, FormatLabel(label, counting) + " does not exist in drop-frame time code at " + RateName(rate) +
                             " fps; the next label is " + FormatLabel(NextCountedLabel(label, rate), counting));
    const auto counted = LabelToFrames(label, options_.Scale(counting));
    if (!counted) return Fail(start, kOutOfRange);
    if (!notation_) notation_ = counting;
    frames = *counted;
    return true;
  }

  std::string_view text_;
  std::size_t pos_;
  const ReadOptions& options_;
  std::optional<Counting> notation_;
  ExpressionError error_;
  int depth_ = 0;
};

// The lines a batch is mostly made of, a bare count or a bare time code, in
// one pass. Anything else, and anything wrong, is left to the parser, which
// reads the same the same way and says what is wrong.
std::optional<Evaluation> QuickValue(std::string_view text, const ReadOptions& options) noexcept {
  // Nine digits a part at most: no sum below can overflow.
  constexpr std::ptrdiff_t kQuickDigits = 9;
  std::int64_t parts[4] = {};
  int count = 0;
  bool marked = false;
  const char* p = text.data();
  const char* const end = p + text.size();
  for (;;) {
    const char* const start = p;
    std::int64_t value = 0;
    for (; p != end && IsDigit(*p); ++p) {
      if (p - start == kQuickDigits) return std::nullopt;
      value = value * 10 + (*p - '0');
    }
    if (p == start) return std::nullopt;
    parts[count++] = value;
    if (p == end) break;
    if (!IsSeparator(*p) || count == 4) return std::nullopt;
    marked = marked || *p != ':';
    ++p;
  }
  if (count == 1) return Evaluation{parts[0], std::nullopt};
  const Counting counting = marked ? Counting::DropFrame : options.unmarked;
  if (counting == Counting::DropFrame && !options.canDropFrame) return std::nullopt;
  const Label label{false, count > 3 ? parts[count - 4] : 0, count > 2 ? parts[count - 3] : 0, parts[count - 2],
                    parts[count - 1]};
  const auto frames = LabelToFrames(label, options.Scale(counting));
  if (!frames) return std::nullopt;
  return Evaluation{*frames, counting};
}

}  // namespace

ExpressionResult EvaluateExpression(std::string_view text, const ReadOptions& options) {
  ExpressionResult result;
  result.value = EvaluateExpression(text, options, result.error);
  return result;
}

std::optional<Evaluation> EvaluateExpression(std::string_view text, const ReadOptions& options,
                                             ExpressionError& error) {
  if (auto value = QuickValue(text, options)) return value;
  ExpressionResult result = Parser(text, 0, options).Run(false);
  if (!result.value) error = std::move(result.error);
  return result.value;
}

ExpressionResult EvaluateNextExpression(std::string_view text, std::size_t& position, const ReadOptions& options) {
  Parser parser(text, position, options);
  ExpressionResult result = parser.Run(true);
  position = parser.Position();
  return result;
}

}  // namespace kadenzo::smpte
