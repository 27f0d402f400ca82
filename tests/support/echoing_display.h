// A sheet display for tests that behaves like a window's edit fields: every
// write into one of the ten operand fields is reported straight back to the
// sheet as an edit, from inside the write. A display that only recorded
// would hide any fault in how the sheet guards against its own writes.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/calculator_sheet.h"
#include "framework/dialog.h"

namespace kadenzo::testing_support {

class EchoingDisplay : public SheetDisplay {
 public:
  explicit EchoingDisplay(bool echo = true) : echo_(echo) {}

  void Attach(CalculatorSheet& sheet) { sheet_ = &sheet; }

  void SetFieldText(SheetField field, std::string_view text) override {
    texts_[Slot(field)] = text;
    ++writes_;
    if (echo_) Report(field);
  }

  // A person replacing a field's whole text.
  void Edit(SheetField field, std::string_view text) {
    texts_[Slot(field)] = text;
    Report(field);
  }

  // A person typing text at the end of a field, one character at a time.
  void Type(SheetField field, std::string_view text) {
    for (char c : text) Edit(field, Text(field) + c);
  }

  const std::string& Text(SheetField field) const { return texts_[Slot(field)]; }
  int Writes() const { return writes_; }

  // "count h:m:s:f" for the row of a field.
  std::string Row(SheetField field) const {
    const FieldRow row = RowOf(field);
    std::string text = Text(CountField(row));
    for (TimeUnit unit : kTimeUnits) text += (unit == TimeUnit::Hours ? " " : ":") + Text(TimeField(row, unit));
    return text;
  }

 private:
  static std::size_t Slot(SheetField field) { return static_cast<std::size_t>(field); }

  void Report(SheetField field) {
    if (sheet_ == nullptr || RowOf(field) == FieldRow::Result) return;  // result fields never report
    const OperandRow row = RowOf(field) == FieldRow::First ? OperandRow::First : OperandRow::Second;
    // Read as a window reads its fields.
    const std::string text = Text(field);
    if (IsCountField(field))
      sheet_->CountEdited(row, std::string_view(text).substr(0, kCountTextLimit));
    else
      sheet_->TimeFieldEdited(row, UnitOf(field), ReadDlgItemInt(text));
  }

  bool echo_;
  CalculatorSheet* sheet_ = nullptr;
  std::array<std::string, kSheetFieldCount> texts_{};
  int writes_ = 0;
};

}  // namespace kadenzo::testing_support
