// How the calculator and its About box behave for a person at the keyboard
// and mouse. Written once against the dialog driver, run on every backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/calculator_sheet.h"
#include "tests/drivers/dialog_driver.h"
#include "tests/support/echoing_display.h"
#include "ui/calculator_dialog.h"
#include "ui/resource_ids.h"

namespace kadenzo::testing_support {
namespace {

// The controls of the sheet's fields, in the sheet's order.
constexpr auto kAllFields = [] {
  std::array<int, kSheetFieldCount> ids{};
  for (int i = 0; i < kSheetFieldCount; ++i)
    ids[static_cast<std::size_t>(i)] = FieldControl(static_cast<SheetField>(i));
  return ids;
}();
constexpr int kClose = 1;
// Every control Tab reaches, in the order it reaches them, in every state;
// never a radio button.
constexpr std::array kTabOrder = {IDC_FIRST_COUNT,  IDC_FIRST_MINUTES,  IDC_FIRST_SECONDS,  IDC_FIRST_FRAMES,
                                  IDC_SECOND_COUNT, IDC_SECOND_MINUTES, IDC_SECOND_SECONDS, IDC_SECOND_FRAMES,
                                  IDC_RESULT_COUNT, IDC_RESULT_MINUTES, IDC_RESULT_SECONDS, IDC_RESULT_FRAMES,
                                  kClose,           IDC_ABOUT,          IDC_FIRST_HOURS,    IDC_SECOND_HOURS,
                                  IDC_RESULT_HOURS};

// "count h:m:s:f" of the row whose count field is given.
std::string Row(DialogDriver& d, int countField) {
  const auto field =
      static_cast<SheetField>(std::find(kAllFields.begin(), kAllFields.end(), countField) - kAllFields.begin());
  std::string row = d.Text(countField);
  for (TimeUnit unit : kTimeUnits)
    row += (unit == TimeUnit::Hours ? " " : ":") + d.Text(FieldControl(TimeField(RowOf(field), unit)));
  return row;
}

// Replaces a field's whole text by clicking into it, selecting it and typing.
void Enter(DialogDriver& d, int field, std::string_view text) {
  d.Click(field);
  d.Press(Key::End);
  d.Press(Key::ShiftHome);
  if (text.empty())
    d.Press(Key::Delete);
  else
    d.Type(text);
}

std::vector<std::string> AllTexts(DialogDriver& d) {
  std::vector<std::string> texts;
  for (int field : kAllFields) texts.push_back(d.Text(field));
  return texts;
}

TEST(CalculatorWindowTest, OpensCentredWithEveryFieldZeroAt30Adding) {
  const int exitCode = RunProgram([](DialogDriver& d) {
    EXPECT_EQ(d.ActiveCaption(), "Kadenzo");
    for (int field : kAllFields) EXPECT_EQ(d.Text(field), "0") << "field " << field;
    for (std::uint32_t rate = 0; rate < kRateCount; ++rate)
      EXPECT_EQ(d.IsChecked(RateButton(FrameRate{rate})), FrameRate{rate} == kRate30) << "rate " << rate;
    EXPECT_TRUE(d.IsChecked(IDC_ADD));
    EXPECT_FALSE(d.IsChecked(IDC_SUBTRACT));
    EXPECT_EQ(d.FocusedId(), IDC_FIRST_COUNT);

    const ScreenRect window = d.DialogRect("Kadenzo");
    const ScreenRect desktop = d.DesktopRect();
    EXPECT_EQ(window.left, (desktop.right - desktop.left) / 2 + desktop.left - window.Width() / 2);
    EXPECT_EQ(window.top, (desktop.bottom - desktop.top) / 2 + desktop.top - window.Height() / 2);
  });
  EXPECT_EQ(exitCode, 0);
}

TEST(CalculatorWindowTest, TabVisitsTheFieldsInTemplateOrderWithTheHoursLast) {
  RunProgram([](DialogDriver& d) {
    std::vector<int> order(kTabOrder.begin() + 1, kTabOrder.end());
    order.push_back(kTabOrder.front());
    std::vector<int> visited;
    for (std::size_t i = 0; i < order.size(); ++i) {
      d.Press(Key::Tab);
      visited.push_back(d.FocusedId());
    }
    EXPECT_EQ(visited, order);
    d.Press(Key::ShiftTab);
    EXPECT_EQ(d.FocusedId(), IDC_RESULT_HOURS);
  });
}

struct ArrowKey {
  int clicked;
  Key key;
  int focused;  // afterwards
  int checked;  // the rate or operation button checked afterwards
};

TEST(CalculatorWindowTest, ArrowKeysOnAButtonMoveWithinItsGroupAndChooseTheRadioButtonTheyReach) {
  const ArrowKey cases[] = {
      {IDC_RATE_25, Key::Down, IDC_RATE_29_97, IDC_RATE_29_97},
      // The rate group runs on into the first operand's fields, round both ways.
      {IDC_RATE_30, Key::Right, IDC_FIRST_COUNT, IDC_RATE_30},
      {IDC_RATE_23_976, Key::Left, IDC_FIRST_FRAMES, IDC_RATE_23_976},
      {IDC_RATE_24, Key::Up, IDC_RATE_23_976, IDC_RATE_23_976},
      {IDC_ADD, Key::Right, IDC_SUBTRACT, IDC_SUBTRACT},
      {IDC_SUBTRACT, Key::Down, IDC_SECOND_COUNT, IDC_SUBTRACT},
      {IDC_ADD, Key::Up, kClose, IDC_ADD},
  };
  RunProgram([&](DialogDriver& d) {
    Enter(d, IDC_FIRST_COUNT, "108000");
    for (const ArrowKey& c : cases) {
      d.Click(c.clicked);
      d.Press(c.key);
      EXPECT_EQ(d.FocusedId(), c.focused) << "from " << c.clicked;
      EXPECT_TRUE(d.IsChecked(c.checked)) << "from " << c.clicked;
    }
    // The rate an arrow key chose (23.976) is the sheet's too.
    EXPECT_EQ(Row(d, IDC_FIRST_COUNT), "108000 1:15:4:12");
    EXPECT_EQ(d.Text(IDC_RESULT_COUNT), "108000");
  });
}

TEST(CalculatorWindowTest, TypingACountUpdatesEveryFieldAtEachKeystroke) {
  RunProgram([](DialogDriver& d) {
    d.Click(IDC_RATE_29_97);
    d.Click(IDC_FIRST_COUNT);
    d.Press(Key::End);
    d.Press(Key::ShiftHome);
    const std::pair<const char*, const char*> steps[] = {
        {"1", "1 0:0:0:1"}, {"8", "18 0:0:0:18"}, {"0", "180 0:0:6:0"}, {"0", "1800 0:1:0:1"}};
    for (const auto& [key, row] : steps) {
      d.Type(key);
      EXPECT_EQ(Row(d, IDC_FIRST_COUNT), row);
      EXPECT_EQ(Row(d, IDC_RESULT_COUNT), row);
    }
    EXPECT_EQ(d.FocusedId(), IDC_FIRST_COUNT);
  });
}

struct WrittenBack {
  int field;
  const char* typed;
  const char* shown;
  const char* row;  // the operand's row afterwards
};

TEST(CalculatorWindowTest, ValuesOverTheirLimitsAreWrittenBack) {
  const WrittenBack cases[] = {
      {IDC_FIRST_COUNT, "4294950000", "4294900000", "4294900000 39767:35:33:10"},
      {IDC_FIRST_COUNT, "5000000000", "4294900000", "4294900000 39767:35:33:10"},
      {IDC_SECOND_COUNT, "-5", "0", "0 0:0:0:0"},
      {IDC_SECOND_COUNT, "+12abc", "+12abc", "+12abc 0:0:0:12"},
      {IDC_SECOND_MINUTES, "75", "59", "106200 0:59:0:0"},
      {IDC_FIRST_MINUTES, "75", "75", "135000 0:75:0:0"},
      {IDC_FIRST_SECONDS, "75", "75", "2250 0:0:75:0"},
      {IDC_FIRST_FRAMES, "35", "29", "29 0:0:0:29"},
      {IDC_FIRST_HOURS, "39769", "39768", "4294967295 39768:12:56:15"},
      {IDC_SECOND_SECONDS, "99999999999", "65500", "1965000 0:0:65500:0"},
  };
  RunProgram([&](DialogDriver& d) {
    for (const WrittenBack& c : cases) {
      const bool first = c.field == IDC_FIRST_COUNT || c.field == IDC_FIRST_HOURS || c.field == IDC_FIRST_MINUTES ||
                         c.field == IDC_FIRST_SECONDS || c.field == IDC_FIRST_FRAMES;
      Enter(d, first ? IDC_FIRST_COUNT : IDC_SECOND_COUNT, "0");
      Enter(d, c.field, c.typed);
      EXPECT_EQ(d.Text(c.field), c.shown) << c.typed;
      EXPECT_EQ(Row(d, first ? IDC_FIRST_COUNT : IDC_SECOND_COUNT), c.row) << c.typed;
      // The person can go on typing in the field.
      EXPECT_EQ(d.FocusedId(), c.field);
    }
  });
}

TEST(CalculatorWindowTest, SubtractingMoreShowsANegativeDifferenceAndAddingTooMuchOverflows) {
  RunProgram([](DialogDriver& d) {
    Enter(d, IDC_FIRST_COUNT, "100");
    Enter(d, IDC_SECOND_COUNT, "250");
    EXPECT_EQ(Row(d, IDC_RESULT_COUNT), "350 0:0:11:20");
    d.Click(IDC_SUBTRACT);
    EXPECT_TRUE(d.IsChecked(IDC_SUBTRACT));
    EXPECT_FALSE(d.IsChecked(IDC_ADD));
    EXPECT_EQ(Row(d, IDC_RESULT_COUNT), "-150 0:0:5:0");

    Enter(d, IDC_FIRST_COUNT, "4294900000");
    Enter(d, IDC_SECOND_COUNT, "4294900000");
    d.Click(IDC_ADD);
    EXPECT_EQ(Row(d, IDC_RESULT_COUNT), "overflow :::");
    d.Click(IDC_SUBTRACT);
    EXPECT_EQ(Row(d, IDC_RESULT_COUNT), "0 0:0:0:0");
    // The operands never change with the operation.
    EXPECT_EQ(Row(d, IDC_FIRST_COUNT), "4294900000 39767:35:33:10");
    EXPECT_EQ(Row(d, IDC_SECOND_COUNT), "4294900000 39767:35:33:10");
  });
}

TEST(CalculatorWindowTest, ARateClickRewritesTheTimesEvenWhenAlreadyChecked) {
  RunProgram([](DialogDriver& d) {
    Enter(d, IDC_FIRST_COUNT, "108000");
    EXPECT_EQ(Row(d, IDC_FIRST_COUNT), "108000 1:0:0:0");
    d.Click(IDC_RATE_25);
    EXPECT_TRUE(d.IsChecked(IDC_RATE_25));
    EXPECT_FALSE(d.IsChecked(IDC_RATE_30));
    EXPECT_EQ(Row(d, IDC_FIRST_COUNT), "108000 1:12:0:0");
    d.Click(IDC_RATE_30);

    Enter(d, IDC_FIRST_HOURS, "0");
    Enter(d, IDC_FIRST_MINUTES, "75");
    EXPECT_EQ(Row(d, IDC_FIRST_COUNT), "135000 0:75:0:0");
    d.Click(IDC_RATE_30);
    EXPECT_TRUE(d.IsChecked(IDC_RATE_30));
    EXPECT_EQ(Row(d, IDC_FIRST_COUNT), "135000 1:15:0:0");
  });
}

TEST(CalculatorWindowTest, ResultFieldsCanBeCopiedButNotEdited) {
  RunProgram([](DialogDriver& d) {
    Enter(d, IDC_FIRST_COUNT, "100");
    Enter(d, IDC_SECOND_COUNT, "250");
    d.Click(IDC_SUBTRACT);
    d.Click(IDC_RESULT_COUNT);
    EXPECT_EQ(d.FocusedId(), IDC_RESULT_COUNT);
    d.Type("9");
    d.Press(Key::Backspace);
    d.Press(Key::Delete);
    EXPECT_EQ(d.Text(IDC_RESULT_COUNT), "-150");
    d.Press(Key::Home);
    d.Press(Key::ShiftEnd);
    d.Press(Key::Copy);
    EXPECT_EQ(d.Clipboard(), "-150");
  });
}

TEST(CalculatorWindowTest, PastingIntoACountFieldActsLikeTyping) {
  RunProgram([](DialogDriver& d) {
    d.SetClipboard("1800");
    d.Click(IDC_RATE_29_97);
    Enter(d, IDC_FIRST_COUNT, "");
    d.Press(Key::Paste);
    EXPECT_EQ(Row(d, IDC_FIRST_COUNT), "1800 0:1:0:1");
    // A long paste saturates instead of wrapping.
    Enter(d, IDC_FIRST_COUNT, "");
    d.SetClipboard(std::string(200, '9'));
    d.Press(Key::Paste);
    EXPECT_EQ(d.Text(IDC_FIRST_COUNT), "4294900000");
    // A field holds one line: of several, the first goes in at the caret.
    Enter(d, IDC_FIRST_COUNT, "18");
    d.Press(Key::Left);
    d.SetClipboard("0\r\n9");
    d.Press(Key::Paste);
    EXPECT_EQ(Row(d, IDC_FIRST_COUNT), "108 0:0:3:18");
  });
}

TEST(CalculatorWindowTest, F1DoesNothing) {
  RunProgram([](DialogDriver& d) {
    Enter(d, IDC_FIRST_COUNT, "42");
    const auto before = AllTexts(d);
    d.Press(Key::F1);
    EXPECT_EQ(d.OpenDialogs(), std::vector<std::string>{"Kadenzo"});
    EXPECT_EQ(AllTexts(d), before);
  });
}

struct Ending {
  const char* name;
  void (*end)(DialogDriver&);
};

TEST(CalculatorWindowTest, EveryWayOfClosingEndsTheProgramWithExitCodeZero) {
  const Ending endings[] = {
      {"Close button", [](DialogDriver& d) { d.Click(kClose); }},
      {"Enter in the first count", [](DialogDriver& d) { d.Press(Key::Enter); }},
      {"Enter in a result field",
       [](DialogDriver& d) {
         d.Click(IDC_RESULT_FRAMES);
         d.Press(Key::Enter);
       }},
      {"Escape", [](DialogDriver& d) { d.Press(Key::Escape); }},
      {"close box", [](DialogDriver& d) { d.CloseBox(); }},
      {"Alt+F4", [](DialogDriver& d) { d.Press(Key::AltF4); }},
  };
  for (const Ending& ending : endings) {
    bool closed = false;
    const int exitCode = RunProgram([&](DialogDriver& d) {
      Enter(d, IDC_FIRST_COUNT, "1234");
      ending.end(d);
      closed = d.HasEnded();
    });
    EXPECT_TRUE(closed) << ending.name;
    EXPECT_EQ(exitCode, 0) << ending.name;
  }
}

TEST(CalculatorWindowTest, ArgumentsChangeNothing) {
  const int exitCode = RunProgram(
      [](DialogDriver& d) {
        EXPECT_EQ(d.ActiveCaption(), "Kadenzo");
        for (int field : kAllFields) EXPECT_EQ(d.Text(field), "0");
        EXPECT_TRUE(d.IsChecked(IDC_RATE_30));
        d.Click(kClose);
      },
      {"--rate", "25", "-style", "windows", "-platform", "minimal", "/?"});
  EXPECT_EQ(exitCode, 0);
}

constexpr Colour kGrey = Rgb(192, 192, 192);
constexpr Colour kBlack = Rgb(0, 0, 0);

// Fusion shades a push button's face from well above the button colour at
// the top down to it at the bottom, and its antialiased text never quite
// reaches the text colour.
#if defined(_WIN32)
constexpr int kButtonFaceTolerance = 0;
constexpr int kTextTolerance = 0;
#else
constexpr int kButtonFaceTolerance = 24;
constexpr int kTextTolerance = 8;
#endif

// Whether a painted colour is the wanted one made at most tolerance lighter
// or darker, evenly in every channel: a tint of any hue fails.
testing::AssertionResult Shows(Colour shown, Colour wanted, int tolerance) {
  const int red = RedOf(shown) - RedOf(wanted);
  const int green = GreenOf(shown) - GreenOf(wanted);
  const int blue = BlueOf(shown) - BlueOf(wanted);
  const int spread = std::max({red, green, blue}) - std::min({red, green, blue});
  if (std::max({std::abs(red), std::abs(green), std::abs(blue)}) <= tolerance && spread <= 2)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "shows rgb(" << int{RedOf(shown)} << ", " << int{GreenOf(shown)} << ", "
                                     << int{BlueOf(shown)} << ")";
}

// The calculator's face, result fields and push buttons, and the About
// box's face and Close button, as painted: grey with black text.
void ExpectGreyFacesAndBlackButtonText(DialogDriver& d, const char* scheme) {
  EXPECT_EQ(d.FaceColour(), kGrey) << scheme;
  EXPECT_EQ(d.BackgroundColour(IDC_RESULT_COUNT), kGrey) << scheme;
  EXPECT_EQ(d.BackgroundColour(IDC_RESULT_HOURS), kGrey) << scheme;
  const auto expectButton = [&](int id) {
    EXPECT_TRUE(Shows(d.BackgroundColour(id), kGrey, kButtonFaceTolerance)) << scheme << ": face of button " << id;
    EXPECT_TRUE(Shows(d.TextColour(id), kBlack, kTextTolerance)) << scheme << ": text of button " << id;
  };
  expectButton(kClose);
  expectButton(IDC_ABOUT);
  d.Click(IDC_ABOUT);
  ASSERT_EQ(d.ActiveCaption(), "About Kadenzo") << scheme;
  EXPECT_EQ(d.FaceColour(), kGrey) << scheme;
  expectButton(kClose);
  d.Press(Key::Escape);
}

TEST(CalculatorWindowTest, FacesAndResultsAreGreyAndEditableFieldsKeepTheSystemColours) {
  RunProgram([](DialogDriver& d) {
    ExpectGreyFacesAndBlackButtonText(d, "the desktop's scheme");
    EXPECT_NE(d.BackgroundColour(IDC_FIRST_COUNT), kGrey);
    EXPECT_NE(d.BackgroundColour(IDC_SECOND_HOURS), kGrey);
  });
  // Orange buttons with green text, a blue dialog face and a magenta
  // highlight change nothing but the editable fields, which show the
  // scheme's own field colour.
  const ForeignColourScheme foreign;
  RunProgram([](DialogDriver& d) {
    ExpectGreyFacesAndBlackButtonText(d, "a foreign scheme");
    EXPECT_EQ(d.BackgroundColour(IDC_FIRST_COUNT), ForeignColourScheme::kField);
    EXPECT_EQ(d.BackgroundColour(IDC_SECOND_HOURS), ForeignColourScheme::kField);
  });
}

// A long random session of real keys, pastes and clicks, the rate and
// operation buttons among them. After every action the fifteen fields show
// what a sheet fed the same texts shows, and after every click on a radio
// button Tab and Shift+Tab still walk the template's order, starting from
// the tab stop after the clicked button.
class RandomSession {
 public:
  RandomSession(DialogDriver& d, unsigned seed) : d_(d), random_(seed), reference_(display_) {
    display_.Attach(reference_);
    reference_.Initialise();
  }

