// Drives a calculator sheet with edits decoded from libFuzzer's input, through
// a display that reports the sheet's writes back as edits the way a window's
// fields do, and checks after every step that the fifteen fields still agree
// with each other and with what the sheet holds.
//
// The input is read front to back, one operation after another; a byte past
// the end reads as 0, and the run stops when the input does.
//
//   operation byte o, by o % 8:
//     0, 1  a new text in an operand's count field: row o >> 3 & 1, then a text
//     2, 3  a new text in a time field: row o >> 3 & 1, unit o >> 4 & 3, then a text
//     4     a rate: the next byte b; below 240 the rate b % 5, otherwise the
//           next four bytes (little endian), mostly no rate at all
//     5     the operation: subtract if o >> 3 & 1
//     6     one character typed at the end of operand field (next byte) % 10:
//           the byte after
//     7     with o >> 3 & 1, the last character of operand field
//           (next byte) % 10 deleted; without, the sheet started again
//
//   a text: a kind byte k, a length byte n, then by k % 4
//     0  n bytes as they are
//     1  n digits, each (next byte) % 10
//     2  the decimal of the next eight bytes (little endian) shifted right by n % 64
//     3  the decimal of an awkward value, kAwkward[n % size]
//   Kinds 1 to 3 start with k >> 2 & 3 spaces (tabs if k >> 6 & 1), then a
//   sign if k >> 4 & 3 is 1 (+) or 2 (-), and end with "x" if k >> 7 & 1.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>

#include "core/calculator_sheet.h"
#include "core/field_text.h"
#include "core/timecode.h"
#include "framework/dialog.h"
#include "tests/support/echoing_display.h"

namespace kadenzo {
namespace {

using testing_support::EchoingDisplay;

constexpr std::uint32_t kMaxCount = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kMaxTimeValue = 65500;
constexpr std::uint32_t kMaxSecondMinutes = 59;
constexpr int kMaxSteps = 256;
// The operand fields come before the result's.
constexpr int kOperandFields = static_cast<int>(CountField(FieldRow::Result));

constexpr std::uint64_t kAwkward[] = {
    0,          1,          23,         24,         25,         29,         30,
    59,         60,         998,        999,        1000,       1798,       1799,
    1800,       17982,      65500,      65501,      86313,      107892,     108000,
    39767,      39768,      39769,      49710,      49711,      4290672328, 4290672329,
    4294899999, 4294900000, 4294900001, 4294967295, 4294967296, 9999999999, std::numeric_limits<std::uint64_t>::max()};

constexpr int FieldSlot(SheetField field) {
  return static_cast<int>(field);
}
constexpr int Index(OperandRow row) {
  return row == OperandRow::First ? 0 : 1;
}
constexpr OperandRow kRows[] = {OperandRow::First, OperandRow::Second};

// The largest value a time field takes, as a person may type it.
std::uint32_t EntryLimit(OperandRow row, TimeUnit unit, FrameRate rate) {
  if (unit == TimeUnit::Frames) return NominalFps(rate) - 1;
  if (unit == TimeUnit::Minutes && row == OperandRow::Second) return kMaxSecondMinutes;
  return kMaxTimeValue;
}

// Unsigned decimal as the sheet writes it: digits only, no leading zero.
bool IsUnsignedDecimal(std::string_view text) {
  if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}
std::uint64_t DecimalValue(std::string_view text) {
  std::uint64_t value = 0;
  for (char c : text) value = value * 10 + static_cast<unsigned>(c - '0');
  return value;
}

enum class StepKind { CountText, TimeText, Rate, Operation, TypeCharacter, DeleteCharacter, Initialise };

// One step decoded from the input.
struct Step {
  StepKind kind = StepKind::Initialise;
  OperandRow row = OperandRow::First;
  TimeUnit unit = TimeUnit::Hours;
  SheetField field = SheetField::FirstCount;  // for typing and deleting
  std::string text;                           // for new texts
  char character = 0;                         // for typing
  FrameRate rate{};
  Operation operation = Operation::Add;
};

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Done() const { return next_ >= size_; }

