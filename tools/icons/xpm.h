// The program's icon as pixels, read from its XPM. Every picture the build
// makes of the icon (the icon theme's PNGs, the site's PNGs, the Windows
// .ico) is read through this one reader, so they cannot disagree about a
// pixel. It needs nothing but the standard library: in a cross build it is
// compiled for the build machine with the host's compiler.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kadenzo::icons {

// 0xAARRGGBB. A pixel the XPM calls None is 0: transparent black.
using Argb = std::uint32_t;

constexpr std::uint8_t Alpha(Argb pixel) { return static_cast<std::uint8_t>(pixel >> 24); }

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Argb> pixels;  // rows top to bottom

  Argb At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

// Reads an XPM file (C source: its string literals in order). Colours are
// taken from the "c" key, as #RGB, #RRGGBB or None. Throws
// std::runtime_error saying what is wrong with anything else.
Image ReadXpm(std::string_view source);

// The image at size × size pixels, each pixel a whole source pixel: no
// pixel of a scaled icon is a blend of two, since the icon is pixel art.
Image ScaleSharp(const Image& source, int size);

}  // namespace kadenzo::icons
