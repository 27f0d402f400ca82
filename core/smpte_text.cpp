#include "core/smpte_text.h"

#include <cstring>

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

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// A batch writes a number or four a line: two digits at a time, from the
// right, into a scratch buffer whose whole width is then copied at once
// (the output always has room for it).
char* WriteNumber(std::int64_t value, int minDigits, char* out) noexcept {
  constexpr int kWidth = 20;  // the digits of any 64-bit number
  char digits[2 * kWidth] = {};
  char* p = digits + kWidth;
  auto n = static_cast<std::uint64_t>(value);
  while (n >= 100) {
    const auto pair = static_cast<std::size_t>(n % 100) * 2;
    n /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (n >= 10) {
    *--p = kDigitPairs[n * 2 + 1];
    *--p = kDigitPairs[n * 2];
  } else {
    *--p = static_cast<char>('0' + n);
  }
  const auto count = static_cast<int>(digits + kWidth - p);  // p + kWidth stays within `digits`
  for (; minDigits > count; --minDigits) *out++ = '0';
  std::memcpy(out, p, kWidth);
  return out + count;
}

// A field of at least two digits; most are below 100.
char* WriteField(std::int64_t value, char* out) noexcept {
  if (value >= 100) return WriteNumber(value, 2, out);
  *out++ = kDigitPairs[value * 2];
  *out++ = kDigitPairs[value * 2 + 1];
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
  out = WriteField(label.hours, out);
  *out++ = ':';
  out = WriteField(label.minutes, out);
  *out++ = ':';
  out = WriteField(label.seconds, out);
  *out++ = counting == Counting::DropFrame ? ';' : ':';
  out = WriteField(label.frames, out);
  return static_cast<std::size_t>(out - start);
}

std::string FormatLabel(const Label& label, Counting counting) {
  char text[kMaxTextSize];
  return std::string(text, FormatLabel(label, counting, text));
}

std::size_t FormatCount(std::int64_t frames, char* out) noexcept {
  char* const start = out;
  if (frames < 0) *out++ = '-';
  out = WriteNumber(frames < 0 ? -frames : frames, 1, out);
  return static_cast<std::size_t>(out - start);
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
