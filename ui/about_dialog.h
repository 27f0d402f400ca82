// The About box: the program's name, version and purpose. It binds nothing
// of its own; Close, Enter and Escape end it as they end every dialog.
#pragma once

#include "framework/dialog.h"

namespace kadenzo {

class CAboutDialog : public CDialog {
 public:
  explicit CAboutDialog(CDialog* parent = nullptr);

 protected:
  bool OnInitDialog() override;
};

}  // namespace kadenzo
