// The program's resources for platforms without a resource section. The
// application defines ApplicationResources(); the Windows build compiles the
// same texts and pixels into real resources instead.
#pragma once

#include <span>
#include <string_view>

namespace kadenzo {

struct StringResource {
  unsigned id;
  std::string_view text;
};

struct IconResource {
  int id;
  const char* const* xpm;  // the icon's pixels as XPM rows
};

struct ResourceTable {
  std::span<const StringResource> strings;
  std::span<const IconResource> icons;
};

const ResourceTable& ApplicationResources();

}  // namespace kadenzo
