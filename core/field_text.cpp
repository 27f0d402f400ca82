#include "core/field_text.h"

#include <charconv>

namespace kadenzo {

namespace {

constexpr bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

// "%lu" skips the C locale's white space, not only blanks.
constexpr bool IsSpace(char c) noexcept {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads digits from the front of text, saturating at cap; returns how many
// characters were digits.
std::size_t ReadDigits(std::string_view text, std::uint64_t cap, std::uint64_t& value) noexcept {
  value = 0;
  std::size_t i = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
    if (value > cap) value = cap;
  }
  return i;
}

}  // namespace

CountText ReadCountText(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool minus = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) minus = text[i++] == '-';

  std::uint64_t value = 0;
  CountText read;
  read.hasDigits = ReadDigits(text.substr(i), std::uint64_t{kMaxTypedCount} + 1, value) > 0;
  read.magnitude = static_cast<std::uint32_t>(value);
  read.negative = minus && value != 0;
  return read;
}

std::string FormatUnsigned(std::uint64_t value) {
  char buffer[20];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

std::string FormatNegative(std::uint32_t magnitude) {
  return "-" + FormatUnsigned(magnitude);
}

}  // namespace kadenzo
