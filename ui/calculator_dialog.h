// The calculator window: the rate and operation choices, two operand rows
// and the result row. It owns the calculator's sheet and is its display:
// every edit and click goes to the sheet, and the sheet writes the fields
// back through SetFieldText.
#pragma once

#include "core/calculator_sheet.h"
#include "framework/dialog.h"
#include "ui/resource_ids.h"

namespace kadenzo {

// The control that shows each of the sheet's fields.
constexpr int FieldControl(SheetField field) noexcept {
  constexpr int kControls[kSheetFieldCount] = {
      IDC_FIRST_COUNT,  IDC_FIRST_HOURS,  IDC_FIRST_MINUTES,  IDC_FIRST_SECONDS,  IDC_FIRST_FRAMES,
      IDC_SECOND_COUNT, IDC_SECOND_HOURS, IDC_SECOND_MINUTES, IDC_SECOND_SECONDS, IDC_SECOND_FRAMES,
      IDC_RESULT_COUNT, IDC_RESULT_HOURS, IDC_RESULT_MINUTES, IDC_RESULT_SECONDS, IDC_RESULT_FRAMES,
  };
  return kControls[static_cast<int>(field)];
}

// The rate button that chooses each rate.
constexpr int RateButton(FrameRate rate) noexcept {
  constexpr int kButtons[kRateCount] = {IDC_RATE_23_976, IDC_RATE_24, IDC_RATE_25, IDC_RATE_29_97, IDC_RATE_30};
  return kButtons[RateIndex(rate)];
}

class CCalculatorDialog : public CDialog, private SheetDisplay {
 public:
  explicit CCalculatorDialog(CDialog* parent = nullptr);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;
  const BindingTable& GetBindingTable() const override;

 private:
  void SetFieldText(SheetField field, std::string_view text) override;

  template <OperandRow row>
  void OnCountChange();
  template <OperandRow row, TimeUnit unit>
  void OnTimeChange();
  template <FrameRate rate>
  void OnRate();
  template <Operation operation>
  void OnOperation();
  void OnAbout();

  static const BindingRow kBindings[18];
  static const BindingTable kBindingTable;

  CalculatorSheet sheet_;
  // The radio groups as last read back when the window closed with OK.
  // Nothing reads them afterwards; OK reads them back all the same, as every
  // dialog's OK does, so keep them.
  int checkedRate_ = -1;
  int checkedOperation_ = -1;
};

}  // namespace kadenzo