  Step Next() {
    Step step;
    const std::uint8_t operation = Byte();
    step.row = (operation >> 3 & 1) != 0 ? OperandRow::Second : OperandRow::First;
    switch (operation % 8) {
      case 0:
      case 1:
        step.kind = StepKind::CountText;
        step.text = Text();
        break;
      case 2:
      case 3:
        step.kind = StepKind::TimeText;
        step.unit = kTimeUnits[operation >> 4 & 3];
        step.text = Text();
        break;
      case 4: {
        step.kind = StepKind::Rate;
        const std::uint8_t choice = Byte();
        step.rate = static_cast<FrameRate>(choice < 240 ? choice % kRateCount : static_cast<std::uint32_t>(Little(4)));
        break;
      }
      case 5:
        step.kind = StepKind::Operation;
        step.operation = (operation >> 3 & 1) != 0 ? Operation::Subtract : Operation::Add;
        break;
      case 6:
        step.kind = StepKind::TypeCharacter;
        step.field = static_cast<SheetField>(Byte() % kOperandFields);
        step.character = static_cast<char>(Byte());
        break;
      default:
        step.kind = (operation >> 3 & 1) != 0 ? StepKind::DeleteCharacter : StepKind::Initialise;
        if (step.kind == StepKind::DeleteCharacter) step.field = static_cast<SheetField>(Byte() % kOperandFields);
        break;
    }
    return step;
  }

 private:
  std::uint8_t Byte() { return next_ < size_ ? data_[next_++] : 0; }

  std::uint64_t Little(int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint64_t{Byte()} << (8 * i);
    return value;
  }

  std::string Text() {
    const std::uint8_t kind = Byte();
    const std::uint8_t length = Byte();
    std::string text;
    if (kind % 4 == 0) {
      for (int i = 0; i < length; ++i) text += static_cast<char>(Byte());
      return text;
    }
    text.append(kind >> 2 & 3, (kind >> 6 & 1) != 0 ? '\t' : ' ');
    if ((kind >> 4 & 3) == 1) text += '+';
    if ((kind >> 4 & 3) == 2) text += '-';
    if (kind % 4 == 1) {
      for (int i = 0; i < length; ++i) text += static_cast<char>('0' + Byte() % 10);
    } else if (kind % 4 == 2) {
      text += FormatUnsigned(Little(8) >> (length % 64));
    } else {
      text += FormatUnsigned(kAwkward[length % std::size(kAwkward)]);
    }
    if ((kind >> 7 & 1) != 0) text += 'x';
    return text;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t next_ = 0;
};

// A text for the log of steps: printable, and not too long to read.
std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size() && i < 200; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      quoted += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      quoted += escaped;
    }
  }
  return quoted + (text.size() > 200 ? "\"... (" + std::to_string(text.size()) + " characters)" : "\"");
}

std::string Describe(const Step& step) {
  const std::string row = step.row == OperandRow::First ? "first" : "second";
  constexpr const char* kUnitNames[] = {"hours", "minutes", "seconds", "frames"};
  switch (step.kind) {
    case StepKind::CountText: return row + " count := " + Quote(step.text);
    case StepKind::TimeText: return row + " " + kUnitNames[static_cast<int>(step.unit)] + " := " + Quote(step.text);
    case StepKind::Rate: return "rate " + std::to_string(RateIndex(step.rate));
    case StepKind::Operation: return step.operation == Operation::Subtract ? "subtract" : "add";
    case StepKind::TypeCharacter:
      return "field " + std::to_string(static_cast<int>(step.field)) + " += " + Quote(std::string(1, step.character));
    case StepKind::DeleteCharacter:
      return "field " + std::to_string(static_cast<int>(step.field)) + " -= last character";
    case StepKind::Initialise: break;
  }
  return "start again";
}

enum class Writer { Sheet, Person };

// The display, noting who wrote each field last and at which rate.
class WatchingDisplay : public EchoingDisplay {
 public:
  void Watch(const CalculatorSheet& sheet) { sheet_ = &sheet; }

  void SetFieldText(SheetField field, std::string_view text) override {
    writer_[FieldSlot(field)] = Writer::Sheet;
    rateAtWrite_[FieldSlot(field)] = sheet_->GetRate();
    EchoingDisplay::SetFieldText(field, text);
  }

  // A person replacing a field's text.
  void PersonEdits(SheetField field, const std::string& text) {
    writer_[FieldSlot(field)] = Writer::Person;
    rateAtWrite_[FieldSlot(field)] = sheet_->GetRate();
    Edit(field, text);
  }

  Writer WrittenBy(SheetField field) const { return writer_[FieldSlot(field)]; }
  FrameRate RateAtWrite(SheetField field) const { return rateAtWrite_[FieldSlot(field)]; }

 private:
  const CalculatorSheet* sheet_ = nullptr;
  Writer writer_[kSheetFieldCount] = {};
  FrameRate rateAtWrite_[kSheetFieldCount] = {};
};

class Run {
 public:
  Run() : sheet_(display_) {
    display_.Attach(sheet_);
    display_.Watch(sheet_);
  }

