// Turns the program's XPM icon into a 16-colour Windows icon file, so the
// pixels are drawn once, in the XPM, and the Windows resources follow them.
//
//   xpm2ico INPUT.xpm OUTPUT.ico
//
// The image must be 32 x 32 with at most 16 colours besides "None", which
// becomes transparent. Colours of the classic 16-colour palette keep their
// usual places in it, so the icon draws well on a 16-colour display too.
// Built with the host's compiler during a cross build; it needs nothing but
// the standard library.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;
constexpr int kPaletteSize = 16;

struct Rgb {
  std::uint8_t red, green, blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr std::array<Rgb, kPaletteSize> kClassicPalette = {{
    {0x00, 0x00, 0x00},
    {0x80, 0x00, 0x00},
    {0x00, 0x80, 0x00},
    {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80},
    {0x80, 0x00, 0x80},
    {0x00, 0x80, 0x80},
    {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80},
    {0xFF, 0x00, 0x00},
    {0x00, 0xFF, 0x00},
    {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF},
    {0xFF, 0x00, 0xFF},
    {0x00, 0xFF, 0xFF},
    {0xFF, 0xFF, 0xFF},
}};

[[noreturn]] void Fail(const std::string& message) {
  throw std::runtime_error(message);
}

// The string literals of the file in order; everything between them (the
// comment, the declaration, commas) is C syntax and carries no pixels.
std::vector<std::string> StringLiterals(const std::string& source) {
  std::vector<std::string> strings;
  std::size_t i = 0;
  while (i < source.size()) {
    if (source.compare(i, 2, "/*") == 0) {
      const std::size_t end = source.find("*/", i + 2);
      if (end == std::string::npos) Fail("unterminated comment");
      i = end + 2;
    } else if (source[i] == '"') {
      std::string text;
      ++i;
      while (i < source.size() && source[i] != '"') {
        if (source[i] == '\\' && i + 1 < source.size()) ++i;
        text += source[i++];
      }
      if (i >= source.size()) Fail("unterminated string");
      ++i;
      strings.push_back(std::move(text));
    } else {
      ++i;
    }
  }
  return strings;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  Fail(std::string("not a hexadecimal digit: ") + c);
}

// "#RRGGBB" or "#RGB"; nullopt for "None".
std::optional<Rgb> ParseColour(std::string value) {
  std::transform(value.begin(), value.end(), value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (value == "none") return std::nullopt;
  if (value.size() == 7 && value[0] == '#') {
    const auto byte = [&](std::size_t at) {
      return static_cast<std::uint8_t>(HexDigit(value[at]) * 16 + HexDigit(value[at + 1]));
    };
    return Rgb{byte(1), byte(3), byte(5)};
  }
  if (value.size() == 4 && value[0] == '#') {
    const auto nibble = [&](std::size_t at) { return static_cast<std::uint8_t>(HexDigit(value[at]) * 17); };
    return Rgb{nibble(1), nibble(2), nibble(3)};
  }
  Fail("unsupported colour '" + value + "': use #RRGGBB or None");
}

struct Image {
  // Per pixel, top row first: a palette index, or -1 for transparent.
  std::array<std::array<int, kSize>, kSize> pixels{};
  std::array<Rgb, kPaletteSize> palette = kClassicPalette;
};

Image ReadXpm(const std::string& source) {
  const std::vector<std::string> strings = StringLiterals(source);
  if (strings.empty()) Fail("no XPM header");
  std::istringstream header(strings[0]);
  int width = 0, height = 0, colours = 0, charsPerPixel = 0;
  if (!(header >> width >> height >> colours >> charsPerPixel)) Fail("bad XPM header '" + strings[0] + "'");
  if (width != kSize || height != kSize) Fail("the icon must be 32 x 32 pixels");
  if (charsPerPixel < 1) Fail("bad characters per pixel");
  if (strings.size() < static_cast<std::size_t>(1 + colours + height)) Fail("the XPM is cut short");

  // Each key first takes its colour from the classic palette; the colours
  // outside it take the places the image does not use.
  std::map<std::string, std::optional<Rgb>> keys;
  for (int c = 0; c < colours; ++c) {
    const std::string& line = strings[static_cast<std::size_t>(1 + c)];
    if (line.size() < static_cast<std::size_t>(charsPerPixel)) Fail("bad colour line '" + line + "'");
    const std::string key = line.substr(0, static_cast<std::size_t>(charsPerPixel));
    std::istringstream rest(line.substr(static_cast<std::size_t>(charsPerPixel)));
    std::string kind, value;
    std::optional<std::string> colourValue;
    while (rest >> kind >> value) {
      if (kind == "c") colourValue = value;
    }
    if (!colourValue) Fail("colour line without a 'c' colour: '" + line + "'");
    keys[key] = ParseColour(*colourValue);
  }

  Image image;
  std::map<std::string, int> indexOf;
  std::vector<std::string> outside;
  std::array<bool, kPaletteSize> used{};
  for (const auto& [key, colour] : keys) {
    if (!colour) {
      indexOf[key] = -1;
      continue;
    }
    const auto found = std::find(kClassicPalette.begin(), kClassicPalette.end(), *colour);
    if (found != kClassicPalette.end()) {
      const int index = static_cast<int>(found - kClassicPalette.begin());
      indexOf[key] = index;
      used[static_cast<std::size_t>(index)] = true;
    } else {
      outside.push_back(key);
    }
  }
  for (const std::string& key : outside) {
    // Index 0 stays black: transparent pixels are stored as it.
    const auto free = std::find(used.begin() + 1, used.end(), false);
    if (free == used.end()) Fail("more than 16 colours");
    const auto index = static_cast<std::size_t>(free - used.begin());
    used[index] = true;
    image.palette[index] = *keys[key];
    indexOf[key] = static_cast<int>(index);
  }

  for (int y = 0; y < kSize; ++y) {
    const std::string& row = strings[static_cast<std::size_t>(1 + colours + y)];
    if (row.size() != static_cast<std::size_t>(kSize * charsPerPixel))
      Fail("row " + std::to_string(y) + " is not 32 pixels wide");
    for (int x = 0; x < kSize; ++x) {
      const std::string key =
          row.substr(static_cast<std::size_t>(x * charsPerPixel), static_cast<std::size_t>(charsPerPixel));
      const auto found = indexOf.find(key);
      if (found == indexOf.end()) Fail("row " + std::to_string(y) + " uses an undefined colour '" + key + "'");
      image.pixels[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = found->second;
    }
  }
  return image;
}

class Writer {
 public:
  void U8(std::uint32_t value) { bytes_.push_back(static_cast<char>(value & 0xFF)); }
  void U16(std::uint32_t value) {
    U8(value);
    U8(value >> 8);
  }
  void U32(std::uint32_t value) {
    U16(value);
    U16(value >> 16);
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// One 4-bit image with its AND mask, in the layout of an icon resource: a
// bitmap header of double height, the palette, the colour rows and then the
// mask rows, both bottom-up with rows padded to four bytes.
std::string WriteIco(const Image& image) {
  constexpr std::uint32_t kXorRowBytes = kSize / 2;  // 16: already a multiple of 4
  constexpr std::uint32_t kAndRowBytes = kSize / 8;  // 4
  constexpr std::uint32_t kHeaderBytes = 40;
  constexpr std::uint32_t kImageBytes = kHeaderBytes + kPaletteSize * 4 + (kXorRowBytes + kAndRowBytes) * kSize;

  Writer out;
  out.U16(0);  // reserved
  out.U16(1);  // an icon
  out.U16(1);  // one image
  out.U8(kSize);
  out.U8(kSize);
  out.U8(kPaletteSize);
  out.U8(0);
  out.U16(1);  // planes
  out.U16(4);  // bits per pixel
  out.U32(kImageBytes);
  out.U32(6 + 16);  // the image follows the directory and its one entry

  out.U32(kHeaderBytes);
  out.U32(kSize);
  out.U32(kSize * 2);  // colour rows and mask rows together
  out.U16(1);
  out.U16(4);
  out.U32(0);  // uncompressed
  out.U32((kXorRowBytes + kAndRowBytes) * kSize);
  out.U32(0);
  out.U32(0);
  out.U32(0);  // the palette is the full 16 colours
  out.U32(0);
  for (const Rgb& colour : image.palette) {
    out.U8(colour.blue);
    out.U8(colour.green);
    out.U8(colour.red);
    out.U8(0);
  }
  for (int y = kSize - 1; y >= 0; --y) {
    const auto& row = image.pixels[static_cast<std::size_t>(y)];
    for (int x = 0; x < kSize; x += 2) {
      const auto nibble = [&](int at) {
        return static_cast<std::uint32_t>(std::max(0, row[static_cast<std::size_t>(at)]));
      };
      out.U8(nibble(x) << 4 | nibble(x + 1));
    }
  }
  for (int y = kSize - 1; y >= 0; --y) {
    const auto& row = image.pixels[static_cast<std::size_t>(y)];
    for (int x = 0; x < kSize; x += 8) {
      std::uint32_t bits = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if (row[static_cast<std::size_t>(x + bit)] < 0) bits |= 0x80u >> bit;
      }
      out.U8(bits);
    }
  }
  return out.Bytes();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: xpm2ico INPUT.xpm OUTPUT.ico\n";
    return 2;
  }
  try {
    std::ifstream input(argv[1], std::ios::binary);
    if (!input) Fail(std::string("cannot read ") + argv[1]);
    std::ostringstream source;
    source << input.rdbuf();
    const std::string ico = WriteIco(ReadXpm(source.str()));
    std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
    if (!output.write(ico.data(), static_cast<std::streamsize>(ico.size())))
      Fail(std::string("cannot write ") + argv[2]);
  } catch (const std::exception& error) {
    std::cerr << "xpm2ico: " << argv[1] << ": " << error.what() << '\n';
    return 1;
  }
  return 0;
}
