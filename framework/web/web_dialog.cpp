#include "framework/web/web_dialog.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "framework/binding.h"
#include "framework/exceptions.h"
#include "framework/web/web_dom.h"
#include "framework/web/web_platform.h"

namespace kadenzo::web {

namespace {

// Handles are never reused while the page lives, so an event queued for a
// window that has gone can never reach another one.
int g_nextHandle = 1;

std::string Terminated(std::string_view text) {
  return std::string(text);
}

// The page shows the site's picture of the icon; the resource must still be
// one the program has, as on the other backends.
void RequireIcon(int resourceId) {
  for (const IconResource& icon : Resources().icons) {
    if (icon.id == resourceId) return;
  }
  throw CResourceException("no icon resource with that id");
}

}  // namespace

WebDialogWindow::WebDialogWindow(const DialogTemplate& dialog, DialogSite& site, bool alert)
    : handle_(g_nextHandle++), template_(dialog), site_(site) {
  const std::string font = Terminated(dialog.fontName);
  const int units = kz_measure_units(font.c_str(), dialog.fontPoints);
  const int unitX = units & 0xFFFF;  // average character width: four dialog units across
  const int unitY = units >> 16;     // character height: eight dialog units down
  // Rounded like the dialog manager's MulDiv.
  const auto x = [unitX](int du) { return (du * unitX + 2) / 4; };
  const auto y = [unitY](int du) { return (du * unitY + 4) / 8; };

  if (kz_window_create(handle_, Terminated(dialog.caption).c_str(), font.c_str(), dialog.fontPoints, x(dialog.width),
                       y(dialog.height), alert ? 1 : 0) == 0)
    throw CResourceException("the page has no document for a window");

  struct Cleanup {
    int handle;
    bool done = false;
    ~Cleanup() {
      if (!done) kz_window_destroy(handle);
    }
  } cleanup{handle_};

  std::size_t groupStart = 0;
  for (std::size_t index = 0; index < dialog.controls.size(); ++index) {
    const ControlTemplate& control = dialog.controls[index];
    // The page groups a radio button's input with the others of its group.
    if ((control.flags & ControlFlag::kGroup) != 0 || index == 0) groupStart = index;
    const int kind = static_cast<int>(control.kind);
    kz_control_create(handle_, static_cast<int>(index), kind, control.id, Terminated(control.text).c_str(),
                      x(control.rect.x), y(control.rect.y), x(control.rect.width), y(control.rect.height),
                      control.flags, static_cast<int>(groupStart), control.align == TextAlign::Centre ? 1 : 0);
    if (control.kind == ControlKind::Icon) RequireIcon(control.iconResource);
    if (control.id != kStaticId) byId_.emplace(control.id, index);
  }

  // Screen readers read the page in its order: top to bottom and left to
  // right. The tab order stays the template's.
  std::vector<int> reading(dialog.controls.size());
  for (std::size_t i = 0; i < reading.size(); ++i) reading[i] = static_cast<int>(i);
  std::stable_sort(reading.begin(), reading.end(), [&dialog](int a, int b) {
    const DialogRect& ra = dialog.controls[static_cast<std::size_t>(a)].rect;
    const DialogRect& rb = dialog.controls[static_cast<std::size_t>(b)].rect;
    return std::pair(ra.y, ra.x) < std::pair(rb.y, rb.x);
  });
  kz_controls_done(handle_, reading.data(), static_cast<int>(reading.size()));
  cleanup.done = true;
}

WebDialogWindow::~WebDialogWindow() {
  kz_window_destroy(handle_);
}

std::size_t WebDialogWindow::IndexOf(int id) const {
  const auto found = byId_.find(id);
  if (found == byId_.end()) throw CResourceException("no control with that id");
  return found->second;
}

std::string WebDialogWindow::GetItemText(int id) const {
  const int index = static_cast<int>(IndexOf(id));
  std::string text(64, '\0');
  int length = kz_get_text(handle_, index, text.data(), static_cast<int>(text.size()));
  if (length >= static_cast<int>(text.size())) {
    text.resize(static_cast<std::size_t>(length) + 1);
    length = kz_get_text(handle_, index, text.data(), static_cast<int>(text.size()));
  }
  text.resize(static_cast<std::size_t>(std::min(length, static_cast<int>(text.size()) - 1)));
  return text;
}

void WebDialogWindow::SetItemText(int id, std::string_view text) {
  const std::size_t index = IndexOf(id);
  const ControlKind kind = template_.controls[index].kind;
  if (kind == ControlKind::GroupFrame || kind == ControlKind::Icon)
    throw CNotSupportedException("the control has no text");
  kz_set_text(handle_, static_cast<int>(index), Terminated(text).c_str());
  // The page reports only what the person types; a field written by the
  // program reports the change itself, from inside the write, as an edit
  // control does.
  if (kind == ControlKind::Edit) site_.Command(id, Notify::kChange);
}

bool WebDialogWindow::IsChecked(int id) const {
  const std::size_t index = IndexOf(id);
  return template_.controls[index].kind == ControlKind::AutoRadioButton &&
         kz_is_checked(handle_, static_cast<int>(index)) != 0;
}

void WebDialogWindow::SetChecked(int id, bool checked) {
  const std::size_t index = IndexOf(id);
  if (template_.controls[index].kind != ControlKind::AutoRadioButton)
    throw CNotSupportedException("the control cannot be checked");
  kz_set_checked(handle_, static_cast<int>(index), checked ? 1 : 0);
}

ScreenRect WebDialogWindow::GetWindowRect() const {
  std::array<int, 4> rect{};
  kz_window_rect(handle_, rect.data());
  return {rect[0], rect[1], rect[2], rect[3]};
}

void WebDialogWindow::MoveWindow(const ScreenRect& rect, bool) {
  // The size is the template's; only the place changes.
  kz_window_move(handle_, rect.left, rect.top);
}

void WebDialogWindow::Activate() {
  if (kz_window_activate(handle_) == 0) FocusFirstTabStop();
}

void WebDialogWindow::SetAccessibleName(int id, std::string_view name, std::string_view description) {
  kz_set_accessible_name(handle_, static_cast<int>(IndexOf(id)), Terminated(name).c_str(),
                         Terminated(description).c_str());
}

void WebDialogWindow::EndModalLoop(int result) {
  result_ = result;
  ended_ = true;
}

void WebDialogWindow::Show() {
  kz_window_show(handle_);
}

void WebDialogWindow::SetBlocked(bool blocked) {
  blocked_ = blocked;
  kz_window_block(handle_, blocked ? 1 : 0);
}

DialogKeyState WebDialogWindow::KeyState() const {
  const int focused = kz_focused_index(handle_);
  // The page shows every control of a window and disables none; a window
  // that takes no input gets no keys.
  return {focused >= 0 ? std::optional(static_cast<std::size_t>(focused)) : std::nullopt,
          [](std::size_t) { return true; },
          [this](std::size_t index) {
            return template_.controls[index].kind == ControlKind::AutoRadioButton &&
                   kz_is_checked(handle_, static_cast<int>(index)) != 0;
          }};
}

void WebDialogWindow::FocusFirstTabStop() {
  DialogKeyState state = KeyState();
  state.focused.reset();
  if (const auto first = NextTabStop(template_, state, false)) Focus(*first);
}

void WebDialogWindow::Focus(std::size_t index) {
  // A field entered from the keyboard has its whole text selected.
  kz_focus(handle_, static_cast<int>(index), template_.controls[index].kind == ControlKind::Edit ? 1 : 0);
}

int WebDialogWindow::RunModalLoop() {
  while (!ended_) {
    const auto kind = static_cast<EventKind>(kz_next_event());
    // What was meant for another window, one blocked or gone, is dropped.
    if (kz_event_window() != handle_) continue;
    Dispatch(kind, kz_event_value(), kz_event_shift() != 0);
  }
  return result_;
}

void WebDialogWindow::Dispatch(EventKind kind, int value, bool shift) {
  const auto control = [this, value]() -> const ControlTemplate* {
    if (value < 0 || static_cast<std::size_t>(value) >= template_.controls.size()) return nullptr;
    return &template_.controls[static_cast<std::size_t>(value)];
  };
  switch (kind) {
    case EventKind::Change:
      if (const ControlTemplate* edit = control(); edit != nullptr && edit->kind == ControlKind::Edit)
        site_.Command(edit->id, Notify::kChange);
      return;
    case EventKind::Click:
      if (const ControlTemplate* button = control(); button != nullptr && button->id != kStaticId)
        site_.Command(button->id, Notify::kClicked);
      return;
    case EventKind::Key: OnKey(static_cast<WebKey>(value), shift); return;
    // The close box is the cancel command; the dialog decides whether it ends.
    case EventKind::Close: site_.Command(kIdCancel, Notify::kClicked); return;
  }
}

void WebDialogWindow::OnKey(WebKey key, bool shift) {
  const DialogKeyState state = KeyState();
  switch (key) {
    case WebKey::Tab:
      if (const auto to = NextTabStop(template_, state, shift)) Focus(*to);
      return;
    case WebKey::Enter: site_.Command(EnterButton(template_, state.focused), Notify::kClicked); return;
    case WebKey::Escape: site_.Command(kIdCancel, Notify::kClicked); return;
    case WebKey::F1: return;
    case WebKey::Left:
    case WebKey::Up:
    case WebKey::Right:
    case WebKey::Down:
      if (const auto step = MoveInGroup(template_, state, key == WebKey::Left || key == WebKey::Up)) {
        Focus(step->to);
        if (step->choose) {
          kz_set_checked(handle_, static_cast<int>(step->to), 1);
          site_.Command(template_.controls[step->to].id, Notify::kClicked);
        }
      }
      return;
  }
}

}  // namespace kadenzo::web