  // Runs the steps the input spells, checking the sheet after each.
  void Go(const std::uint8_t* data, std::size_t size) {
    data_ = data;
    size_ = size;
    Initialise();
    Input input(data, size);
    for (steps_ = 1; steps_ <= kMaxSteps && !input.Done(); ++steps_) {
      const Step step = input.Next();
      switch (step.kind) {
        case StepKind::CountText: EditCount(step.row, step.text); break;
        case StepKind::TimeText: EditTime(step.row, step.unit, step.text); break;
        case StepKind::Rate: SetRate(step.rate); break;
        case StepKind::Operation: SetOperation(step.operation); break;
        case StepKind::TypeCharacter: EditField(step.field, display_.Text(step.field) + step.character); break;
        case StepKind::DeleteCharacter: {
          std::string text = display_.Text(step.field);
          if (!text.empty()) text.pop_back();
          EditField(step.field, text);
          break;
        }
        case StepKind::Initialise: Initialise(); break;
      }
      CheckSheet();
    }
  }

 private:
  void Initialise() {
    sheet_.Initialise();
    for (int field = 0; field < kSheetFieldCount; ++field)
      Expect(display_.Text(static_cast<SheetField>(field)) == "0", "after Initialise every field reads 0");
    timeLeads_[0] = timeLeads_[1] = false;
    CheckSheet();
  }

  void EditField(SheetField field, const std::string& text) {
    const OperandRow row = RowOf(field) == FieldRow::First ? OperandRow::First : OperandRow::Second;
    if (IsCountField(field))
      EditCount(row, text);
    else
      EditTime(row, UnitOf(field), text);
  }

  // The count follows the text when it has digits, clamped to the typed
  // range and then written back; the time follows the count.
  void EditCount(OperandRow row, const std::string& text) {
    const std::uint32_t before = sheet_.GetValue(row).count;
    countBeforeTyping_[Index(row)] = before;
    display_.PersonEdits(CountField(row), text);

    const CountText read = ReadCountText(std::string_view(text).substr(0, kCountTextLimit));
    std::uint32_t expected = before;
    bool clamped = false;
    if (read.hasDigits) {
      clamped = read.negative || read.magnitude > kMaxTypedCount;
      expected = read.negative ? 0 : std::min(read.magnitude, kMaxTypedCount);
    } else if (before > kMaxTypedCount) {
      // A kept count is held to the typed range too.
      clamped = true;
      expected = kMaxTypedCount;
    }
    Expect(sheet_.GetValue(row).count == expected, "the count is the typed one, clamped to the typed range");
    Expect((display_.WrittenBy(CountField(row)) == Writer::Sheet) == clamped,
           "a count field is rewritten exactly when its count was clamped");
    timeLeads_[Index(row)] = false;
  }

  // The edited value is clamped to its entry limit and written back if it
  // had to be; the count follows the time, unless it would pass 32 bits,
  // when it becomes the largest count and the time follows it instead.
  void EditTime(OperandRow row, TimeUnit unit, const std::string& text) {
    const std::uint32_t typed = ReadDlgItemInt(text);
    const std::uint32_t limit = EntryLimit(row, unit, sheet_.GetRate());
    TimeFields time = sheet_.GetValue(row).time;
    TimeValue(time, unit) = std::min(typed, limit);
    display_.PersonEdits(TimeField(row, unit), text);

    const CalculatorSheet::Value& value = sheet_.GetValue(row);
    const std::uint64_t frames = TimeToFrames(time, sheet_.GetRate());
    if (frames > kMaxCount) {
      Expect(value.count == kMaxCount && value.time == FramesToTime(kMaxCount, sheet_.GetRate()),
             "a time past 32 bits of frames gives the largest count and its time");
      timeLeads_[Index(row)] = false;
    } else {
      Expect(value.time == time, "the edited time is the typed value, clamped to its limit");
      Expect((display_.WrittenBy(TimeField(row, unit)) == Writer::Sheet) == (typed > limit),
             "a time field is rewritten exactly when its value was clamped");
      timeLeads_[Index(row)] = true;
    }
  }

  void SetRate(FrameRate rate) {
    sheet_.SetRate(rate);
    Expect(sheet_.GetRate() == rate, "the rate is the one chosen");
    timeLeads_[0] = timeLeads_[1] = false;
  }

  void SetOperation(Operation operation) {
    sheet_.SetOperation(operation);
    Expect(sheet_.GetOperation() == operation, "the operation is the one chosen");
  }

