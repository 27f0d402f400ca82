#include "core/calculator_sheet.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tests/support/echoing_display.h"

namespace kadenzo {
namespace {

using testing_support::EchoingDisplay;
using F = SheetField;

// Every case runs against a display that reports the sheet's writes back as
// edits and against one that does not: both must end with the same texts.
class CalculatorSheetTest : public testing::TestWithParam<bool> {
 protected:
  CalculatorSheetTest() : display(GetParam()), sheet(display) {
    display.Attach(sheet);
    sheet.Initialise();
  }

  std::string First() const { return display.Row(F::FirstCount); }
  std::string Second() const { return display.Row(F::SecondCount); }
  std::string Result() const { return display.Row(F::ResultCount); }

  EchoingDisplay display;
  CalculatorSheet sheet;
};

INSTANTIATE_TEST_SUITE_P(Displays, CalculatorSheetTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& param) {
                           return param.param ? "Echoing" : "Recording";
                         });

TEST_P(CalculatorSheetTest, StartsWithEveryFieldAtZeroAddingAt30) {
  for (int field = 0; field < kSheetFieldCount; ++field)
    EXPECT_EQ(display.Text(static_cast<F>(field)), "0") << "field " << field;
  EXPECT_EQ(sheet.GetOperation(), Operation::Add);
  EXPECT_EQ(sheet.GetRate(), kRate30);
}

TEST_P(CalculatorSheetTest, TypingACountShowsItsTimeAtEveryKeystroke) {
  sheet.SetRate(kRate29_97);
  display.Edit(F::FirstCount, "");
  EXPECT_EQ(First(), " 0:0:0:0");
  display.Type(F::FirstCount, "180");
  EXPECT_EQ(First(), "180 0:0:6:0");
  display.Type(F::FirstCount, "0");
  EXPECT_EQ(First(), "1800 0:1:0:1");
  EXPECT_EQ(Result(), "1800 0:1:0:1");
}

struct TypedCount {
  std::string typed;
  std::string shown;  // the count field's text afterwards
  std::string first;  // the whole row
};

TEST_P(CalculatorSheetTest, ClampsTypedCountsAndWritesThemBack) {
  const TypedCount cases[] = {
      {"4294950000", "4294900000", "4294900000 39767:35:33:10"},
      {"4294999999", "4294900000", "4294900000 39767:35:33:10"},
      // Longer numbers saturate instead of wrapping modulo 2^32.
      {"5000000000", "4294900000", "4294900000 39767:35:33:10"},
      {std::string(127, '7'), "4294900000", "4294900000 39767:35:33:10"},
      // Below the range: 0, not the maximum.
      {"-5", "0", "0 0:0:0:0"},
      {"-4294967295", "0", "0 0:0:0:0"},
      // Within the range the text stays as typed.
      {"-0", "-0", "-0 0:0:0:0"},
      {"+12abc", "+12abc", "+12abc 0:0:0:12"},
      {"  108000", "  108000", "  108000 1:0:0:0"},
      {"4294900000", "4294900000", "4294900000 39767:35:33:10"},
  };
  for (const TypedCount& c : cases) {
    display.Edit(F::FirstCount, c.typed);
    EXPECT_EQ(display.Text(F::FirstCount), c.shown) << c.typed;
    EXPECT_EQ(First(), c.first) << c.typed;
  }
}

struct KeptCount {
  F before;            // the field edited first
  std::string value;   // and what was typed there
  std::string typed;   // then the count field's new text, without digits
  std::string second;  // the row afterwards
  std::string result;
};

TEST_P(CalculatorSheetTest, TextWithoutDigitsKeepsThePreviousCount) {
  const KeptCount cases[] = {
      {F::SecondCount, "2250", "", " 0:1:15:0", "2250 0:1:15:0"},
      {F::SecondCount, "2250", "abc", "abc 0:1:15:0", "2250 0:1:15:0"},
      {F::SecondCount, "2250", "+", "+ 0:1:15:0", "2250 0:1:15:0"},
      {F::SecondCount, "2250", "-", "- 0:1:15:0", "2250 0:1:15:0"},
      {F::SecondCount, "2250", " ", "  0:1:15:0", "2250 0:1:15:0"},
      // A kept count is still held to the typed limit: hours past the
      // largest count leave 4294967295 behind, which emptying the field clamps.
      {F::SecondHours, "65500", "", "4294900000 39767:35:33:10", "4294900000 39767:35:33:10"},
  };
  for (const KeptCount& c : cases) {
    sheet.Initialise();
    display.Edit(c.before, c.value);
    display.Edit(F::SecondCount, c.typed);
    EXPECT_EQ(Second(), c.second) << '"' << c.typed << '"';
    EXPECT_EQ(Result(), c.result) << '"' << c.typed << '"';
  }
}

struct TimeEdit {
  FrameRate rate;
  F field;
  std::string typed;
  std::string shown;  // the edited field's text afterwards
  std::string row;    // the operand's whole row afterwards
};

TEST_P(CalculatorSheetTest, TimeFieldsKeepTheirTextUnlessClamped) {
  const TimeEdit cases[] = {
      {kRate30, F::FirstMinutes, "75", "75", "135000 0:75:0:0"},
      {kRate30, F::SecondMinutes, "75", "59", "106200 0:59:0:0"},
      {kRate30, F::FirstSeconds, "75", "75", "2250 0:0:75:0"},
      {kRate30, F::SecondSeconds, "75", "75", "2250 0:0:75:0"},
      {kRate29_97, F::FirstFrames, "35", "29", "29 0:0:0:29"},
      {kRate25, F::SecondFrames, "35", "24", "24 0:0:0:24"},
      {kRate30, F::FirstHours, "65501", "39768", "4294967295 39768:12:56:15"},
      {kRate30, F::FirstHours, "12a", "12a", "1296000 12a:0:0:0"},
      {kRate30, F::FirstFrames, "", "", "0 0:0:0:"},
      // Digits past 32 bits saturate and are then clamped like any large value.
      {kRate30, F::FirstSeconds, "4294967296", "65500", "1965000 0:0:65500:0"},
      {kRate30, F::SecondMinutes, std::string(30, '9'), "59", "106200 0:59:0:0"},
      // A count computed from a time is not held to the typed limit...
      {kRate30, F::FirstHours, "39768", "39768", "4294944000 39768:0:0:0"},
      // ...but one past 32 bits is clamped to the largest count, and the time
      // rewritten from it.
      {kRate30, F::FirstHours, "39769", "39768", "4294967295 39768:12:56:15"},
      {kRate24, F::SecondHours, "49711", "49710", "4294967295 49710:16:10:15"},
      {kRate29_97, F::FirstHours, "1", "1", "107892 1:0:0:0"},
  };
  for (const TimeEdit& c : cases) {
    sheet.Initialise();
    sheet.SetRate(c.rate);
    display.Edit(c.field, c.typed);
    const F countField = c.field < F::SecondCount ? F::FirstCount : F::SecondCount;
    EXPECT_EQ(display.Text(c.field), c.shown) << c.typed;
    EXPECT_EQ(display.Row(countField), c.row) << c.typed;
  }
}

TEST_P(CalculatorSheetTest, SubtractingALargerCountShowsANegativeDifference) {
  display.Edit(F::FirstCount, "100");
  display.Edit(F::SecondCount, "250");
  sheet.SetOperation(Operation::Subtract);
  EXPECT_EQ(Result(), "-150 0:0:5:0");
  display.Edit(F::FirstCount, "250");
  EXPECT_EQ(Result(), "0 0:0:0:0");
  display.Edit(F::FirstCount, "4294900000");
  display.Edit(F::SecondCount, "0");
  EXPECT_EQ(Result(), "4294900000 39767:35:33:10");
}

TEST_P(CalculatorSheetTest, AnAdditionPast32BitsShowsOverflowWithNoTime) {
  display.Edit(F::FirstCount, "4294900000");
  display.Edit(F::SecondCount, "67295");
  EXPECT_EQ(Result(), "4294967295 39768:12:56:15");
  display.Edit(F::SecondCount, "67296");
  EXPECT_EQ(Result(), "overflow :::");
  display.Edit(F::SecondCount, "4294900000");
  EXPECT_EQ(Result(), "overflow :::");
  sheet.SetOperation(Operation::Subtract);
  EXPECT_EQ(Result(), "0 0:0:0:0");
  // A time of the largest count plus anything overflows too.
  sheet.SetOperation(Operation::Add);
  display.Edit(F::FirstHours, "39769");
  EXPECT_EQ(Result(), "overflow :::");
}

TEST_P(CalculatorSheetTest, ChangingTheOperationLeavesTheOperandsAlone) {
  display.Edit(F::FirstMinutes, "75");
  display.Edit(F::SecondCount, "30");
  const std::string first = First();
  const std::string second = Second();
  sheet.SetOperation(Operation::Subtract);
  EXPECT_EQ(Result(), "134970 1:14:59:0");
  sheet.SetOperation(Operation::Add);
  EXPECT_EQ(Result(), "135030 1:15:1:0");
  EXPECT_EQ(First(), first);
  EXPECT_EQ(Second(), second);
}

TEST_P(CalculatorSheetTest, ARateChangeKeepsTheCountsAndRewritesTheTimes) {
  display.Edit(F::FirstCount, "108000");
  EXPECT_EQ(First(), "108000 1:0:0:0");
  sheet.SetRate(kRate25);
  EXPECT_EQ(First(), "108000 1:12:0:0");
  EXPECT_EQ(Result(), "108000 1:12:0:0");
  sheet.SetRate(kRate29_97);
  EXPECT_EQ(First(), "108000 1:0:3:18");
  EXPECT_EQ(sheet.GetRate(), kRate29_97);
  // The frames limit follows the rate.
  display.Edit(F::SecondFrames, "29");
  sheet.SetRate(kRate25);
  EXPECT_EQ(Second(), "29 0:0:1:4");
}

TEST_P(CalculatorSheetTest, ChoosingTheCurrentRateAgainNormalisesTypedTimes) {
  display.Edit(F::FirstMinutes, "75");
  EXPECT_EQ(First(), "135000 0:75:0:0");
  sheet.SetRate(kRate30);
  EXPECT_EQ(First(), "135000 1:15:0:0");
}

TEST_P(CalculatorSheetTest, InitialiseClearsEverythingButTheChoices) {
  sheet.SetRate(kRate25);
  sheet.SetOperation(Operation::Subtract);
  display.Edit(F::FirstCount, "1000");
  display.Edit(F::SecondHours, "3");
  sheet.Initialise();
  for (int field = 0; field < kSheetFieldCount; ++field) EXPECT_EQ(display.Text(static_cast<F>(field)), "0");
  EXPECT_EQ(sheet.GetRate(), kRate25);
  EXPECT_EQ(sheet.GetOperation(), Operation::Subtract);
}

// A display whose writes can fail, as a window's can for want of memory.
class FailingDisplay : public SheetDisplay {
 public:
  void SetFieldText(SheetField, std::string_view) override {
    if (fail) throw std::bad_alloc();
    ++writes;
  }
  bool fail = false;
  int writes = 0;
};

TEST(CalculatorSheetFailureTest, AFailedWriteDoesNotLeaveTheSheetDeaf) {
  FailingDisplay display;
  CalculatorSheet sheet(display);
  sheet.Initialise();
  display.fail = true;
  EXPECT_THROW(sheet.CountEdited(OperandRow::First, "12"), std::bad_alloc);
  EXPECT_THROW(sheet.TimeFieldEdited(OperandRow::First, TimeUnit::Hours, 1), std::bad_alloc);
  EXPECT_THROW(sheet.SetRate(kRate25), std::bad_alloc);
  display.fail = false;
  display.writes = 0;
  sheet.CountEdited(OperandRow::First, "12");
  EXPECT_EQ(display.writes, 9);  // four time fields, the result count and its time
}

}  // namespace
}  // namespace kadenzo
