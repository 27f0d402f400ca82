// kadenzo-icon's files read back by Qt's image readers, which share no code
// with it: the committed XPM's pixels must come out of every file the build
// makes of it.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tools/icons/icon_files.h"
#include "tools/icons/xpm.h"

namespace kadenzo::icons {
namespace {

#include "app/icon/kadenzo.xpm"

std::string CommittedXpm() {
  std::ifstream file(KADENZO_ICON_XPM, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Qt's reading of the committed XPM, with every transparent pixel as 0, as
// the tool keeps them.
QImage QtIcon() {
  QImage image = QImage(kadenzo_xpm).convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) == 0) image.setPixel(x, y, 0);
    }
  }
  return image;
}

QImage Read(const std::string& bytes, const char* format) {
  QImage image = QImage::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), format)
                     .convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) == 0) image.setPixel(x, y, 0);
    }
  }
  return image;
}

TEST(ReadXpm, ReadsTheCommittedIconAsQtDoes) {
  const Image icon = ReadXpm(CommittedXpm());
  const QImage qt = QtIcon();
  ASSERT_EQ(icon.width, qt.width());
  ASSERT_EQ(icon.height, qt.height());
  for (int y = 0; y < icon.height; ++y) {
    for (int x = 0; x < icon.width; ++x) ASSERT_EQ(icon.At(x, y), qt.pixel(x, y)) << "at " << x << "," << y;
  }
}

// The icon theme's sizes and the site's: each PNG holds the icon with every
// pixel a whole source pixel, repeated as a square at whole multiples, and
// the transparent corner and hole of the disc kept.
TEST(WritePng, DrawsTheIconAtEverySizeTheBuildsAskFor) {
  const Image icon = ReadXpm(CommittedXpm());
  const QImage qt = QtIcon();
  for (const int size : {16, 32, 48, 64, 128, 192, 256, 512}) {
    const QImage png = Read(WritePng(ScaleSharp(icon, size)), "PNG");
    ASSERT_EQ(png.size(), QSize(size, size)) << size;
    if (size >= qt.width()) {
      EXPECT_EQ(png, qt.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation))
          << "at " << size << " pixels, not the icon enlarged as Qt enlarges it";
    } else {
      // Halved, each pixel is the one under the centre of its 2 × 2 block.
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) ASSERT_EQ(png.pixel(x, y), qt.pixel(2 * x + 1, 2 * y + 1)) << x << "," << y;
      }
    }
    const int hole = size * 23 / 64;  // the hole's centre is at 11.5 of 32
    EXPECT_EQ(png.pixel(0, 0), 0u) << size;
    EXPECT_EQ(png.pixel(hole, hole), 0u) << size;
  }
}

// The calculator in the icon has a one-pixel black outline that starts on an
// odd row and column; halving the icon must not open it.
TEST(ScaleSharp, HalvingKeepsOnePixelOutlinesOnOddLines) {
  struct Case {
    int left, top, right, bottom;  // outline in the 32-pixel source, inclusive
  };
  const Case cases[] = {{17, 11, 31, 31}, {1, 1, 29, 29}, {5, 9, 15, 21}};
  constexpr Argb kBlack = 0xFF000000;
  for (const Case& c : cases) {
    Image source{32, 32, std::vector<Argb>(32 * 32, 0)};
    const auto set = [&source](int x, int y) { source.pixels[static_cast<std::size_t>(y * 32 + x)] = kBlack; };
    for (int x = c.left; x <= c.right; ++x) set(x, c.top), set(x, c.bottom);
    for (int y = c.top; y <= c.bottom; ++y) set(c.left, y), set(c.right, y);
    const Image half = ScaleSharp(source, 16);
    for (int x = c.left / 2; x <= c.right / 2; ++x) {
      EXPECT_EQ(half.At(x, c.top / 2), kBlack) << "top edge open at " << x << " for outline from " << c.left;
      EXPECT_EQ(half.At(x, c.bottom / 2), kBlack) << "bottom edge open at " << x << " for outline from " << c.left;
    }
    for (int y = c.top / 2; y <= c.bottom / 2; ++y) {
      EXPECT_EQ(half.At(c.left / 2, y), kBlack) << "left edge open at " << y << " for outline from " << c.top;
      EXPECT_EQ(half.At(c.right / 2, y), kBlack) << "right edge open at " << y << " for outline from " << c.top;
    }
  }
}

TEST(WriteIco, HoldsTheIconWithItsTransparency) {
  const QImage ico = Read(WriteIco(ReadXpm(CommittedXpm())), "ICO");
  EXPECT_EQ(ico, QtIcon());
}

TEST(ReadXpm, SaysWhatIsWrongWithAnImageItCannotRead) {
  struct Case {
    const char* source;
    const char* says;
  };
  const Case cases[] = {
      {"\"2 1 1 1\", \". c #000000\", \"..", "unterminated string"},
      {"\"2 1 1 1\", \". c #000000\"", "cut short"},
      {"\"2 1 1 1\", \". c #000000\", \".x\"", "undefined colour"},
      {"\"2 1 1 1\", \". c #000000\", \"...\"", "not 2 pixels wide"},
      {"\"2 1 1 1\", \". c red\", \"..\"", "unsupported colour"},
      {"\"2 1 1 1\", \". s edge\", \"..\"", "without a 'c' colour"},
      {"\"2 1 2 1\", \". c #000\", \". c None\", \"..\"", "defined twice"},
      {"\"0 1 1 1\", \". c #000\", \"\"", "1 to 1024"},
      {"\"2 1 1 0\", \". c #000\", \"..\"", "bad XPM header"},
  };
  for (const Case& c : cases) {
    try {
      ReadXpm(c.source);
      ADD_FAILURE() << "read " << c.source;
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
    }
  }
}

TEST(ReadXpm, ReadsShortColoursAsTheirDoubledDigits) {
  const Image image = ReadXpm("\"3 1 3 2\", \"a. c #1aF\", \"b. c #10a0ff\", \"  c None\", \"a.b.  \"");
  EXPECT_EQ(image.pixels, (std::vector<Argb>{0xFF11AAFF, 0xFF10A0FF, 0}));
}

}  // namespace
}  // namespace kadenzo::icons
