#include "framework/win32/win32_dialog.h"

#include <string>
#include <utility>

#include "framework/binding.h"
#include "framework/exceptions.h"

namespace kadenzo::win32 {

namespace {

// The predefined window classes, by the atoms a dialog template names them with.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

void AppendText(std::vector<WORD>& words, std::string_view text) {
  if (!text.empty()) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) throw CResourceException("a dialog text cannot be converted");
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    for (wchar_t c : wide) words.push_back(static_cast<WORD>(c));
  }
  words.push_back(0);
}

void AppendDword(std::vector<WORD>& words, DWORD value) {
  words.push_back(LOWORD(value));
  words.push_back(HIWORD(value));
}

void AppendShort(std::vector<WORD>& words, int value) {
  words.push_back(static_cast<WORD>(static_cast<short>(value)));
}

struct ControlClass {
  WORD atom;
  DWORD style;
};

ControlClass ClassOf(const ControlTemplate& control) {
  switch (control.kind) {
    case ControlKind::AutoRadioButton: return {kButtonClass, BS_AUTORADIOBUTTON};
    // Drawn by the dialog (DrawPushButton); which one is the default is
    // kept by the push button's subclass.
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: return {kButtonClass, BS_OWNERDRAW};
    case ControlKind::GroupFrame: return {kButtonClass, BS_GROUPBOX};
    case ControlKind::Label:
      return {kStaticClass, static_cast<DWORD>(control.align == TextAlign::Centre ? SS_CENTER : SS_LEFT)};
    case ControlKind::Icon: return {kStaticClass, SS_ICON};
    case ControlKind::Edit: {
      DWORD style = ES_LEFT;
      if ((control.flags & ControlFlag::kAutoHScroll) != 0) style |= ES_AUTOHSCROLL;
      if ((control.flags & ControlFlag::kBorder) != 0) style |= WS_BORDER;
      if ((control.flags & ControlFlag::kReadOnly) != 0) style |= ES_READONLY;
      return {kEditClass, style};
    }
  }
  throw CNotSupportedException("unknown control kind");
}

// A radio button control gives itself the tab stop whenever it is checked
// and takes it from itself when cleared, which would put the checked rate
// button first in the tab order and take the first focus from the first
// field. Our tab order is the template's: the buttons keep the tab stop it
// gives them.
constexpr char kRadioProcProperty[] = "KadenzoRadioProc";
constexpr char kRadioTabStopProperty[] = "KadenzoRadioTabStop";

LRESULT CALLBACK RadioButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kRadioProcProperty));
  if (original == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropA(hwnd, kRadioProcProperty);
    RemovePropA(hwnd, kRadioTabStopProperty);
    return CallWindowProcA(original, hwnd, message, wParam, lParam);
  }
  const LRESULT result = CallWindowProcA(original, hwnd, message, wParam, lParam);
  if (message == BM_SETCHECK) {
    const bool tabStop = GetPropA(hwnd, kRadioTabStopProperty) != nullptr;
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    const LONG_PTR wanted = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    if (wanted != style) SetWindowLongPtrA(hwnd, GWL_STYLE, wanted);
  }
  return result;
}

void KeepTemplateTabStop(HWND radioButton, bool tabStop) {
  if (tabStop) SetPropA(radioButton, kRadioTabStopProperty, reinterpret_cast<HANDLE>(1));
  const LONG_PTR original = SetWindowLongPtrA(radioButton, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RadioButtonProc));
  SetPropA(radioButton, kRadioProcProperty, reinterpret_cast<HANDLE>(original));
}

// A push button draws itself in the scheme's button colours and takes no
// notice of the dialog's colour answer, so on a desktop with white or orange
// buttons it would stand out from the grey face. Ours are owner-drawn, in
// the dialog's colours with the fixed edges of the classic look, so no
// colour of the scheme shows through.
//
// An owner-drawn button tells the dialog manager only that it is a button,
// not that it is a push button nor whether it is the default one, and Enter
// and the dark frame follow that answer: Enter on a focused About button
// would press Close. The subclass answers as a push button does, and keeps
// the default state the dialog manager gives it with BM_SETSTYLE as the
// focus moves, instead of letting that overwrite the owner-drawn type.
constexpr char kPushProcProperty[] = "KadenzoPushProc";
constexpr char kPushDefaultProperty[] = "KadenzoPushDefault";

bool IsDefaultPushButton(HWND button) {
  return GetPropA(button, kPushDefaultProperty) != nullptr;
}

