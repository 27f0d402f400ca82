// The state of one calculator and the rules that keep its fifteen fields
// consistent. The sheet knows nothing of windows: it is told what a person
// edited and writes the texts that must change through its display.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/timecode.h"

namespace kadenzo {

enum class Operation : std::uint32_t { Add = 0, Subtract = 1 };
enum class OperandRow { First, Second };
enum class TimeUnit { Hours, Minutes, Seconds, Frames };
inline constexpr TimeUnit kTimeUnits[] = {TimeUnit::Hours, TimeUnit::Minutes, TimeUnit::Seconds, TimeUnit::Frames};

// One of a time's four values, by unit.
constexpr const std::uint32_t& TimeValue(const TimeFields& time, TimeUnit unit) noexcept {
  switch (unit) {
    case TimeUnit::Hours: return time.hours;
    case TimeUnit::Minutes: return time.minutes;
    case TimeUnit::Seconds: return time.seconds;
    case TimeUnit::Frames: break;
  }
  return time.frames;
}
constexpr std::uint32_t& TimeValue(TimeFields& time, TimeUnit unit) noexcept {
  return const_cast<std::uint32_t&>(TimeValue(static_cast<const TimeFields&>(time), unit));
}

// Each row is a count followed by its hours, minutes, seconds and frames.
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
