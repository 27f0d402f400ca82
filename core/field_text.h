// How the calculator's fields are read and written as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kadenzo {

// The largest count a person may type; anything above is clamped to it.
inline constexpr std::uint32_t kMaxTypedCount = 4294900000u;

// A count field's text, read like "%lu" but without wrapping: white space,
// one optional sign, then decimal digits up to the first other character.
struct CountText {
  bool hasDigits = false;  // false: empty, letters only, or a sign alone
  bool negative = false;   // a minus sign before a non-zero number
  // The digits' value, saturated just above kMaxTypedCount so that however
  // many digits are typed it can only be clamped, never wrapped.
  std::uint32_t magnitude = 0;
};
CountText ReadCountText(std::string_view text) noexcept;

// Unsigned decimal without sign, padding or separators.
std::string FormatUnsigned(std::uint64_t value);

// A negative difference: a minus sign and the magnitude.
std::string FormatNegative(std::uint32_t magnitude);

}  // namespace kadenzo