void SetDefaultPushButton(HWND button, bool isDefault) {
  if (isDefault)
    SetPropA(button, kPushDefaultProperty, reinterpret_cast<HANDLE>(1));
  else
    RemovePropA(button, kPushDefaultProperty);
}

LRESULT CALLBACK PushButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kPushProcProperty));
  if (original == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_GETDLGCODE: return DLGC_BUTTON | (IsDefaultPushButton(hwnd) ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE: {
      const auto type = static_cast<UINT>(wParam & BS_TYPEMASK);
      if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) break;
      SetDefaultPushButton(hwnd, type == BS_DEFPUSHBUTTON);
      // Every pixel is drawn again: no need to erase first.
      if (lParam != 0) InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropA(hwnd, kPushProcProperty);
      RemovePropA(hwnd, kPushDefaultProperty);
      break;
    default: break;
  }
  return CallWindowProcA(original, hwnd, message, wParam, lParam);
}

void KeepPushButtonRole(HWND button, bool isDefault) {
  SetDefaultPushButton(button, isDefault);
  const LONG_PTR original = SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PushButtonProc));
  SetPropA(button, kPushProcProperty, reinterpret_cast<HANDLE>(original));
}

// The classic edges, the same under every scheme.
constexpr COLORREF kHighlight = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kDarkShadow = RGB(0, 0, 0);

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// A one-pixel ring just inside rect, which then shrinks by it. The top-right
// and bottom-left corners take the bottom-right colour, as a drawn edge's do.
void Ring(HDC dc, RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
  FillSolid(dc, {rect.left, rect.top, rect.right - 1, rect.top + 1}, topLeft);
  FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom - 1}, topLeft);
  FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
  FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
  InflateRect(&rect, -1, -1);
}

// Draws the whole button whatever changed: the focus rectangle is drawn by
// inverting, so drawing only it twice would take it away again.
void DrawPushButton(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  const int saved = SaveDC(dc);
  // The face and text the program chose for its dialogs; the scheme's
  // button colours only until it has chosen.
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  COLORREF text = GetSysColor(COLOR_BTNTEXT);
  if (DialogColourAnswer(WM_CTLCOLORBTN, dc) != 0) {
    face = GetBkColor(dc);
    text = GetTextColor(dc);
  }
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool isDefault = IsDefaultPushButton(item.hwndItem);

  RECT rect = item.rcItem;
  if (isDefault) Ring(dc, rect, kDarkShadow, kDarkShadow);
  if (pressed && isDefault) {
    Ring(dc, rect, kShadow, kShadow);
  } else if (pressed) {
    Ring(dc, rect, kDarkShadow, kHighlight);
    Ring(dc, rect, kShadow, face);
  } else {
    Ring(dc, rect, kHighlight, kDarkShadow);
    Ring(dc, rect, face, kShadow);
  }
  FillSolid(dc, rect, face);

  const int length = GetWindowTextLengthW(item.hwndItem);
  std::wstring label(static_cast<std::size_t>(length) + 1, L'\0');
  label.resize(static_cast<std::size_t>(GetWindowTextW(item.hwndItem, label.data(), length + 1)));
  if (const auto font = reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)); font != nullptr) {
    SelectObject(dc, font);
  }
  RECT textRect = item.rcItem;
  if (pressed) OffsetRect(&textRect, 1, 1);
  UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if ((item.itemState & ODS_NOACCEL) != 0) format |= DT_HIDEPREFIX;
  SetBkMode(dc, TRANSPARENT);
  if ((item.itemState & ODS_DISABLED) != 0) {
    // Etched: a highlight beneath and to the right of the shadow.
    RECT etched = textRect;
    OffsetRect(&etched, 1, 1);
    SetTextColor(dc, kHighlight);
    DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &etched, format);
    SetTextColor(dc, kShadow);
  } else {
    SetTextColor(dc, text);
  }
  DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &textRect, format);

  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    // One pixel inside the edges; inverted against the face, its dots
    // come out black.
    RECT focus = rect;
    InflateRect(&focus, -1, -1);
    SetTextColor(dc, kDarkShadow);
    SetBkColor(dc, face);
    DrawFocusRect(dc, &focus);
  }
  RestoreDC(dc, saved);
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialog) {
  std::vector<WORD> words;
  AppendDword(words, dialog.styles | DS_SETFONT);
  AppendDword(words, 0);  // extended style
  words.push_back(static_cast<WORD>(dialog.controls.size()));
  // Placed at the origin: the dialogs centre themselves as they start.
  AppendShort(words, 0);
  AppendShort(words, 0);
  AppendShort(words, dialog.width);
  AppendShort(words, dialog.height);
  words.push_back(0);  // no menu
  words.push_back(0);  // the dialog class
  AppendText(words, dialog.caption);
  words.push_back(static_cast<WORD>(dialog.fontPoints));
  AppendText(words, dialog.fontName);

  for (const ControlTemplate& control : dialog.controls) {
    if (words.size() % 2 != 0) words.push_back(0);
    const ControlClass controlClass = ClassOf(control);
    DWORD style = WS_CHILD | WS_VISIBLE | controlClass.style;
    if ((control.flags & ControlFlag::kTabStop) != 0) style |= WS_TABSTOP;
    if ((control.flags & ControlFlag::kGroup) != 0) style |= WS_GROUP;
    AppendDword(words, style);
    AppendDword(words, 0);
    AppendShort(words, control.rect.x);
    AppendShort(words, control.rect.y);
    AppendShort(words, control.rect.width);
    AppendShort(words, control.rect.height);
    words.push_back(static_cast<WORD>(control.id));  // kStaticId becomes 0xFFFF, as in resource scripts
    words.push_back(0xFFFF);
    words.push_back(controlClass.atom);
    if (control.kind == ControlKind::Icon) {
      words.push_back(0xFFFF);
      words.push_back(static_cast<WORD>(control.iconResource));
    } else {
      // Labels keep "&&": the static control shows it as one ampersand.
      AppendText(words, control.text);
    }
    words.push_back(0);  // no creation data
  }
  return words;
}

