// The icon's pictures as files: PNG for icon themes and the site, ICO for
// the Windows resources.
#pragma once

#include <string>

#include "tools/icons/xpm.h"

namespace kadenzo::icons {

// 8-bit RGBA, not interlaced.
std::string WritePng(const Image& image);

// One 32 × 32, 16-colour image with its transparency mask. Colours of the
// classic 16-colour palette keep their usual places in it, so that the icon
// draws well on a 16-colour display too. Throws std::runtime_error for
// another size, more than 16 colours or partial transparency.
std::string WriteIco(const Image& image);

}  // namespace kadenzo::icons
