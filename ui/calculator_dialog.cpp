#include "ui/calculator_dialog.h"

#include <string>

#include "ui/about_dialog.h"
#include "ui/accessible_names.h"
#include "ui/dialog_templates.h"
#include "ui/resource_ids.h"

namespace kadenzo {

using D = CCalculatorDialog;
using enum OperandRow;
using enum TimeUnit;

constexpr BindingRow CCalculatorDialog::kBindings[18] = {
    OnChange<&D::OnCountChange<First>>(IDC_FIRST_COUNT),
    OnChange<&D::OnCountChange<Second>>(IDC_SECOND_COUNT),
    OnChange<&D::OnTimeChange<First, Hours>>(IDC_FIRST_HOURS),
    OnChange<&D::OnTimeChange<First, Minutes>>(IDC_FIRST_MINUTES),
    OnChange<&D::OnTimeChange<First, Seconds>>(IDC_FIRST_SECONDS),
    OnChange<&D::OnTimeChange<First, Frames>>(IDC_FIRST_FRAMES),
    OnChange<&D::OnTimeChange<Second, Hours>>(IDC_SECOND_HOURS),
    OnChange<&D::OnTimeChange<Second, Minutes>>(IDC_SECOND_MINUTES),
    OnChange<&D::OnTimeChange<Second, Seconds>>(IDC_SECOND_SECONDS),
    OnChange<&D::OnTimeChange<Second, Frames>>(IDC_SECOND_FRAMES),
    OnClicked<&D::OnOperation<Operation::Add>>(IDC_ADD),
    OnClicked<&D::OnOperation<Operation::Subtract>>(IDC_SUBTRACT),
    OnClicked<&D::OnRate<kRate23_976>>(IDC_RATE_23_976),
    OnClicked<&D::OnRate<kRate24>>(IDC_RATE_24),
    OnClicked<&D::OnRate<kRate25>>(IDC_RATE_25),
    OnClicked<&D::OnRate<kRate29_97>>(IDC_RATE_29_97),
    OnClicked<&D::OnRate<kRate30>>(IDC_RATE_30),
    OnClicked<&D::OnAbout>(IDC_ABOUT),
};
constexpr BindingTable CCalculatorDialog::kBindingTable{&CDialog::kBindingTable, kBindings};

CCalculatorDialog::CCalculatorDialog(CDialog* parent) : CDialog(kCalculatorTemplate, parent), sheet_(*this) {}

const BindingTable& CCalculatorDialog::GetBindingTable() const {
  return kBindingTable;
}

bool CCalculatorDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  CentreOnScreen();
  SetAccessibleNames(CalculatorFieldNames());
  sheet_.Initialise();
  // The dialog manager puts the focus on the first tab stop, the first count.
  return true;
}

void CCalculatorDialog::DoDataExchange(DataExchange& dx) {
  if (dx.IsSaving()) {
    dx.Radio(IDC_RATE_23_976, checkedRate_);
    dx.Radio(IDC_ADD, checkedOperation_);
  } else {
    int rate = static_cast<int>(RateIndex(sheet_.GetRate()));
    int operation = static_cast<int>(sheet_.GetOperation());
    dx.Radio(IDC_RATE_23_976, rate);
    dx.Radio(IDC_ADD, operation);
  }
}

void CCalculatorDialog::SetFieldText(SheetField field, std::string_view text) {
  SetDlgItemText(FieldControl(field), text);
}

template <OperandRow row>
void CCalculatorDialog::OnCountChange() {
  const std::string text = GetDlgItemText(FieldControl(CountField(row)), kCountTextLimit);
  sheet_.CountEdited(row, text);
}

template <OperandRow row, TimeUnit unit>
void CCalculatorDialog::OnTimeChange() {
  sheet_.TimeFieldEdited(row, unit, GetDlgItemInt(FieldControl(TimeField(row, unit))));
}

template <FrameRate rate>
void CCalculatorDialog::OnRate() {
  sheet_.SetRate(rate);
}

template <Operation operation>
void CCalculatorDialog::OnOperation() {
  sheet_.SetOperation(operation);
}

void CCalculatorDialog::OnAbout() {
  CAboutDialog about;
  about.DoModal();
}

}  // namespace kadenzo
