// The dialog keyboard on templates alone, with no window: where Tab, the
// arrow keys and Enter go, in the calculator and in the shapes of dialog
// where a walk round the controls goes wrong most easily.
#include "framework/dialog_keyboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/backend.h"
#include "ui/dialog_templates.h"
#include "ui/resource_ids.h"

namespace kadenzo {
namespace {

constexpr int kNone = 0;  // no control, as a focus or as an answer
constexpr int kClose = kIdOk;

constexpr ControlTemplate kGroupEndsTheDialogControls[] = {
    {ControlKind::Edit, 10, "", {4, 4, 40, 13}, ControlFlag::kTabStop | ControlFlag::kGroup},
    {ControlKind::DefaultPushButton, 11, "OK", {4, 20, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::PushButton, 12, "Other", {4, 36, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::AutoRadioButton, 20, "A", {50, 4, 40, 10}, ControlFlag::kGroup},
    {ControlKind::Label, kStaticId, "not a button", {50, 16, 40, 10}},
    {ControlKind::AutoRadioButton, 21, "B", {50, 28, 40, 10}},
    {ControlKind::AutoRadioButton, 22, "C", {50, 40, 40, 10}},
};
constexpr DialogTemplate kGroupEndsTheDialog{
    1, "Group last", 100, 60, "MS Sans Serif", 8, 0, kGroupEndsTheDialogControls};

constexpr ControlTemplate kOneTabStopControls[] = {
    {ControlKind::Label, kStaticId, "Text", {4, 4, 40, 8}, ControlFlag::kTabStop | ControlFlag::kGroup},
    {ControlKind::PushButton, 30, "Only", {4, 20, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::Icon, kStaticId, "", {50, 4, 20, 20}, ControlFlag::kTabStop},
};
constexpr DialogTemplate kOneTabStop{2, "One", 100, 40, "MS Sans Serif", 8, 0, kOneTabStopControls};

constexpr ControlTemplate kNoTabStopControls[] = {
    {ControlKind::Label, kStaticId, "Text", {4, 4, 40, 8}, ControlFlag::kGroup},
    {ControlKind::AutoRadioButton, 40, "A", {4, 20, 40, 10}, ControlFlag::kGroup},
    {ControlKind::AutoRadioButton, 41, "B", {4, 32, 40, 10}},
};
constexpr DialogTemplate kNoTabStop{3, "None", 100, 40, "MS Sans Serif", 8, 0, kNoTabStopControls};

std::size_t IndexOf(const DialogTemplate& dialog, int id) {
  const auto found = std::find_if(dialog.controls.begin(), dialog.controls.end(),
                                  [id](const ControlTemplate& control) { return control.id == id; });
  EXPECT_NE(found, dialog.controls.end()) << "no control " << id;
  return static_cast<std::size_t>(found - dialog.controls.begin());
}

int IdAt(const DialogTemplate& dialog, std::optional<std::size_t> index) {
  return index ? dialog.controls[*index].id : kNone;
}

// A window as a backend reports it: the focus, and the controls (by id)
// that are hidden or disabled and the radio buttons that are checked.
DialogKeyState State(const DialogTemplate& dialog, int focused, std::vector<int> unavailable = {},
                     std::vector<int> checked = {}) {
  const auto listed = [&dialog](std::vector<int> ids) {
    return [&dialog, ids](std::size_t index) {
      return std::find(ids.begin(), ids.end(), dialog.controls[index].id) != ids.end();
    };
  };
  const auto isUnavailable = listed(std::move(unavailable));
  return {focused == kNone ? std::nullopt : std::optional(IndexOf(dialog, focused)),
          [isUnavailable](std::size_t index) { return !isUnavailable(index); }, listed(std::move(checked))};
}

TEST(DialogKeyboardTest, TabWalksTheCalculatorsFieldsWithTheHoursLastAndRoundTheDialog) {
  const std::vector<int> order = {IDC_FIRST_COUNT,  IDC_FIRST_MINUTES,  IDC_FIRST_SECONDS,  IDC_FIRST_FRAMES,
                                  IDC_SECOND_COUNT, IDC_SECOND_MINUTES, IDC_SECOND_SECONDS, IDC_SECOND_FRAMES,
                                  IDC_RESULT_COUNT, IDC_RESULT_MINUTES, IDC_RESULT_SECONDS, IDC_RESULT_FRAMES,
                                  kClose,           IDC_ABOUT,          IDC_FIRST_HOURS,    IDC_SECOND_HOURS,
                                  IDC_RESULT_HOURS, IDC_FIRST_COUNT};
  for (const bool backwards : {false, true}) {
    std::vector<int> visited;
    int focused = kNone;
    for (std::size_t i = 0; i < order.size(); ++i) {
      focused =
          IdAt(kCalculatorTemplate, NextTabStop(kCalculatorTemplate, State(kCalculatorTemplate, focused), backwards));
      visited.push_back(focused);
    }
    std::vector<int> expected = order;
    if (backwards) {
      // From no focus Shift+Tab starts at the last tab stop.
      expected.pop_back();
      std::reverse(expected.begin(), expected.end());
      expected.push_back(IDC_RESULT_HOURS);
    }
    EXPECT_EQ(visited, expected) << (backwards ? "Shift+Tab" : "Tab");
  }
}

struct TabCase {
  const DialogTemplate* dialog;
  int focused;
  bool backwards;
  std::vector<int> unavailable;
  int expected;
};

TEST(DialogKeyboardTest, TabSkipsWhatCannotTakeTheFocusAndGoesOnFromAnyControl) {
  const TabCase cases[] = {
      // From a radio button, which is no tab stop, on to the tab stops round it.
      {&kCalculatorTemplate, IDC_RATE_30, false, {}, IDC_FIRST_COUNT},
      {&kCalculatorTemplate, IDC_RATE_30, true, {}, IDC_RESULT_HOURS},
      {&kCalculatorTemplate, IDC_SUBTRACT, true, {}, IDC_FIRST_FRAMES},
      {&kCalculatorTemplate, IDC_FIRST_COUNT, false, {IDC_FIRST_MINUTES, IDC_FIRST_SECONDS}, IDC_FIRST_FRAMES},
      {&kCalculatorTemplate, kNone, false, {IDC_FIRST_COUNT}, IDC_FIRST_MINUTES},
      // Past a group that ends the dialog, round to its start.
      {&kGroupEndsTheDialog, 22, false, {}, 10},
      {&kGroupEndsTheDialog, 11, false, {12}, 10},
      {&kGroupEndsTheDialog, 10, true, {12}, 11},
      // A dialog's only tab stop keeps the focus; labels and icons take none.
      {&kOneTabStop, 30, false, {}, 30},
      {&kOneTabStop, 30, true, {}, 30},
      {&kOneTabStop, kNone, true, {}, 30},
      {&kOneTabStop, kNone, false, {30}, kNone},
      {&kNoTabStop, kNone, false, {}, kNone},
      {&kNoTabStop, 41, true, {}, kNone},
  };
  for (const TabCase& c : cases) {
    const auto to = NextTabStop(*c.dialog, State(*c.dialog, c.focused, c.unavailable), c.backwards);
    EXPECT_EQ(IdAt(*c.dialog, to), c.expected)
        << c.dialog->caption << ": " << (c.backwards ? "Shift+Tab" : "Tab") << " from " << c.focused;
  }
}

struct ArrowCase {
  const DialogTemplate* dialog;
  int focused;
  bool previous;
  std::vector<int> unavailable;
  std::vector<int> checked;
  int expected;
  bool choose;
};

TEST(DialogKeyboardTest, AnArrowOnAButtonMovesRoundItsGroupAndChoosesAnUncheckedRadioButton) {
  const ArrowCase cases[] = {
      {&kCalculatorTemplate, IDC_RATE_25, false, {}, {IDC_RATE_30}, IDC_RATE_29_97, true},
      {&kCalculatorTemplate, IDC_RATE_24, true, {}, {IDC_RATE_23_976}, IDC_RATE_23_976, false},
      // The rate group runs on into the first operand's fields, round both ways.
      {&kCalculatorTemplate, IDC_RATE_30, false, {}, {IDC_RATE_30}, IDC_FIRST_COUNT, false},
      {&kCalculatorTemplate, IDC_RATE_23_976, true, {}, {IDC_RATE_30}, IDC_FIRST_FRAMES, false},
      {&kCalculatorTemplate, IDC_SUBTRACT, false, {}, {IDC_ADD}, IDC_SECOND_COUNT, false},
      {&kCalculatorTemplate, IDC_ADD, true, {}, {IDC_ADD}, kClose, false},
      {&kCalculatorTemplate, kClose, false, {}, {IDC_SUBTRACT}, IDC_ADD, true},
      // About shares a group with the frames before it and the hours after.
      {&kCalculatorTemplate, IDC_ABOUT, true, {}, {}, IDC_FIRST_HOURS, false},
      {&kCalculatorTemplate, IDC_RATE_25, false, {IDC_RATE_29_97}, {IDC_RATE_30}, IDC_RATE_30, false},
      // In a field the arrows move the caret.
      {&kCalculatorTemplate, IDC_FIRST_COUNT, false, {}, {}, kNone, false},
      {&kCalculatorTemplate, kNone, false, {}, {}, kNone, false},
      // A group that ends the dialog goes round to its own start, past its label.
      {&kGroupEndsTheDialog, 22, false, {}, {22}, 20, true},
      {&kGroupEndsTheDialog, 20, true, {}, {20}, 22, true},
      {&kGroupEndsTheDialog, 20, false, {}, {20}, 21, true},
      {&kGroupEndsTheDialog, 20, false, {21, 22}, {20}, kNone, false},
      {&kOneTabStop, 30, false, {}, {}, kNone, false},
      {&kNoTabStop, 41, false, {}, {}, 40, true},
  };
  for (const ArrowCase& c : cases) {
    const auto step = MoveInGroup(*c.dialog, State(*c.dialog, c.focused, c.unavailable, c.checked), c.previous);
    const auto where = [&] { return std::string(c.dialog->caption) + ": from " + std::to_string(c.focused); };
    EXPECT_EQ(IdAt(*c.dialog, step ? std::optional(step->to) : std::nullopt), c.expected) << where();
    EXPECT_EQ(step && step->choose, c.choose) << where();
  }
}

TEST(DialogKeyboardTest, EnterPressesTheFocusedPushButtonOrElseTheDefaultOne) {
  struct EnterCase {
    const DialogTemplate* dialog;
    int focused;
    int expected;
  };
  const EnterCase cases[] = {
      {&kCalculatorTemplate, IDC_FIRST_COUNT, kClose},
      {&kCalculatorTemplate, IDC_ABOUT, IDC_ABOUT},
      {&kCalculatorTemplate, IDC_RATE_30, kClose},
      {&kCalculatorTemplate, kNone, kClose},
      {&kGroupEndsTheDialog, 10, 11},
      {&kGroupEndsTheDialog, 12, 12},
      // Without a default push button, Enter is OK.
      {&kOneTabStop, kNone, kIdOk},
      {&kNoTabStop, 40, kIdOk},
  };
  for (const EnterCase& c : cases) {
    const auto focused = c.focused == kNone ? std::nullopt : std::optional(IndexOf(*c.dialog, c.focused));
    EXPECT_EQ(EnterButton(*c.dialog, focused), c.expected) << c.dialog->caption << ": from " << c.focused;
  }
  // A focus the template does not know of is none.
  EXPECT_EQ(EnterButton(kGroupEndsTheDialog, std::size(kGroupEndsTheDialogControls)), 11);
}

}  // namespace
}  // namespace kadenzo
