#include "tools/icons/icon_scale.h"

namespace kadenzo::icons {

QImage ScaleSharp(const QImage& source, int size) {
  const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
  if (size >= argb.width() && size >= argb.height()) {
    return argb.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  }
  // Qt's fast transformation takes the top-left pixel of each block when it
  // shrinks, which drops the calculator's one-pixel outline on the odd rows
  // and columns of the 32-pixel icon. Taking the source pixel under the
  // centre of each target pixel keeps it (and the keypad's grid) at 16.
  QImage scaled(size, size, QImage::Format_ARGB32);
  for (int y = 0; y < size; ++y) {
    const int sourceY = (2 * y + 1) * argb.height() / (2 * size);
    const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(sourceY));
    auto* out = reinterpret_cast<QRgb*>(scaled.scanLine(y));
    for (int x = 0; x < size; ++x) out[x] = in[(2 * x + 1) * argb.width() / (2 * size)];
  }
  return scaled;
}

}  // namespace kadenzo::icons