HWND Win32DialogWindow::Control(int id) const {
  HWND control = hwnd_ != nullptr ? GetDlgItem(hwnd_, id) : nullptr;
  if (control == nullptr) throw CResourceException("no control with that id");
  return control;
}

std::string Win32DialogWindow::GetItemText(int id) const {
  const HWND control = Control(id);
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const UINT copied = GetDlgItemTextA(hwnd_, id, text.data(), length + 1);
  text.resize(copied);
  return text;
}

void Win32DialogWindow::SetItemText(int id, std::string_view text) {
  // A field that shows the text already is left alone, as a Qt field is:
  // writing it again would report a change that is none, and the handler of
  // that change would write its row and the result again. The calculator's
  // first fill-in is four writes in five of that kind, each a round through
  // the edit control's text layout. What the program wrote last is known
  // without asking the control, until someone else changes its text.
  const auto known = shown_.find(id);
  if (known != shown_.end() ? known->second == text : GetItemText(id) == text) {
    shown_.insert_or_assign(id, std::string(text));
    return;
  }
  const std::string terminated(text);
  shown_.insert_or_assign(id, terminated);
  const int outer = std::exchange(writing_, id);
  const BOOL written = SetDlgItemTextA(hwnd_, id, terminated.c_str());
  writing_ = outer;
  if (!written) {
    shown_.erase(id);
    throw CResourceException("the control's text cannot be set");
  }
}

