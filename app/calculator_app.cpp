#include "app/calculator_app.h"

#include "app/resource.h"
#include "ui/calculator_dialog.h"
#include "ui/resource_ids.h"

namespace kadenzo {

namespace {
#include "app/icon/kadenzo.xpm"

// The title and icon for platforms without a resource section; kadenzo.rc
// says the same to Windows.
constexpr StringResource kStrings[] = {{IDS_APP_TITLE, KADENZO_APP_TITLE}};
constexpr IconResource kIcons[] = {{IDR_APP_ICON, kadenzo_xpm}};
constexpr ResourceTable kResources{kStrings, kIcons};
}  // namespace

CCalculatorApp::CCalculatorApp() noexcept : CWinApp(kResources) {}

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