  // What holds after every step.
  void CheckSheet() {
    const FrameRate rate = sheet_.GetRate();
    for (OperandRow row : kRows) {
      const CalculatorSheet::Value& value = sheet_.GetValue(row);
      CheckCountField(row, value.count);
      for (TimeUnit unit : kTimeUnits) CheckTimeField(row, unit, TimeValue(value.time, unit));
      if (timeLeads_[Index(row)])
        Expect(TimeToFrames(value.time, rate) == value.count, "the count is TimeToFrames of the time");
      else
        Expect(value.time == FramesToTime(value.count, rate), "the time is FramesToTime of the count");
    }
    CheckResult();
  }

  void CheckCountField(OperandRow row, std::uint32_t count) {
    const SheetField field = CountField(row);
    const std::string& text = display_.Text(field);
    if (display_.WrittenBy(field) == Writer::Sheet) {
      Expect(IsUnsignedDecimal(text) && DecimalValue(text) == count, "a written count field shows the count");
      return;
    }
    const CountText read = ReadCountText(std::string_view(text).substr(0, kCountTextLimit));
    if (read.hasDigits) {
      Expect(!read.negative && read.magnitude <= kMaxTypedCount, "a typed count field left as typed is in range");
      Expect(read.magnitude == count, "a typed count field reads as the count");
    } else {
      Expect(count == countBeforeTyping_[Index(row)], "a count field without digits keeps the count it had");
    }
  }

  void CheckTimeField(OperandRow row, TimeUnit unit, std::uint32_t value) {
    const SheetField field = TimeField(row, unit);
    const std::string& text = display_.Text(field);
    if (display_.WrittenBy(field) == Writer::Sheet) {
      Expect(IsUnsignedDecimal(text) && DecimalValue(text) == value, "a written time field shows its value");
    } else {
      Expect(ReadDlgItemInt(text) == value, "a typed time field reads as its value");
    }
    Expect(value <= EntryLimit(row, unit, display_.RateAtWrite(field)), "a time value is within its entry limit");
  }

  void CheckResult() {
    const std::uint32_t first = sheet_.GetValue(OperandRow::First).count;
    const std::uint32_t second = sheet_.GetValue(OperandRow::Second).count;
    const std::string& text = display_.Text(SheetField::ResultCount);
    std::uint32_t magnitude = 0;
    if (sheet_.GetOperation() == Operation::Subtract) {
      magnitude = first >= second ? first - second : second - first;
      Expect(text == (first >= second ? "" : "-") + FormatUnsigned(magnitude), "the result is the difference");
    } else if (std::uint64_t{first} + second > kMaxCount) {
      Expect(text == "overflow", "a sum past 32 bits is an overflow");
      for (int field = FieldSlot(SheetField::ResultHours); field <= FieldSlot(SheetField::ResultFrames); ++field)
        Expect(display_.Text(static_cast<SheetField>(field)).empty(), "an overflow shows no time");
      return;
    } else {
      magnitude = first + second;
      Expect(text == FormatUnsigned(magnitude), "the result is the sum");
    }
    const TimeFields time = FramesToTime(magnitude, sheet_.GetRate());
    Expect(sheet_.GetResult().count == magnitude && sheet_.GetResult().time == time,
           "the sheet holds the result it shows");
    for (TimeUnit unit : kTimeUnits)
      Expect(display_.Text(ResultTimeField(unit)) == FormatUnsigned(TimeValue(time, unit)),
             "the result's time is FramesToTime of its magnitude");
  }

  static SheetField ResultTimeField(TimeUnit unit) {
    return static_cast<SheetField>(FieldSlot(SheetField::ResultHours) + static_cast<int>(unit));
  }

  // On failure, the steps so far (decoded once more from the input), the
  // fields and who wrote them.
  void Expect(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "sheet_fuzzer: %s\nsteps:\n", what);
    Input input(data_, size_);
    for (int step = 1; step <= steps_ && !input.Done(); ++step)
      std::fprintf(stderr, "  %3d %s\n", step, Describe(input.Next()).c_str());
    std::fprintf(stderr, "fields:\n");
    for (int field = 0; field < kSheetFieldCount; ++field)
      std::fprintf(stderr, "  %2d %s%s\n", field, Quote(display_.Text(static_cast<SheetField>(field))).c_str(),
                   display_.WrittenBy(static_cast<SheetField>(field)) == Writer::Sheet ? "" : " (typed)");
    std::abort();
  }

  WatchingDisplay display_;
  CalculatorSheet sheet_;
  // Whether each operand's count was last derived from its time, rather than
  // the time from the count.
  bool timeLeads_[2] = {};
  std::uint32_t countBeforeTyping_[2] = {};
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  int steps_ = 0;  // the step being taken, from 1; 0 while starting
};

}  // namespace
}  // namespace kadenzo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kadenzo::Run().Go(data, size);
  return 0;
}