bool Win32DialogWindow::IsChecked(int id) const {
  Control(id);
  return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

void Win32DialogWindow::SetChecked(int id, bool checked) {
  Control(id);
  CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

ScreenRect Win32DialogWindow::GetWindowRect() const {
  RECT rect{};
  if (hwnd_ == nullptr || !::GetWindowRect(hwnd_, &rect)) throw CResourceException("the window has no rectangle");
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void Win32DialogWindow::MoveWindow(const ScreenRect& rect, bool repaint) {
  ::MoveWindow(hwnd_, rect.left, rect.top, rect.Width(), rect.Height(), repaint ? TRUE : FALSE);
}

bool Win32DialogWindow::IsEnabled() const {
  return IsWindowEnabled(hwnd_) != FALSE;
}

void Win32DialogWindow::Activate() {
  SetActiveWindow(hwnd_);
}

void Win32DialogWindow::EndModalLoop(int result) {
  result_ = result;
  running_ = false;
  // Wakes the loop if it is waiting for a message.
  if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void Win32DialogWindow::Create(HWND owner) {
  const std::vector<WORD> words = BuildDialogTemplate(template_);
  const HWND created =
      CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), owner,
                                 &Win32DialogWindow::DialogProc, reinterpret_cast<LPARAM>(this));
  if (created == nullptr) {
    RethrowKept();
    throw CResourceException("the dialog window cannot be created");
  }
  hwnd_ = created;
  RethrowKept();
}

int Win32DialogWindow::RunModalLoop() {
  MSG msg{};
  while (running_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) throw CResourceException("the message queue failed");
    if (got == 0) {
      // A quit request ends every loop: pass it on to the one outside.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return -1;
    }
    // Keyboard navigation (Tab, arrows, Enter, Escape) is the dialog
    // manager's, for whichever of our dialogs the message is for.
    const HWND root = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    bool handled = false;
    for (Win32DialogWindow* dialog : RunningDialogs()) {
      if (root != nullptr && dialog->hwnd_ == root) {
        handled = IsDialogMessageA(root, &msg) != FALSE;
        break;
      }
    }
    if (!handled) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    RethrowKept();
  }
  return result_;
}

void Win32DialogWindow::Destroy() noexcept {
  if (!detached_) {
    detached_ = true;
    site_.Detach();
  }
  if (hwnd_ != nullptr) {
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
}

void Win32DialogWindow::CollectControls() {
  controls_.clear();
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    controls_.push_back(child);
  }
  if (controls_.size() != template_.controls.size()) throw CResourceException("a control could not be created");
  int defaultId = 0;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const ControlTemplate& control = template_.controls[i];
    if (control.kind == ControlKind::AutoRadioButton) {
      KeepTemplateTabStop(controls_[i], (control.flags & ControlFlag::kTabStop) != 0);
    } else if (control.kind == ControlKind::PushButton || control.kind == ControlKind::DefaultPushButton) {
      const bool isDefault = control.kind == ControlKind::DefaultPushButton;
      KeepPushButtonRole(controls_[i], isDefault);
      if (isDefault) defaultId = control.id;
    } else if (control.kind == ControlKind::Icon && SendMessageA(controls_[i], STM_GETICON, 0, 0) == 0) {
      throw CResourceException("the icon resource is missing");
    }
  }
  // The dialog manager looked for its default button while the buttons
  // still answered as plain buttons, and found none.
  if (defaultId != 0) SendMessageA(hwnd_, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
}

void Win32DialogWindow::Keep(std::exception_ptr failure) noexcept {
  if (!failure_) failure_ = failure;
  running_ = false;
}

void Win32DialogWindow::RethrowKept() {
  if (failure_) {
    std::exception_ptr failure = failure_;
    failure_ = nullptr;
    std::rethrow_exception(failure);
  }
}

INT_PTR CALLBACK Win32DialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32DialogWindow* window = nullptr;
  if (message == WM_INITDIALOG) {
    window = reinterpret_cast<Win32DialogWindow*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    window->hwnd_ = hwnd;
  } else {
    window = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (window == nullptr) return FALSE;
  if (message == WM_DRAWITEM) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item.CtlType != ODT_BUTTON || GetPropA(item.hwndItem, kPushProcProperty) == nullptr) return FALSE;
    try {
      DrawPushButton(item);
    } catch (...) {
      window->Keep(std::current_exception());
    }
    return TRUE;
  }
  return window->HandleMessage(message, wParam);
}

INT_PTR Win32DialogWindow::HandleMessage(UINT message, WPARAM wParam) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        CollectControls();
        running_ = true;
        // TRUE has the dialog manager put the focus on the first tab stop.
        return site_.InitDialog(*this) ? TRUE : FALSE;
      case WM_COMMAND: {
        const auto code = static_cast<std::uint16_t>(HIWORD(wParam));
        // A field's text changed by anyone but SetItemText (the person
        // typing, pasting, undoing) is no longer the one written last.
        if (code == Notify::kChange && static_cast<int>(LOWORD(wParam)) != writing_) shown_.erase(LOWORD(wParam));
        // Escape, the close box and Alt+F4 arrive here as IDCANCEL, Enter as
        // the default button, both with the clicked code.
        if (!detached_ && (code == Notify::kChange || code == Notify::kClicked)) {
          site_.Command(static_cast<int>(LOWORD(wParam)), code);
        }
        return TRUE;
      }
      case WM_HELP:
        // F1 asks for help; the program has none to give.
        return TRUE;
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORMSGBOX: return static_cast<INT_PTR>(DialogColourAnswer(message, reinterpret_cast<HDC>(wParam)));
      default: return FALSE;
    }
  } catch (...) {
    Keep(std::current_exception());
    return FALSE;
  }
}

}  // namespace kadenzo::win32