  // One random action; returns a description of a disagreement, or "".
  std::string Step() {
    // Only the operand fields, which come before the result's, are typed into.
    const auto sheetField = static_cast<SheetField>(Pick(static_cast<std::size_t>(CountField(FieldRow::Result))));
    const int field = FieldControl(sheetField);
    std::string text = display_.Text(sheetField);
    switch (Pick(8)) {
      case 0:
      case 1:
      case 2: {  // a key at the end of the field
        static constexpr char kKeys[] = "0123456789000999-+ a";
        const char key = kKeys[Pick(sizeof kKeys - 1)];
        ToEnd(field);
        d_.Type(std::string(1, key));
        text += key;
        break;
      }
      case 3:  // Backspace at the end
        ToEnd(field);
        d_.Press(Key::Backspace);
        if (!text.empty()) text.pop_back();
        break;
      case 4:  // select everything and paste over it
        text = PasteText();
        d_.SetClipboard(text);
        ToEnd(field);
        d_.Press(Key::ShiftHome);
        d_.Press(Key::Paste);
        // A field takes the first line of a paste.
        if (const auto lineBreak = text.find_first_of("\r\n"); lineBreak != std::string::npos) text.erase(lineBreak);
        break;
      case 5: {  // a rate button, maybe the checked one
        const auto rate = static_cast<FrameRate>(Pick(kRateCount));
        d_.Click(RateButton(rate));
        reference_.SetRate(rate);
        return Compare("rate " + std::to_string(RateIndex(rate)), RateButton(rate), IDC_FIRST_COUNT);
      }
      case 6: {
        const bool subtract = Pick(2) == 1;
        d_.Click(subtract ? IDC_SUBTRACT : IDC_ADD);
        reference_.SetOperation(subtract ? Operation::Subtract : Operation::Add);
        return Compare(subtract ? "Subtract" : "Add", subtract ? IDC_SUBTRACT : IDC_ADD, IDC_SECOND_COUNT);
      }
      default: {  // keys into a read-only result field change nothing
        const int result = FieldControl(Pick(5) == 0 ? CountField(FieldRow::Result)
                                                     : TimeField(FieldRow::Result, kTimeUnits[Pick(4)]));
        ToEnd(result);
        d_.Type(std::string(1, static_cast<char>('0' + Pick(10))));
        d_.Press(Key::Backspace);
        return Compare("keys in result field " + std::to_string(result));
      }
    }
    display_.Edit(sheetField, text);
    return Compare("'" + text + "' in field " + std::to_string(field));
  }

