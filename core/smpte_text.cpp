#include "core/smpte_text.h"

#include <charconv>

namespace kadenzo::smpte {
namespace {

constexpr std::int64_t Pow10(int exponent) noexcept {
  std::int64_t value = 1;
  while (exponent-- > 0) value *= 10;
  return value;
}

// Decimal digits only, at most `maxDigits` of them (at least one).
std::optional<std::int64_t> ReadDigits(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Seven digits hold every rate term up to kMaxRateTerm; the fraction of a
// decimal rate has at most six, so that every product below fits 64 bits.
constexpr std::size_t kRateDigits = 7;
constexpr int kRateDecimals = 6;

std::optional<Rate> ParseDecimalRate(std::string_view whole, std::string_view fraction) {
  const auto integer = ReadDigits(whole, kRateDigits);
  const auto decimals = ReadDigits(fraction, kRateDecimals);
  if (!integer || !decimals) return std::nullopt;
  const std::int64_t scale = Pow10(static_cast<int>(fraction.size()));
  // The rate is x / scale, exactly.
  const std::int64_t x = *integer * scale + *decimals;
  if (x % scale == 0) return MakeRate(x / scale, 1);  // "30.0" is 30, never 30000/1001's neighbour
  // The nearest N·1000/1001, and whether it is within 0.005: compared as
  // |x·1001·1000 - N·10^6·scale| <= 5005·scale, all in integers.
  const std::int64_t n = (x * 1001 * 2 + 1000 * scale) / (2000 * scale);
  const std::int64_t gap = x * 1001 * 1000 - n * 1'000'000 * scale;
  if (n >= 1 && (gap < 0 ? -gap : gap) <= 5005 * scale) return MakeRate(n * 1000, 1001);
  return MakeRate(x, scale);
}

char* WriteNumber(std::int64_t value, int minDigits, char* out) noexcept {
  char digits[24];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  (void)error;
  for (auto count = end - digits; count < minDigits; ++count) *out++ = '0';
  for (const char* c = digits; c != end; ++c) *out++ = *c;
  return out;
}

}  // namespace

std::optional<Rate> ParseRate(std::string_view text) {
  if (const auto slash = text.find('/'); slash != std::string_view::npos) {
    const auto num = ReadDigits(text.substr(0, slash), kRateDigits);
    const auto den = ReadDigits(text.substr(slash + 1), kRateDigits);
    if (!num || !den) return std::nullopt;
    return MakeRate(*num, *den);
  }
  if (const auto point = text.find('.'); point != std::string_view::npos)
    return ParseDecimalRate(text.substr(0, point), text.substr(point + 1));
  const auto whole = ReadDigits(text, kRateDigits);
  if (!whole) return std::nullopt;
  return MakeRate(*whole, 1);
}

std::string RateName(Rate rate) {
  std::string name = std::to_string(rate.num);
  if (rate.den == 1) return name;
  // N·1000/1001: named by its value to three decimals, as people write it.
  if (rate.num * 1001 % (rate.den * 1000) == 0) {
    const std::int64_t n = rate.num * 1001 / (rate.den * 1000);
    const std::int64_t thousandths = (n * 1'000'000 * 2 + 1001) / (2 * 1001);
    name = std::to_string(thousandths / 1000) + '.';
    std::string decimals = std::to_string(1000 + thousandths % 1000).substr(1);
    while (decimals.size() > 1 && decimals.back() == '0') decimals.pop_back();
    return name + decimals;
  }
  // A denominator of only twos and fives ends as a decimal, and one of up
  // to twelve places keeps every product below within 64 bits.
  std::int64_t rest = rate.den;
  int twos = 0, fives = 0;
  for (; rest % 2 == 0; rest /= 2) ++twos;
  for (; rest % 5 == 0; rest /= 5) ++fives;
  const int places = twos > fives ? twos : fives;
  if (rest != 1 || places > 12) return name + '/' + std::to_string(rate.den);
  // den divides 10^places, so num/den = num·(10^places/den) / 10^places; trailing
  // zeros are trimmed.
  const std::int64_t scaled = rate.num * (Pow10(places) / rate.den);
  std::string decimals = std::to_string(Pow10(places) + scaled % Pow10(places)).substr(1);
  while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
  return std::to_string(scaled / Pow10(places)) + '.' + decimals;
}

std::size_t FormatLabel(const Label& label, Counting counting, char* out) noexcept {
  char* const start = out;
  if (label.negative) *out++ = '-';
  out = WriteNumber(label.hours, 2, out);
  *out++ = ':';
  out = WriteNumber(label.minutes, 2, out);
  *out++ = ':';
  out = WriteNumber(label.seconds, 2, out);
  *out++ = counting == Counting::DropFrame ? ';' : ':';
  out = WriteNumber(label.frames, 2, out);
  return static_cast<std::size_t>(out - start);
}

std::string FormatLabel(const Label& label, Counting counting) {
  char text[kMaxTextSize];
  return std::string(text, FormatLabel(label, counting, text));
}

std::size_t FormatSeconds(const Seconds& seconds, char* out) noexcept {
  char* const start = out;
  if (seconds.negative) *out++ = '-';
  out = WriteNumber(seconds.whole, 1, out);
  *out++ = '.';
  out = WriteNumber(seconds.micros, 6, out);
  return static_cast<std::size_t>(out - start);
}

}  // namespace kadenzo::smpte
