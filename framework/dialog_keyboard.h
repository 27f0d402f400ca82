// The dialog keyboard for a backend that has no dialog manager to provide
// it: where Tab and Shift+Tab put the focus, where an arrow key moves it
// within a group and whether it chooses the radio button there, and which
// button Enter presses. Decided here, from the template and what the
// backend reports of its window, so that every such backend answers alike;
// nothing here touches a window.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

#include "framework/dialog_template.h"

namespace kadenzo {

// What a backend reports of its window when a key arrives. Controls are
// named by their place in the template's list of controls.
struct DialogKeyState {
  // The control with the focus; none when no control of the dialog has it.
  std::optional<std::size_t> focused;
  // Whether a control is shown and enabled now. Labels, frames and icons
  // never take the focus, whatever this says.
  std::function<bool(std::size_t)> canTakeFocus;
  // Whether a radio button is checked now.
  std::function<bool(std::size_t)> isChecked;
};

// Where Tab puts the focus: the next tab stop after the focused control
// that can take the focus, in template order and round the whole dialog,
// whatever kind of control has the focus now; backwards, for Shift+Tab,
// the one before it. Without a focused control, the first such tab stop
// (the last, backwards). None when no tab stop can take the focus.
std::optional<std::size_t> NextTabStop(const DialogTemplate& dialog, const DialogKeyState& state, bool backwards);

// What an arrow key does in a group.
struct GroupStep {
  std::size_t to;  // the control that takes the focus
  bool choose;     // a radio button not checked yet: it is checked as if clicked
};

// An arrow key on a focused button (previous: Left or Up) moves the focus
// to the previous or next control of the button's group that can take it,
// round the group; a radio button reached so is chosen. A group runs from
// a control that starts one up to the next that does, so it takes in
// whatever lies between: a radio group runs on into the fields after it.
// None when the focus is not on a button (a field keeps its arrow keys for
// its caret) or no other control of the group can take the focus.
std::optional<GroupStep> MoveInGroup(const DialogTemplate& dialog, const DialogKeyState& state, bool previous);

// The id of the button Enter presses: the focused push button, or else the
// dialog's default button.
int EnterButton(const DialogTemplate& dialog, std::optional<std::size_t> focused);

// The dialog's default button: its default push button (the last, should
// the template have several, as the dialog manager takes it), or else OK.
int DefaultButton(const DialogTemplate& dialog);

}  // namespace kadenzo
