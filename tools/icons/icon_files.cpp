#include "tools/icons/icon_files.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace kadenzo::icons {

namespace {

void Put8(std::string& out, std::uint32_t value) { out.push_back(static_cast<char>(value & 0xFF)); }

void Put16Le(std::string& out, std::uint32_t value) {
  Put8(out, value);
  Put8(out, value >> 8);
}

void Put32Le(std::string& out, std::uint32_t value) {
  Put16Le(out, value);
  Put16Le(out, value >> 16);
}

void Put32Be(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) Put8(out, value >> shift);
}

const Bytef* Data(const std::string& bytes) { return reinterpret_cast<const Bytef*>(bytes.data()); }

void PutChunk(std::string& out, const char* type, const std::string& data) {
  const std::string body = std::string(type, 4) + data;
  Put32Be(out, static_cast<std::uint32_t>(data.size()));
  out += body;
  Put32Be(out, static_cast<std::uint32_t>(crc32(0, Data(body), static_cast<uInt>(body.size()))));
}

constexpr int kIcoSize = 32;
constexpr std::size_t kPaletteSize = 16;

constexpr std::array<Argb, kPaletteSize> kClassicPalette = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};

}  // namespace

std::string WritePng(const Image& image) {
  // Each row: filter type 0 (none), then the pixels as R, G, B, A.
  std::string raw;
  raw.reserve(static_cast<std::size_t>(image.height) * (1 + 4 * static_cast<std::size_t>(image.width)));
  for (int y = 0; y < image.height; ++y) {
    Put8(raw, 0);
    for (int x = 0; x < image.width; ++x) {
      const Argb pixel = image.At(x, y);
      Put8(raw, pixel >> 16);
      Put8(raw, pixel >> 8);
      Put8(raw, pixel);
      Put8(raw, pixel >> 24);
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, Data(raw), static_cast<uLong>(raw.size()), 9) !=
      Z_OK)
    throw std::runtime_error("cannot compress the image");
  packed.resize(packedSize);

  std::string header;
  Put32Be(header, static_cast<std::uint32_t>(image.width));
  Put32Be(header, static_cast<std::uint32_t>(image.height));
  Put8(header, 8);  // bits per channel
  Put8(header, 6);  // RGBA
  Put8(header, 0);  // deflate
  Put8(header, 0);  // adaptive filtering
  Put8(header, 0);  // not interlaced

  std::string out("\x89PNG\r\n\x1a\n", 8);
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", "");
  return out;
}

std::string WriteIco(const Image& image) {
  if (image.width != kIcoSize || image.height != kIcoSize) throw std::runtime_error("the icon must be 32 x 32 pixels");

  // Each colour first takes its place in the classic palette; the colours
  // outside it take the places the image does not use, in the order they
  // first appear. Index 0 stays black: transparent pixels are stored as it.
  std::array<Argb, kPaletteSize> palette = kClassicPalette;
  std::array<bool, kPaletteSize> used{};
  std::vector<Argb> outside;
  for (const Argb pixel : image.pixels) {
    if (Alpha(pixel) == 0) continue;
    if (Alpha(pixel) != 0xFF) throw std::runtime_error("a 16-colour icon has no partial transparency");
    const auto found = std::find(kClassicPalette.begin(), kClassicPalette.end(), pixel);
    if (found != kClassicPalette.end()) {
      used[static_cast<std::size_t>(found - kClassicPalette.begin())] = true;
    } else if (std::find(outside.begin(), outside.end(), pixel) == outside.end()) {
      outside.push_back(pixel);
    }
  }
  for (const Argb colour : outside) {
    const auto free = std::find(used.begin() + 1, used.end(), false);
    if (free == used.end()) throw std::runtime_error("more than 16 colours");
    *free = true;
    palette[static_cast<std::size_t>(free - used.begin())] = colour;
  }
  const auto indexOf = [&palette](Argb pixel) -> std::uint32_t {
    if (Alpha(pixel) == 0) return 0;
    return static_cast<std::uint32_t>(std::find(palette.begin(), palette.end(), pixel) - palette.begin());
  };

  constexpr std::uint32_t kColourRowBytes = kIcoSize / 2;  // 16: already a multiple of 4
  constexpr std::uint32_t kMaskRowBytes = kIcoSize / 8;    // 4
  constexpr std::uint32_t kHeaderBytes = 40;
  constexpr std::uint32_t kImageBytes = kHeaderBytes + kPaletteSize * 4 + (kColourRowBytes + kMaskRowBytes) * kIcoSize;

  // The directory and its one entry.
  std::string out;
  Put16Le(out, 0);  // reserved
  Put16Le(out, 1);  // an icon
  Put16Le(out, 1);  // one image
  Put8(out, kIcoSize);
  Put8(out, kIcoSize);
  Put8(out, kPaletteSize);
  Put8(out, 0);
  Put16Le(out, 1);  // planes
  Put16Le(out, 4);  // bits per pixel
  Put32Le(out, kImageBytes);
  Put32Le(out, 6 + 16);  // the image follows the directory

  // The image as an icon resource keeps it: a bitmap header of double
  // height, the palette, the colour rows and then the mask rows, both
  // bottom-up.
  Put32Le(out, kHeaderBytes);
  Put32Le(out, kIcoSize);
  Put32Le(out, kIcoSize * 2);  // colour rows and mask rows together
  Put16Le(out, 1);
  Put16Le(out, 4);
  Put32Le(out, 0);  // uncompressed
  Put32Le(out, (kColourRowBytes + kMaskRowBytes) * kIcoSize);
  Put32Le(out, 0);
  Put32Le(out, 0);
  Put32Le(out, 0);  // the palette is the full 16 colours
  Put32Le(out, 0);
  for (const Argb colour : palette) {
    Put8(out, colour);        // blue
    Put8(out, colour >> 8);   // green
    Put8(out, colour >> 16);  // red
    Put8(out, 0);
  }
  for (int y = kIcoSize - 1; y >= 0; --y) {
    for (int x = 0; x < kIcoSize; x += 2) Put8(out, indexOf(image.At(x, y)) << 4 | indexOf(image.At(x + 1, y)));
  }
  for (int y = kIcoSize - 1; y >= 0; --y) {
    for (int x = 0; x < kIcoSize; x += 8) {
      std::uint32_t bits = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if (Alpha(image.At(x + bit, y)) == 0) bits |= 0x80u >> bit;
      }
      Put8(out, bits);
    }
  }
  return out;
}

}  // namespace kadenzo::icons
