// The web backend's program-wide state: the application's resources and the
// stack of running dialogs.
#pragma once

#include <vector>

#include "framework/win_app.h"

namespace kadenzo::web {

class WebDialogWindow;

const ResourceTable& Resources();
// The running dialogs, innermost last; message boxes are not among them.
const std::vector<WebDialogWindow*>& RunningDialogs();

}  // namespace kadenzo::web
