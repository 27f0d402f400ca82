#include "framework/dialog_keyboard.h"

#include "framework/backend.h"

namespace kadenzo {

namespace {

bool IsButton(ControlKind kind) {
  return kind == ControlKind::AutoRadioButton || kind == ControlKind::PushButton ||
         kind == ControlKind::DefaultPushButton;
}

bool IsPushButton(ControlKind kind) {
  return kind == ControlKind::PushButton || kind == ControlKind::DefaultPushButton;
}

bool TakesFocus(const DialogTemplate& dialog, const DialogKeyState& state, std::size_t index) {
  const ControlKind kind = dialog.controls[index].kind;
  return (kind == ControlKind::Edit || IsButton(kind)) && state.canTakeFocus(index);
}

bool StartsGroup(const ControlTemplate& control) {
  return (control.flags & ControlFlag::kGroup) != 0;
}

// A focus the template does not know of counts as none.
std::optional<std::size_t> Focused(const DialogTemplate& dialog, std::optional<std::size_t> focused) {
  if (focused && *focused < dialog.controls.size()) return focused;
  return std::nullopt;
}

}  // namespace

std::optional<std::size_t> NextTabStop(const DialogTemplate& dialog, const DialogKeyState& state, bool backwards) {
  const std::size_t count = dialog.controls.size();
  const std::optional<std::size_t> focused = Focused(dialog, state.focused);
  // The focused control itself comes last, so that a dialog's only tab stop
  // keeps the focus.
  for (std::size_t step = 1; step <= count; ++step) {
    const std::size_t index = focused ? (backwards ? (*focused + count - step) % count : (*focused + step) % count)
                                      : (backwards ? count - step : step - 1);
    if ((dialog.controls[index].flags & ControlFlag::kTabStop) != 0 && TakesFocus(dialog, state, index)) return index;
  }
  return std::nullopt;
}

std::optional<GroupStep> MoveInGroup(const DialogTemplate& dialog, const DialogKeyState& state, bool previous) {
  const std::optional<std::size_t> focused = Focused(dialog, state.focused);
  if (!focused || !IsButton(dialog.controls[*focused].kind)) return std::nullopt;
  const std::size_t from = *focused;
  std::size_t start = from;
  while (start > 0 && !StartsGroup(dialog.controls[start])) --start;
  std::size_t end = from + 1;
  while (end < dialog.controls.size() && !StartsGroup(dialog.controls[end])) ++end;
  const std::size_t size = end - start;
  for (std::size_t step = 1; step < size; ++step) {
    const std::size_t index = start + (from - start + (previous ? size - step : step)) % size;
    if (!TakesFocus(dialog, state, index)) continue;
    const bool radio = dialog.controls[index].kind == ControlKind::AutoRadioButton;
    return GroupStep{index, radio && !state.isChecked(index)};
  }
  return std::nullopt;
}

int EnterButton(const DialogTemplate& dialog, std::optional<std::size_t> focused) {
  focused = Focused(dialog, focused);
  if (focused && IsPushButton(dialog.controls[*focused].kind)) return dialog.controls[*focused].id;
  return DefaultButton(dialog);
}

int DefaultButton(const DialogTemplate& dialog) {
  int id = kIdOk;
  for (const ControlTemplate& control : dialog.controls) {
    if (control.kind == ControlKind::DefaultPushButton) id = control.id;
  }
  return id;
}

}  // namespace kadenzo
