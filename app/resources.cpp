// The program's resources for platforms without a resource section.
#include "framework/resources.h"

#include "app/resource.h"
#include "ui/resource_ids.h"

namespace kadenzo {

namespace {
#include "app/icon/kadenzo.xpm"

constexpr StringResource kStrings[] = {{IDS_APP_TITLE, KADENZO_APP_TITLE}};
constexpr IconResource kIcons[] = {{IDR_APP_ICON, kadenzo_xpm}};
constexpr ResourceTable kResources{kStrings, kIcons};
}  // namespace

const ResourceTable& ApplicationResources() {
  return kResources;
}

}  // namespace kadenzo
