#include "core/calculator_sheet.h"

#include <limits>

#include "core/field_text.h"

namespace kadenzo {

namespace {

constexpr std::uint32_t kMaxTimeValue = 65500;
// The second operand's minutes are limited to an hour's worth; the first
// operand's take the general limit, so 0:75:00:00 may be typed there.
constexpr std::uint32_t kMaxSecondMinutes = 59;

std::uint32_t EntryLimit(OperandRow row, TimeUnit unit, FrameRate rate) noexcept {
  if (unit == TimeUnit::Frames) return NominalFps(rate) - 1;
  if (unit == TimeUnit::Minutes && row == OperandRow::Second) return kMaxSecondMinutes;
  return kMaxTimeValue;
}

// Holds the updating flag for the length of one operation, and clears it even
// when a display write fails, so that a failed write cannot leave the sheet
// deaf to every later edit.
class UpdatingScope {
 public:
  explicit UpdatingScope(bool& flag) noexcept : flag_(flag) { flag_ = true; }
  ~UpdatingScope() { flag_ = false; }
  UpdatingScope(const UpdatingScope&) = delete;
  UpdatingScope& operator=(const UpdatingScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void CalculatorSheet::WriteNumber(SheetField field, std::uint64_t value) {
  display_.SetFieldText(field, FormatUnsigned(value));
}

void CalculatorSheet::WriteCount(OperandRow row) {
  WriteNumber(CountField(row), operands_[Index(row)].count);
}

void CalculatorSheet::WriteTime(OperandRow row) {
  // Writing may re-enter the sheet (during Initialise): read each value only
  // when it is written.
  for (TimeUnit unit : kTimeUnits) WriteNumber(TimeField(row, unit), TimeValue(operands_[Index(row)].time, unit));
}

void CalculatorSheet::Initialise() {
  // Not guarded by updating_: the writes below may come back as edits of
  // zeroes, which change nothing.
  operands_[0] = operands_[1] = result_ = Value{};
  for (OperandRow row : {OperandRow::First, OperandRow::Second}) {
    operands_[Index(row)].time = FramesToTime(operands_[Index(row)].count, rate_);
    WriteTime(row);
  }
  for (OperandRow row : {OperandRow::First, OperandRow::Second}) {
    operands_[Index(row)].count = static_cast<std::uint32_t>(TimeToFrames(operands_[Index(row)].time, rate_));
    WriteCount(row);
  }
  ComputeResult();
}

void CalculatorSheet::CountEdited(OperandRow row, std::string_view text) {
  if (updating_) return;
  UpdatingScope scope(updating_);
  Value& operand = operands_[Index(row)];

  // A text without digits keeps the previous count. Counts outside the typed
  // range are clamped and written back so the field shows what is computed:
  // a negative number becomes 0, a number above the limit the limit itself.
  // The field otherwise keeps its text as typed.
  const CountText read = ReadCountText(text);
  if (read.hasDigits && read.negative) {
    operand.count = 0;
    WriteCount(row);
  } else if (read.hasDigits) {
    operand.count = read.magnitude;
  }
  // The limit holds for a kept count too: a time edit may have left the
  // largest count here, and emptying the field must not keep it above the
  // limit.
  if (operand.count > kMaxTypedCount) {
    operand.count = kMaxTypedCount;
    WriteCount(row);
  }
  operand.time = FramesToTime(operand.count, rate_);
  WriteTime(row);
  ComputeResult();
}

void CalculatorSheet::TimeFieldEdited(OperandRow row, TimeUnit unit, std::uint32_t value) {
  if (updating_) return;
  UpdatingScope scope(updating_);
  Value& operand = operands_[Index(row)];

  const std::uint32_t limit = EntryLimit(row, unit, rate_);
  TimeValue(operand.time, unit) = value;
  if (value > limit) {
    TimeValue(operand.time, unit) = limit;
    WriteNumber(TimeField(row, unit), limit);
  }

  // A large time (hours near the limit at 30 frames per second) can exceed
  // the largest count; the count is then clamped like a typed one, and the
  // time rewritten from it so that both fields say the same.
  const std::uint64_t frames = TimeToFrames(operand.time, rate_);
  if (frames > std::numeric_limits<std::uint32_t>::max()) {
    operand.count = std::numeric_limits<std::uint32_t>::max();
    WriteCount(row);
    operand.time = FramesToTime(operand.count, rate_);
    WriteTime(row);
  } else {
    operand.count = static_cast<std::uint32_t>(frames);
    WriteCount(row);
  }
  ComputeResult();
}

void CalculatorSheet::SetOperation(Operation operation) {
  // Writes only result fields, which never report back: no guard needed.
  operation_ = operation;
  ComputeResult();
}

void CalculatorSheet::SetRate(FrameRate rate) {
  // The counts stay; the times follow the new rate. Choosing the current rate
  // again therefore normalises a time typed as 0:75:00:00.
  rate_ = rate;
  UpdatingScope scope(updating_);
  for (OperandRow row : {OperandRow::First, OperandRow::Second}) {
    operands_[Index(row)].time = FramesToTime(operands_[Index(row)].count, rate_);
    WriteTime(row);
  }
  ComputeResult();
}

void CalculatorSheet::ComputeResult() {
  const std::uint32_t first = operands_[0].count;
  const std::uint32_t second = operands_[1].count;
  const SheetField resultCount = CountField(FieldRow::Result);

  if (operation_ == Operation::Subtract && first < second) {
    // A difference below zero is shown as a minus sign and its magnitude;
    // the time shows the magnitude alone.
    result_.count = second - first;
    display_.SetFieldText(resultCount, FormatNegative(result_.count));
  } else if (operation_ != Operation::Subtract &&
             std::uint64_t{first} + second > std::numeric_limits<std::uint32_t>::max()) {
    // The sum has no 32-bit count: say so, and show no time at all.
    result_.count = first + second;
    display_.SetFieldText(resultCount, "overflow");
    for (TimeUnit unit : kTimeUnits) display_.SetFieldText(TimeField(FieldRow::Result, unit), "");
    return;
  } else {
    result_.count = operation_ == Operation::Subtract ? first - second : first + second;
    WriteNumber(resultCount, result_.count);
  }

  result_.time = FramesToTime(result_.count, rate_);
  for (TimeUnit unit : kTimeUnits) WriteNumber(TimeField(FieldRow::Result, unit), TimeValue(result_.time, unit));
}

}  // namespace kadenzo
