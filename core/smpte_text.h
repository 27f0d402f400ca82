// Rates, time code labels and seconds as text, for the command line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/smpte.h"

namespace kadenzo::smpte {

// A rate as people write it: a whole number ("25"), a ratio ("30000/1001")
// or a decimal of up to six places. A decimal within 0.005 of N·1000/1001
// for a whole N is that rate ("29.97", "23.976", "59.94", even "29.970030");
// any other decimal is exact ("12.5" is 25/2). Nothing for anything else, or
// a rate MakeRate refuses.
std::optional<Rate> ParseRate(std::string_view text);

// The name people use for a rate: "30", "29.97", "23.976", "12.5"; "N/D"
// for a rate no decimal of up to three places writes exactly.
std::string RateName(Rate rate);

// Room for any label, any seconds and any frame count this module writes.
inline constexpr std::size_t kMaxTextSize = 48;

// Writes a label to `out`, which has room for kMaxTextSize characters, and
// returns how many it wrote. Every field has at least two digits and no more
// than its value needs ("23:59:59:119" at 120, "123:00:00:00" past 99 hours);
// drop-frame labels separate the frames with ';'.
std::size_t FormatLabel(const Label& label, Counting counting, char* out) noexcept;
std::string FormatLabel(const Label& label, Counting counting);

// A frame count in decimal, |frames| <= kMaxFrames.
std::size_t FormatCount(std::int64_t frames, char* out) noexcept;

// "-12.345678": seconds with exactly six decimals.
std::size_t FormatSeconds(const Seconds& seconds, char* out) noexcept;

}  // namespace kadenzo::smpte
