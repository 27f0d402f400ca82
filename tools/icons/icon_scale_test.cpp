#include "tools/icons/icon_scale.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QSet>

namespace kadenzo::icons {
namespace {

#include "app/icon/kadenzo.xpm"

constexpr int kThemeSizes[] = {16, 32, 48, 64, 128, 256};

QSet<QRgb> Colours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
  }
  return colours;
}

class ThemeSize : public testing::TestWithParam<int> {};

TEST_P(ThemeSize, KeepsThePaletteWithoutBlending) {
  const QImage source = QImage(kadenzo_xpm).convertToFormat(QImage::Format_ARGB32);
  const QImage scaled = ScaleSharp(source, GetParam());
  ASSERT_EQ(scaled.size(), QSize(GetParam(), GetParam()));
  // Smoothing would add in-between colours and half-transparent edges.
  const QSet<QRgb> sourceColours = Colours(source);
  for (QRgb colour : Colours(scaled)) {
    EXPECT_TRUE(sourceColours.contains(colour)) << "colour #" << std::hex << colour << " is not in the icon";
  }
  EXPECT_EQ(qAlpha(scaled.pixel(0, 0)), 0) << "the corner outside the shapes must stay transparent";
  const int hole = GetParam() * 23 / 64;  // the hole's centre is at 11.5 of 32
  EXPECT_EQ(qAlpha(scaled.pixel(hole, hole)), 0) << "the disc's hole must stay transparent";
}

INSTANTIATE_TEST_SUITE_P(IconTheme, ThemeSize, testing::ValuesIn(kThemeSizes));

class WholeMultiple : public testing::TestWithParam<int> {};

TEST_P(WholeMultiple, RepeatsEachPixelAsASquare) {
  const QImage source = QImage(kadenzo_xpm).convertToFormat(QImage::Format_ARGB32);
  const int size = GetParam();
  ASSERT_EQ(size % source.width(), 0);
  const int factor = size / source.width();
  const QImage scaled = ScaleSharp(source, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      ASSERT_EQ(scaled.pixel(x, y), source.pixel(x / factor, y / factor)) << "at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(IconTheme, WholeMultiple, testing::Values(32, 64, 128, 256));

// The calculator in the icon has a one-pixel black outline that starts on an
// odd row and column; halving the icon must not open it.
TEST(ScaleSharp, HalvingKeepsOnePixelOutlinesOnOddLines) {
  struct Case {
    int left, top, right, bottom;  // outline in the 32-pixel source, inclusive
  };
  const Case cases[] = {{17, 11, 31, 31}, {1, 1, 29, 29}, {5, 9, 15, 21}};
  for (const Case& c : cases) {
    QImage source(32, 32, QImage::Format_ARGB32);
    source.fill(Qt::transparent);
    for (int x = c.left; x <= c.right; ++x) {
      source.setPixel(x, c.top, qRgb(0, 0, 0));
      source.setPixel(x, c.bottom, qRgb(0, 0, 0));
    }
    for (int y = c.top; y <= c.bottom; ++y) {
      source.setPixel(c.left, y, qRgb(0, 0, 0));
      source.setPixel(c.right, y, qRgb(0, 0, 0));
    }
    const QImage half = ScaleSharp(source, 16);
    const int left = c.left / 2, top = c.top / 2, right = c.right / 2, bottom = c.bottom / 2;
    for (int x = left; x <= right; ++x) {
      EXPECT_EQ(half.pixel(x, top), qRgb(0, 0, 0)) << "top edge open at " << x << " for outline from " << c.left;
      EXPECT_EQ(half.pixel(x, bottom), qRgb(0, 0, 0)) << "bottom edge open at " << x << " for outline from " << c.left;
    }
    for (int y = top; y <= bottom; ++y) {
      EXPECT_EQ(half.pixel(left, y), qRgb(0, 0, 0)) << "left edge open at " << y << " for outline from " << c.top;
      EXPECT_EQ(half.pixel(right, y), qRgb(0, 0, 0)) << "right edge open at " << y << " for outline from " << c.top;
    }
  }
}

}  // namespace
}  // namespace kadenzo::icons
