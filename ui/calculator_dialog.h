// The calculator window: the rate and operation choices, two operand rows
// and the result row. It owns the calculator's sheet and is its display:
// every edit and click goes to the sheet, and the sheet writes the fields
// back through SetFieldText.
#pragma once

#include "core/calculator_sheet.h"
#include "framework/dialog.h"

namespace kadenzo {

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
  int checkedRate_ = -1;
  int checkedOperation_ = -1;
};

}  // namespace kadenzo
