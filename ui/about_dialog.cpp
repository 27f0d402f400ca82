#include "ui/about_dialog.h"

#include "ui/dialog_templates.h"

namespace kadenzo {

CAboutDialog::CAboutDialog(CDialog* parent) : CDialog(kAboutTemplate, parent) {}

bool CAboutDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  // Centred on the screen, not on the calculator.
  CentreOnScreen();
  return true;
}

}  // namespace kadenzo
