// The second yardstick for KADENZO.EXE's start-up: the calculator's own
// dialog template, byte for byte as KADENZO.EXE hands it to the dialog
// manager (53 controls and the icon), shown as one modal dialog with a
// dialog procedure that does nothing. No colours, no hooks or subclasses, no
// screen-reader names, no sheet: what KADENZO.EXE takes beyond this is its
// own start-up, and what this takes beyond the minimal dialog is the cost of
// the controls themselves.
#include <vector>

#include "framework/win32/win32_api.h"
#include "framework/win32/win32_dialog.h"
#include "ui/dialog_templates.h"

// The framework's template encoder sits with its dialog window code, which
// asks the framework's platform part for the running dialogs and the colour
// answer. Answered here (no running dialogs, no colours of the program's),
// the platform part stays out of this program, and with it the start-up it
// does for KADENZO.EXE: the common controls, whose library it imports. So
// this program loads what the minimal dialog loads, and gdi32.
namespace kadenzo::win32 {

const std::vector<Win32DialogWindow*>& RunningDialogs() noexcept {
  static const std::vector<Win32DialogWindow*> none;
  return none;
}

LRESULT DialogColourAnswer(UINT, HDC) noexcept {
  return 0;
}

}  // namespace kadenzo::win32

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
    default: break;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::vector<WORD> words = kadenzo::win32::BuildDialogTemplate(kadenzo::kCalculatorTemplate);
  return static_cast<int>(
      DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), nullptr, DialogProc, 0));
}