 private:
  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

  std::string PasteText() {
    switch (Pick(6)) {
      case 0: return std::string(1 + Pick(150), static_cast<char>('0' + Pick(10)));
      case 1: return "-" + std::to_string(Pick(1000000));
      case 2: return std::to_string(Pick(70000));
      case 3: return "  +" + std::to_string(std::uniform_int_distribution<std::uint64_t>()(random_)) + "x";
      case 4: return std::to_string(Pick(70000)) + (Pick(2) == 0 ? "\n" : "\r\n") + std::to_string(Pick(10));
      default: return "";
    }
  }

  // The caret at the end of a field, clicked into unless it has the focus.
  void ToEnd(int field) {
    if (d_.FocusedId() != field) d_.Click(field);
    d_.Press(Key::End);
  }

  std::string Compare(const std::string& action, int checked = 0, int nextTabStop = 0) {
    for (std::size_t i = 0; i < kAllFields.size(); ++i) {
      const std::string shown = d_.Text(kAllFields[i]);
      const std::string expected = display_.Text(static_cast<SheetField>(i));
      if (shown != expected) {
        return "after " + action + " field " + std::to_string(kAllFields[i]) + " shows '" + shown + "', expected '" +
               expected + "'";
      }
    }
    if (checked != 0 && !d_.IsChecked(checked)) return "after " + action + " its button is not checked";
    if (nextTabStop != 0) return TabCycles(action, nextTabStop);
    return {};
  }

