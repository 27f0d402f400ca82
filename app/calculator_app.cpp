#include "app/calculator_app.h"

#include "ui/calculator_dialog.h"

namespace kadenzo {

bool CCalculatorApp::InitInstance() {
  // Light grey faces with black text on every dialog, whatever the desktop's
  // colour scheme; editable fields keep the scheme's own colours.
  SetDialogBkColor(Rgb(192, 192, 192), Rgb(0, 0, 0));

  CCalculatorDialog calculator;
  calculator.DoModal();
  return true;
}

// The one application object; the framework's entry finds it.
CCalculatorApp theApp;

}  // namespace kadenzo
