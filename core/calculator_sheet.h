// The state of one calculator and the rules that keep its fifteen fields
// consistent. The sheet knows nothing of windows: it is told what a person
// edited and writes the texts that must change through its display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "core/timecode.h"

namespace kadenzo {

enum class Operation : std::uint32_t { Add = 0, Subtract = 1 };
enum class OperandRow { First, Second };

// The fifteen fields, row by row: the first operand's, the second's, then
// the result's. Each row is a count followed by its hours, minutes, seconds
// and frames.
enum class SheetField {
  FirstCount,
  FirstHours,
  FirstMinutes,
  FirstSeconds,
  FirstFrames,
  SecondCount,
  SecondHours,
  SecondMinutes,
  SecondSeconds,
  SecondFrames,
  ResultCount,
  ResultHours,
  ResultMinutes,
  ResultSeconds,
  ResultFrames,
};
inline constexpr int kSheetFieldCount = 15;

// The rows of fields: an operand's, or the result's.
enum class FieldRow { First, Second, Result };
constexpr FieldRow RowOf(OperandRow row) noexcept {
  return row == OperandRow::First ? FieldRow::First : FieldRow::Second;
}

namespace detail {
inline constexpr int kFieldsPerRow = 1 + static_cast<int>(std::size(kTimeUnits));
}

constexpr SheetField CountField(FieldRow row) noexcept {
  return static_cast<SheetField>(static_cast<int>(row) * detail::kFieldsPerRow);
}
constexpr SheetField TimeField(FieldRow row, TimeUnit unit) noexcept {
  return static_cast<SheetField>(static_cast<int>(CountField(row)) + 1 + static_cast<int>(unit));
}
constexpr SheetField CountField(OperandRow row) noexcept {
  return CountField(RowOf(row));
}
constexpr SheetField TimeField(OperandRow row, TimeUnit unit) noexcept {
  return TimeField(RowOf(row), unit);
}

// Where a field sits: its row, and whether it is the count or which of the
// time's values it shows.
constexpr FieldRow RowOf(SheetField field) noexcept {
  return static_cast<FieldRow>(static_cast<int>(field) / detail::kFieldsPerRow);
}
constexpr bool IsCountField(SheetField field) noexcept {
  return static_cast<int>(field) % detail::kFieldsPerRow == 0;
}
// For a time field: the value it shows.
constexpr TimeUnit UnitOf(SheetField field) noexcept {
  return static_cast<TimeUnit>(static_cast<int>(field) % detail::kFieldsPerRow - 1);
}

// A window hands the sheet at most this many characters of a count field.
inline constexpr std::size_t kCountTextLimit = 127;

// Whatever shows the fields. A display may report the sheet's writes into the
// ten operand fields back to the sheet as edits, synchronously, from inside
// SetFieldText, as the platforms' edit fields do; the sheet ignores them.
class SheetDisplay {
 public:
  virtual ~SheetDisplay() = default;
  virtual void SetFieldText(SheetField field, std::string_view text) = 0;
};

class CalculatorSheet {
 public:
  explicit CalculatorSheet(SheetDisplay& display) noexcept : display_(display) {}
  CalculatorSheet(const CalculatorSheet&) = delete;
  CalculatorSheet& operator=(const CalculatorSheet&) = delete;

  // Brings the sheet and its display to the start state: every field "0".
  void Initialise();

  // The text of an operand's count field changed.
  void CountEdited(OperandRow row, std::string_view text);
  // One of an operand's time fields changed; value is its text as read by
  // ReadFieldNumber.
  void TimeFieldEdited(OperandRow row, TimeUnit unit, std::uint32_t value);
  void SetOperation(Operation operation);
  void SetRate(FrameRate rate);

  FrameRate GetRate() const noexcept { return rate_; }
  Operation GetOperation() const noexcept { return operation_; }

  // What the sheet holds for an operand or the result (for a negative
  // difference, the result's magnitude).
  struct Value {
    std::uint32_t count = 0;
    TimeFields time{};
  };
  const Value& GetValue(OperandRow row) const noexcept { return operands_[Index(row)]; }
  const Value& GetResult() const noexcept { return result_; }

 private:
  static constexpr int Index(OperandRow row) noexcept { return row == OperandRow::First ? 0 : 1; }

  void WriteNumber(SheetField field, std::uint64_t value);
  void WriteCount(OperandRow row);
  void WriteTime(OperandRow row);
  void ComputeResult();

  SheetDisplay& display_;
  Value operands_[2];
  Value result_;
  Operation operation_ = Operation::Add;
  FrameRate rate_ = kRate30;
  // Set while an edit or a rate change writes fields, so that the change
  // notifications those writes raise are not taken for new edits.
  bool updating_ = false;
};

}  // namespace kadenzo
