// The application: fixes the dialog colours for the whole program and runs
// the calculator until it is closed.
#pragma once

#include "framework/win_app.h"

namespace kadenzo {

class CCalculatorApp : public CWinApp {
 public:
  CCalculatorApp() noexcept;
  bool InitInstance() override;
};

}  // namespace kadenzo
