#include "framework/dialog_template.h"

#include <algorithm>

#include "framework/exceptions.h"

namespace kadenzo {

std::span<const ControlTemplate> GroupOf(const DialogTemplate& dialog, int firstId) {
  const auto controls = dialog.controls;
  const auto first = std::find_if(controls.begin(), controls.end(),
                                  [firstId](const ControlTemplate& control) { return control.id == firstId; });
  if (first == controls.end()) throw CResourceException("no control with that id in the dialog template");
  const auto end = std::find_if(first + 1, controls.end(), [](const ControlTemplate& control) {
    return (control.flags & ControlFlag::kGroup) != 0;
  });
  return {first, end};
}

}  // namespace kadenzo
