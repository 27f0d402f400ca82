// Scaling of the program icon for desktop icon themes. The icon is pixel
// art in a 16-colour palette, so every size keeps whole source pixels: no
// pixel of a scaled icon is a blend of two source pixels.
#pragma once

#include <QImage>

namespace kadenzo::icons {

// The icon at size × size pixels, in 32-bit ARGB with the source's
// transparency kept.
QImage ScaleSharp(const QImage& source, int size);

}  // namespace kadenzo::icons
