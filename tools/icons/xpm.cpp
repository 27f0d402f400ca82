#include "tools/icons/xpm.h"

#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

namespace kadenzo::icons {

namespace {

[[noreturn]] void Fail(const std::string& message) {
  throw std::runtime_error(message);
}

// The string literals of the file in order; everything between them (the
// comments, the declaration, commas) is C syntax and carries no pixels.
std::vector<std::string> StringLiterals(std::string_view source) {
  std::vector<std::string> strings;
  std::size_t i = 0;
  while (i < source.size()) {
    if (source.substr(i, 2) == "/*") {
      const std::size_t end = source.find("*/", i + 2);
      if (end == std::string_view::npos) Fail("unterminated comment");
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
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Argb ParseColour(const std::string& value) {
  if (value == "None" || value == "none") return 0;
  const std::size_t digits = value.size() - 1;
  if (value[0] != '#' || (digits != 3 && digits != 6)) Fail("unsupported colour '" + value + "': use #RRGGBB or None");
  const std::size_t perChannel = digits / 3;
  Argb pixel = 0xFF000000u;
  for (std::size_t channel = 0; channel < 3; ++channel) {
    int level = 0;
    for (std::size_t d = 0; d < perChannel; ++d) {
      const int digit = HexDigit(value[1 + channel * perChannel + d]);
      if (digit < 0) Fail("not a hexadecimal colour: '" + value + "'");
      level = level * 16 + digit;
    }
    if (perChannel == 1) level *= 17;  // #RGB is #RRGGBB with each digit doubled
    pixel |= static_cast<Argb>(level) << (16 - 8 * channel);
  }
  return pixel;
}

}  // namespace

Image ReadXpm(std::string_view source) {
  const std::vector<std::string> strings = StringLiterals(source);
  if (strings.empty()) Fail("no XPM header");
  std::istringstream header(strings[0]);
  int width = 0, height = 0, colours = 0, perPixel = 0;
  if (!(header >> width >> height >> colours >> perPixel)) Fail("bad XPM header '" + strings[0] + "'");
  // An icon is small; anything larger is no icon of ours, and the limits
  // keep the sizes below from overflowing.
  if (width < 1 || height < 1 || width > 1024 || height > 1024) Fail("the image must be 1 to 1024 pixels each way");
  if (perPixel < 1 || perPixel > 4 || colours < 1 || colours > 4096) Fail("bad XPM header '" + strings[0] + "'");
  if (strings.size() < static_cast<std::size_t>(1 + colours + height)) Fail("the XPM is cut short");

  std::map<std::string, Argb, std::less<>> palette;
  for (int c = 0; c < colours; ++c) {
    const std::string& line = strings[static_cast<std::size_t>(1 + c)];
    if (line.size() < static_cast<std::size_t>(perPixel)) Fail("bad colour line '" + line + "'");
    const std::string key = line.substr(0, static_cast<std::size_t>(perPixel));
    // The rest is pairs of a visual's key and its colour; only "c", the
    // colour visual, matters for a colour icon.
    std::istringstream rest(line.substr(static_cast<std::size_t>(perPixel)));
    std::string kind, value, colour;
    while (rest >> kind >> value) {
      if (kind == "c") colour = value;
    }
    if (colour.empty()) Fail("colour line without a 'c' colour: '" + line + "'");
    if (!palette.emplace(key, ParseColour(colour)).second) Fail("colour '" + key + "' is defined twice");
  }

  Image image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const std::string_view row = strings[static_cast<std::size_t>(1 + colours + y)];
    if (row.size() != static_cast<std::size_t>(width * perPixel))
      Fail("row " + std::to_string(y) + " is not " + std::to_string(width) + " pixels wide");
    for (int x = 0; x < width; ++x) {
      const auto found =
          palette.find(row.substr(static_cast<std::size_t>(x * perPixel), static_cast<std::size_t>(perPixel)));
      if (found == palette.end()) Fail("row " + std::to_string(y) + " uses an undefined colour");
      image.pixels.push_back(found->second);
    }
  }
  return image;
}

Image ScaleSharp(const Image& source, int size) {
  // Enlarged, each target pixel takes the source pixel its left or top edge
  // falls in: a whole multiple repeats each pixel as a square, and 48 from
  // 32 doubles every other one. Shrunk, it takes the source pixel under its
  // centre: the top-left pixel of each block would drop the calculator's
  // one-pixel outline on the odd rows and columns of the 32-pixel icon.
  const bool enlarged = size >= source.width && size >= source.height;
  const auto from = [size, enlarged](int at, int extent) {
    return enlarged ? at * extent / size : (2 * at + 1) * extent / (2 * size);
  };
  Image scaled{size, size, {}};
  scaled.pixels.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  for (int y = 0; y < size; ++y) {
    const int sourceY = from(y, source.height);
    for (int x = 0; x < size; ++x) scaled.pixels.push_back(source.At(from(x, source.width), sourceY));
  }
  return scaled;
}

}  // namespace kadenzo::icons
