#include "ui/dialog_templates.h"

#include "framework/backend.h"
#include "ui/resource_ids.h"

namespace kadenzo {

namespace {

using enum ControlKind;
using ControlFlag::kAutoHScroll;
using ControlFlag::kBorder;
using ControlFlag::kGroup;
using ControlFlag::kReadOnly;
using ControlFlag::kTabStop;

constexpr std::uint32_t kDialogStyles = DialogStyle::kPopup | DialogStyle::kVisible | DialogStyle::kCaption |
                                        DialogStyle::kSysMenu | DialogStyle::kModalFrame | DialogStyle::kSetFont;
constexpr std::uint32_t kField = kTabStop | kBorder | kAutoHScroll;
constexpr std::uint32_t kResult = kField | kReadOnly;

constexpr ControlTemplate Heading(std::string_view text, DialogRect rect) {
  return {Label, kStaticId, text, rect, kGroup, TextAlign::Centre};
}

// Template order is also the tab order: the hours fields were added last and
// are reached only after the About button.
constexpr ControlTemplate kCalculatorControls[] = {
    {AutoRadioButton, IDC_RATE_23_976, "23.976", {39, 20, 39, 10}, kGroup},
    {AutoRadioButton, IDC_RATE_24, "24", {39, 32, 20, 10}},
    {AutoRadioButton, IDC_RATE_25, "25", {39, 44, 20, 10}},
    {AutoRadioButton, IDC_RATE_29_97, "29.97", {80, 20, 36, 10}},
    {AutoRadioButton, IDC_RATE_30, "30", {80, 32, 34, 10}},
    {Edit, IDC_FIRST_COUNT, "", {4, 81, 40, 13}, kField},
    {Edit, IDC_FIRST_MINUTES, "", {84, 81, 20, 13}, kField},
    {Edit, IDC_FIRST_SECONDS, "", {108, 81, 20, 13}, kField},
    {Edit, IDC_FIRST_FRAMES, "", {132, 81, 20, 13}, kField},
    {AutoRadioButton, IDC_ADD, "Add", {46, 99, 29, 10}, kGroup},
    {AutoRadioButton, IDC_SUBTRACT, "Subtract", {74, 99, 42, 10}},
    {Edit, IDC_SECOND_COUNT, "", {4, 131, 40, 13}, kField},
    {Edit, IDC_SECOND_MINUTES, "", {84, 131, 20, 13}, kField},
    {Edit, IDC_SECOND_SECONDS, "", {108, 131, 20, 13}, kField},
    {Edit, IDC_SECOND_FRAMES, "", {132, 131, 20, 13}, kField},
    {Edit, IDC_RESULT_COUNT, "", {4, 177, 40, 13}, kResult},
    {Edit, IDC_RESULT_MINUTES, "", {84, 176, 20, 13}, kResult},
    {Edit, IDC_RESULT_SECONDS, "", {108, 176, 20, 13}, kResult},
    {Edit, IDC_RESULT_FRAMES, "", {132, 176, 20, 13}, kResult},
    {DefaultPushButton, kIdOk, "Close", {116, 8, 32, 14}, kTabStop},
    Heading("Frames", {4, 69, 40, 8}),
    Heading("Time", {60, 60, 90, 8}),
    Heading("M", {84, 69, 20, 8}),
    Heading("S", {108, 69, 20, 8}),
    Heading("F", {132, 69, 20, 8}),
    Heading("Frames", {4, 119, 40, 8}),
    Heading("Time", {60, 111, 92, 8}),
    Heading("M", {84, 119, 20, 8}),
    Heading("S", {108, 119, 20, 8}),
    Heading("F", {132, 119, 20, 8}),
    Heading("Frames", {4, 165, 40, 8}),
    Heading("Time", {56, 156, 96, 8}),
    Heading("M", {84, 164, 20, 8}),
    Heading("S", {108, 164, 20, 8}),
    Heading("F", {132, 164, 20, 8}),
    {GroupFrame, kStaticId, "", {4, 145, 148, 9}},  // rule above the result row
    {GroupFrame, kStaticId, "", {116, 97, 36, 9}},  // rules either side of the operation buttons
    {GroupFrame, kStaticId, "", {4, 97, 36, 9}},
    {PushButton, IDC_ABOUT, "About", {116, 28, 32, 14}, kTabStop},
    {Edit, IDC_FIRST_HOURS, "", {56, 81, 24, 13}, kField},
    Heading("H", {64, 69, 16, 8}),
    {Edit, IDC_SECOND_HOURS, "", {56, 131, 24, 13}, kField},
    Heading("H", {63, 119, 17, 8}),
    {Edit, IDC_RESULT_HOURS, "", {56, 176, 24, 13}, kResult},
    Heading("H", {63, 164, 17, 8}),
    {Icon, kStaticId, "", {4, 36, 18, 20}, 0, TextAlign::Left, IDR_APP_ICON},
    Heading("Absolute", {4, 61, 40, 8}),
    Heading("Absolute", {4, 111, 40, 8}),
    Heading("Absolute", {4, 157, 40, 8}),
    {Label, kStaticId, "Frames Per Second", {44, 8, 68, 8}, kGroup},
    {Label, kStaticId, "The", {4, 8, 30, 8}, kGroup},
    {Label, kStaticId, "Kadenzo", {4, 16, 30, 8}, kGroup},
    {Label, kStaticId, "Project", {4, 24, 30, 8}, kGroup},
};

constexpr ControlTemplate AboutLine(std::string_view text, DialogRect rect) {
  return {Label, kStaticId, text, rect, kGroup};
}

constexpr ControlTemplate kAboutControls[] = {
    {DefaultPushButton, kIdOk, "Close", {136, 8, 34, 14}, kTabStop},
    {Icon, kStaticId, "", {12, 24, 18, 20}, 0, TextAlign::Left, IDR_APP_ICON},
    AboutLine("Kadenzo", {44, 12, 72, 8}),
    AboutLine("Kadenzo is an open project.", {44, 96, 136, 8}),
    AboutLine("By the Kadenzo developers.", {44, 128, 112, 8}),
    AboutLine("Free to use and to share.", {44, 104, 128, 8}),
    // The box's own version line, which differs from the program file's
    // version record on purpose: keep both as they are.
    AboutLine("Version 1.12", {44, 20, 60, 8}),
    AboutLine("Works offline.", {44, 112, 80, 8}),
    AboutLine("See the README.", {44, 136, 84, 8}),
    AboutLine("Purpose:  Converts, adds, and subtracts", {44, 40, 140, 8}),
    AboutLine("LD/CD/SMPTE time && frames.", {76, 48, 104, 8}),
    AboutLine("\"Every frame counts.\"", {44, 148, 92, 8}),
    AboutLine("Frame-exact time code sums", {44, 66, 136, 8}),
    AboutLine("for film, video and audio.", {44, 74, 136, 8}),
    AboutLine("32 bit application", {44, 28, 68, 8}),
};

}  // namespace

constexpr DialogTemplate kCalculatorTemplate{IDD_CALCULATOR,  "Kadenzo", 158,           194,
                                             "MS Sans Serif", 8,         kDialogStyles, kCalculatorControls};

constexpr DialogTemplate kAboutTemplate{IDD_ABOUT, "About Kadenzo", 186,           166, "MS Sans Serif",
                                        8,         kDialogStyles,   kAboutControls};

}  // namespace kadenzo