  // From a clicked radio button, Tab goes on to the next tab stop in the
  // template and then round the whole order; Shift+Tab walks it back.
  std::string TabCycles(const std::string& action, int nextTabStop) {
    const auto start = std::find(kTabOrder.begin(), kTabOrder.end(), nextTabStop) - kTabOrder.begin();
    std::vector<int> expected;
    std::vector<int> visited;
    for (std::size_t i = 0; i < kTabOrder.size(); ++i) {
      expected.push_back(kTabOrder[(static_cast<std::size_t>(start) + i) % kTabOrder.size()]);
      d_.Press(Key::Tab);
      visited.push_back(d_.FocusedId());
    }
    for (std::size_t i = 1; i <= kTabOrder.size(); ++i) {
      expected.push_back(expected[kTabOrder.size() - 1 - i % kTabOrder.size()]);
      d_.Press(Key::ShiftTab);
      visited.push_back(d_.FocusedId());
    }
    if (visited == expected) return {};
    std::string message = "after " + action + " Tab and Shift+Tab visit";
    for (int id : visited) message += " " + std::to_string(id);
    return message;
  }

  DialogDriver& d_;
  std::mt19937_64 random_;
  testing_support::EchoingDisplay display_;
  CalculatorSheet reference_;
};

TEST(CalculatorWindowTest, ARandomSessionKeepsEveryFieldAndTheTabOrderRight) {
  // Every action is real input; the build says how many its backend can
  // afford (far fewer under Wine and in the browser).
  constexpr int kActions = KADENZO_RANDOM_SESSION_ACTIONS;
  RunProgram([](DialogDriver& d) {
    RandomSession session(d, 20261209);
    std::string failure;
    for (int step = 1; step <= kActions && failure.empty(); ++step) failure = session.Step();
    EXPECT_EQ(failure, "");
  });
}

TEST(AboutBoxTest, OpensCentredAndDisablesTheCalculatorUntilClosed) {
  RunProgram([](DialogDriver& d) {
    Enter(d, IDC_FIRST_COUNT, "1800");
    d.Click(IDC_RATE_25);
    d.Click(IDC_SUBTRACT);
    const auto before = AllTexts(d);

    d.Click(IDC_ABOUT);
    ASSERT_EQ(d.OpenDialogs(), (std::vector<std::string>{"Kadenzo", "About Kadenzo"}));
    EXPECT_EQ(d.ActiveCaption(), "About Kadenzo");
    EXPECT_FALSE(d.IsDialogEnabled("Kadenzo"));
    EXPECT_EQ(d.FocusedId(), kClose);

    const ScreenRect box = d.DialogRect("About Kadenzo");
    const ScreenRect desktop = d.DesktopRect();
    EXPECT_EQ(box.left, (desktop.right - desktop.left) / 2 + desktop.left - box.Width() / 2);
    EXPECT_EQ(box.top, (desktop.bottom - desktop.top) / 2 + desktop.top - box.Height() / 2);

    // Neither clicks nor keys reach the calculator meanwhile.
    d.ClickIn("Kadenzo", IDC_ADD);
    d.ClickIn("Kadenzo", IDC_ABOUT);
    d.Type("77");
    EXPECT_EQ(d.OpenDialogs(), (std::vector<std::string>{"Kadenzo", "About Kadenzo"}));

    d.Press(Key::Escape);
    EXPECT_EQ(d.ActiveCaption(), "Kadenzo");
    EXPECT_TRUE(d.IsDialogEnabled("Kadenzo"));
    EXPECT_EQ(AllTexts(d), before);
    EXPECT_TRUE(d.IsChecked(IDC_RATE_25));
    EXPECT_TRUE(d.IsChecked(IDC_SUBTRACT));
  });
}

TEST(AboutBoxTest, ShowsNameVersionAndPurposeAndClosesEveryWay) {
  const Ending endings[] = {
      {"Close button", [](DialogDriver& d) { d.Click(kClose); }},
      {"Enter", [](DialogDriver& d) { d.Press(Key::Enter); }},
      {"Escape", [](DialogDriver& d) { d.Press(Key::Escape); }},
      {"close box", [](DialogDriver& d) { d.CloseBox(); }},
  };
  RunProgram([&](DialogDriver& d) {
    for (const Ending& ending : endings) {
      // Enter on the focused About button presses it.
      d.Click(IDC_FIRST_COUNT);
      for (int i = 0; i < 13; ++i) d.Press(Key::Tab);
      ASSERT_EQ(d.FocusedId(), IDC_ABOUT) << ending.name;
      d.Press(Key::Enter);
      ASSERT_EQ(d.ActiveCaption(), "About Kadenzo") << ending.name;
      const std::vector<std::string> labels = d.LabelTexts();
      ASSERT_GE(labels.size(), 3u);
      EXPECT_NE(std::find(labels.begin(), labels.end(), "Kadenzo"), labels.end());
      EXPECT_NE(std::find(labels.begin(), labels.end(), "Version 1.12"), labels.end());
      EXPECT_NE(std::find(labels.begin(), labels.end(), "32 bit application"), labels.end());
      EXPECT_NE(std::find(labels.begin(), labels.end(), "Purpose:  Converts, adds, and subtracts"), labels.end());
      EXPECT_NE(std::find(labels.begin(), labels.end(), "LD/CD/SMPTE time & frames."), labels.end());
      EXPECT_EQ(d.FaceColour(), Rgb(192, 192, 192));

      ending.end(d);
      EXPECT_EQ(d.OpenDialogs(), std::vector<std::string>{"Kadenzo"}) << ending.name;
      EXPECT_TRUE(d.IsDialogEnabled("Kadenzo")) << ending.name;
    }
  });
}

}  // namespace
}  // namespace kadenzo::testing_support
