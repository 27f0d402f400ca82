#pragma once

#include <cstdint>

namespace kadenzo {

// A colour laid out as the Windows COLORREF: 0x00BBGGRR.
using Colour = std::uint32_t;

constexpr Colour Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) noexcept {
  return Colour{red} | Colour{green} << 8 | Colour{blue} << 16;
}
constexpr std::uint8_t RedOf(Colour c) noexcept {
  return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t GreenOf(Colour c) noexcept {
  return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t BlueOf(Colour c) noexcept {
  return static_cast<std::uint8_t>(c >> 16);
}

}  // namespace kadenzo
