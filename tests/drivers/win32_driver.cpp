// The dialog driver on the Win32 backend. Keys and clicks are real input,
// injected with SendInput into the system's input queue, so that focus,
// modality, disabled windows and the dialog manager's keyboard handling
// decide who gets them, as for a person. Reading the windows' state is done
// on the program's own thread through a hidden window.
//
// "Returns once handled": input is handled in order, so after each action
// the driver injects a marker key that carries a sequence number, and waits
// until a message hook on the program's thread sees the program take that
// key from its queue. Whichever loop is pumping then, the program's or one
// of a nested modal dialog or message box, has handled everything before it.
// A ping posted to the hidden window then flushes what the handling posted.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "framework/win32/win32_api.h"
#include "framework/win32/win32_dialog.h"
#include "framework/win_app.h"
#include "tests/drivers/in_process.h"

namespace kadenzo::testing_support {

namespace {

using namespace std::chrono_literals;
using win32::RunningDialogs;
using win32::Win32DialogWindow;

// A key no keyboard has: the program's dialogs ignore it, and the hook
// turns it into WM_NULL before anyone sees it.
constexpr WORD kMarkerKey = 0x88;
constexpr UINT kRunMessage = WM_APP + 1;
constexpr char kPumpClass[] = "KadenzoDriverPump";
// Emulated 32-bit code is slow: patience before an action counts as lost.
constexpr auto kPatience = 60s;

std::atomic<ULONG_PTR> g_markerTaken = 0;
// Mouse and keyboard input are not taken from the queue in the order they
// were injected: a click is known to be taken when its button release,
// which carries a sequence number of its own, is.
std::atomic<ULONG_PTR> g_releaseTaken = 0;
HHOOK g_hook = nullptr;

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == kMarkerKey) {
      if (msg->message == WM_KEYUP) g_markerTaken = static_cast<ULONG_PTR>(GetMessageExtraInfo());
      msg->message = WM_NULL;
    } else if (msg->message == WM_LBUTTONUP || msg->message == WM_NCLBUTTONUP) {
      g_releaseTaken = static_cast<ULONG_PTR>(GetMessageExtraInfo());
    }
  }
  return CallNextHookEx(g_hook, code, wParam, lParam);
}

// Runs the functions posted to it, on the program's thread, from inside
// whatever message loop is running there.
LRESULT CALLBACK PumpProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunMessage) {
    std::unique_ptr<std::function<void()>> function(reinterpret_cast<std::function<void()>*>(lParam));
    (*function)();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
  return text;
}

std::string ClassName(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// What a static control shows: "&&" is one ampersand.
std::string ShownLabel(std::string text) {
  for (std::size_t at = text.find("&&"); at != std::string::npos; at = text.find("&&", at + 1)) text.erase(at, 1);
  return text;
}

Win32DialogWindow& ActiveDialog() {
  if (RunningDialogs().empty()) throw std::runtime_error("no dialog is open");
  return *RunningDialogs().back();
}

Win32DialogWindow& DialogByCaption(std::string_view caption) {
  for (Win32DialogWindow* dialog : RunningDialogs()) {
    if (WindowText(dialog->Handle()) == caption) return *dialog;
  }
  throw std::runtime_error("no open dialog with that caption: " + std::string(caption));
}

// The program's message box: a system dialog of this thread that is none of
// the framework's.
BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM found) {
  if (!IsWindowVisible(hwnd) || ClassName(hwnd) != "#32770") return TRUE;
  for (Win32DialogWindow* dialog : RunningDialogs()) {
    if (dialog->Handle() == hwnd) return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

HWND OpenMessageBox() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindMessageBox, reinterpret_cast<LPARAM>(&found));
  return found;
}

POINT CentreOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The close button in a window's caption, found as the system finds it.
POINT CloseBoxOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const int captionMiddle = rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  int right = -1;
  for (int x = rect.right - 1; x > rect.left; --x) {
    const LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, captionMiddle));
    if (hit == HTCLOSE && right < 0) right = x;
    if (hit != HTCLOSE && right >= 0) return {(x + 1 + right) / 2, captionMiddle};
  }
  throw std::runtime_error("the window has no close box");
}

Colour ToColour(COLORREF colour) {
  return Rgb(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// Copies a window's client area as painted into 32-bit pixels, top row first.
std::vector<COLORREF> ClientPixels(HWND hwnd, int& width, int& height) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT client{};
  GetClientRect(hwnd, &client);
  width = client.right;
  height = client.bottom;
  std::vector<COLORREF> pixels;
  if (width <= 0 || height <= 0) return pixels;
  const HDC windowDc = GetDC(hwnd);
  const HDC memoryDc = CreateCompatibleDC(windowDc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = SelectObject(memoryDc, bitmap);
  BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* rgbQuads = static_cast<const std::uint32_t*>(bits);
  pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int i = 0; i < width * height; ++i) {
    const std::uint32_t quad = rgbQuads[i];  // 0x00RRGGBB
    pixels.push_back(RGB((quad >> 16) & 0xFF, (quad >> 8) & 0xFF, quad & 0xFF));
  }
  SelectObject(memoryDc, previous);
  DeleteObject(bitmap);
  DeleteDC(memoryDc);
  ReleaseDC(hwnd, windowDc);
  return pixels;
}

INPUT KeyInput(WORD vk, bool up, ULONG_PTR extra = 0) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  switch (vk) {
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_INSERT:
    case VK_PRIOR:
    case VK_NEXT: input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY; break;
    default: break;
  }
  if (up) input.ki.dwFlags |= KEYEVENTF_KEYUP;
  input.ki.dwExtraInfo = extra;
  return input;
}

// One key press with modifiers held around it.
std::vector<INPUT> Chord(std::vector<WORD> modifiers, WORD vk) {
  std::vector<INPUT> inputs;
  for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, false));
  inputs.push_back(KeyInput(vk, false));
  inputs.push_back(KeyInput(vk, true));
  std::reverse(modifiers.begin(), modifiers.end());
  for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, true));
  return inputs;
}

std::vector<INPUT> ChordOf(Key key) {
  switch (key) {
    case Key::Tab: return Chord({}, VK_TAB);
    case Key::ShiftTab: return Chord({VK_SHIFT}, VK_TAB);
    case Key::Enter: return Chord({}, VK_RETURN);
    case Key::Escape: return Chord({}, VK_ESCAPE);
    case Key::F1: return Chord({}, VK_F1);
    case Key::Backspace: return Chord({}, VK_BACK);
    case Key::Delete: return Chord({}, VK_DELETE);
    case Key::Home: return Chord({}, VK_HOME);
    case Key::End: return Chord({}, VK_END);
    case Key::Left: return Chord({}, VK_LEFT);
    case Key::Right: return Chord({}, VK_RIGHT);
    case Key::Up: return Chord({}, VK_UP);
    case Key::Down: return Chord({}, VK_DOWN);
    case Key::ShiftEnd: return Chord({VK_SHIFT}, VK_END);
    case Key::ShiftHome: return Chord({VK_SHIFT}, VK_HOME);
    case Key::Copy: return Chord({VK_CONTROL}, 'C');
    case Key::Paste: return Chord({VK_CONTROL}, 'V');
    case Key::Cut: return Chord({VK_CONTROL}, 'X');
    case Key::AltF4: return Chord({VK_MENU}, VK_F4);
  }
  throw std::logic_error("unknown key");
}

// The keys a person presses for one character on the US layout.
std::vector<INPUT> CharacterInput(char c) {
  const SHORT scan = VkKeyScanA(c);
  if (scan == -1) {
    std::vector<INPUT> inputs(2);
    for (int i = 0; i < 2; ++i) {
      inputs[static_cast<std::size_t>(i)].type = INPUT_KEYBOARD;
      inputs[static_cast<std::size_t>(i)].ki.wScan = static_cast<unsigned char>(c);
      inputs[static_cast<std::size_t>(i)].ki.dwFlags = KEYEVENTF_UNICODE | (i == 1 ? KEYEVENTF_KEYUP : 0);
    }
    return inputs;
  }
  std::vector<WORD> modifiers;
  const int shiftState = (scan >> 8) & 0xFF;
  if ((shiftState & 1) != 0) modifiers.push_back(VK_SHIFT);
  if ((shiftState & 2) != 0) modifiers.push_back(VK_CONTROL);
  if ((shiftState & 4) != 0) modifiers.push_back(VK_MENU);
  return Chord(modifiers, static_cast<WORD>(scan & 0xFF));
}

void Inject(std::vector<INPUT> inputs) {
  if (inputs.empty()) return;
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size()) throw std::runtime_error("SendInput refused the input");
}

class Win32Driver final : public InProcessDriver {
 public:
  Win32Driver(HWND pump, const std::atomic<bool>& ended) : pump_(pump), ended_(ended) {}

  void Type(std::string_view text) override {
    std::vector<INPUT> inputs;
    for (char c : text) {
      const std::vector<INPUT> character = CharacterInput(c);
      inputs.insert(inputs.end(), character.begin(), character.end());
    }
    Input(std::move(inputs));
  }

  void Press(Key key) override { Input(ChordOf(key)); }

  void Click(int id) override {
    ClickAt(Query([id] { return CentreOf(ActiveDialog().Control(id)); }));
  }

  void ClickIn(std::string_view caption, int id) override {
    const std::string name(caption);
    const bool active = Query([name] { return &DialogByCaption(name) == &ActiveDialog(); });
    if (active) {
      Click(id);
      return;
    }
    // Another dialog may cover the spot on the screen; the click is meant
    // for the named one, so it is delivered there as the system would
    // deliver it: to the control under the point, and not at all when that
    // control or its dialog is disabled, as an owner is while its modal box
    // is open.
    Query([name, id] {
      const Win32DialogWindow& dialog = DialogByCaption(name);
      POINT point = CentreOf(dialog.Control(id));
      ScreenToClient(dialog.Handle(), &point);
      const HWND target = ChildWindowFromPointEx(dialog.Handle(), point, CWP_SKIPINVISIBLE);
      for (HWND window = target; window != nullptr; window = GetParent(window)) {
        if (!IsWindowEnabled(window)) return 0;
        if (window == dialog.Handle()) break;
      }
      if (target == nullptr) return 0;
      MapWindowPoints(dialog.Handle(), target, &point, 1);
      const LPARAM at = MAKELPARAM(point.x, point.y);
      PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageA(target, WM_LBUTTONUP, 0, at);
      return 0;
    });
    Sync();
  }

  void CloseBox() override {
    ClickAt(Query([] { return CloseBoxOf(ActiveDialog().Handle()); }));
  }

  void SetClipboard(std::string_view text) override {
    const std::string value(text);
    Query([this, value] {
      OpenClipboardPatiently();
      EmptyClipboard();
      const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, value.size() + 1);
      if (memory != nullptr) {
        auto* bytes = static_cast<char*>(GlobalLock(memory));
        std::copy(value.begin(), value.end(), bytes);
        bytes[value.size()] = '\0';
        GlobalUnlock(memory);
        if (SetClipboardData(CF_TEXT, memory) == nullptr) GlobalFree(memory);
      }
      CloseClipboard();
      return 0;
    });
  }

  std::string Clipboard() override {
    return Query([this] {
      OpenClipboardPatiently();
      std::string text;
      if (const HANDLE memory = GetClipboardData(CF_TEXT); memory != nullptr) {
        if (const auto* bytes = static_cast<const char*>(GlobalLock(memory)); bytes != nullptr) {
          text = bytes;
          GlobalUnlock(memory);
        }
      }
      CloseClipboard();
      return text;
    });
  }

  bool HasEnded() override {
    if (ended_) return true;
    try {
      return Query([] { return RunningDialogs().empty() && OpenMessageBox() == nullptr; });
    } catch (const std::runtime_error&) {
      return ended_.load();
    }
  }

  std::string ActiveCaption() override {
    return Query([] { return RunningDialogs().empty() ? std::string() : WindowText(ActiveDialog().Handle()); });
  }

  std::string MessageBoxCaption() override {
    return Query([] {
      const HWND box = OpenMessageBox();
      return box != nullptr ? WindowText(box) : std::string();
    });
  }

  std::string MessageBoxText() override {
    return Query([] {
      const HWND box = OpenMessageBox();
      if (box == nullptr) return std::string();
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) != "Static" || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        std::string text = WindowText(child);
        if (!text.empty()) return ShownLabel(text);
      }
      return std::string();
    });
  }

  std::vector<std::string> OpenDialogs() override {
    return Query([] {
      std::vector<std::string> captions;
      for (Win32DialogWindow* dialog : RunningDialogs()) captions.push_back(WindowText(dialog->Handle()));
      return captions;
    });
  }

  std::string Text(int id) override {
    return Query([id] { return ActiveDialog().GetItemText(id); });
  }

  bool IsChecked(int id) override {
    return Query([id] { return ActiveDialog().IsChecked(id); });
  }

  int FocusedId() override {
    return Query([] {
      const HWND focus = GetFocus();
      if (focus == nullptr) return 0;
      const int id = GetDlgCtrlID(focus);
      return id == 0xFFFF ? 0 : id;
    });
  }

  std::vector<std::string> LabelTexts() override {
    return Query([] {
      const Win32DialogWindow& dialog = ActiveDialog();
      std::vector<std::string> texts;
      const auto controls = dialog.Template().controls;
      for (std::size_t i = 0; i < controls.size() && i < dialog.Controls().size(); ++i) {
        if (controls[i].kind != ControlKind::Label) continue;
        std::string text = ShownLabel(WindowText(dialog.Controls()[i]));
        if (!text.empty()) texts.push_back(std::move(text));
      }
      return texts;
    });
  }

  bool IsDialogEnabled(std::string_view caption) override {
    const std::string name(caption);
    return Query([name] { return DialogByCaption(name).IsEnabled(); });
  }

  ScreenRect DialogRect(std::string_view caption) override {
    const std::string name(caption);
    return Query([name] { return DialogByCaption(name).GetWindowRect(); });
  }

  ScreenRect DesktopRect() override {
    return Query([] { return backend::DesktopRect(); });
  }

  Colour FaceColour() override {
    return Query([] {
      const HWND dialog = ActiveDialog().Handle();
      int width = 0, height = 0;
      const std::vector<COLORREF> pixels = ClientPixels(dialog, width, height);
      // The first point a few pixels clear of every control.
      std::vector<RECT> controls;
      for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        InflateRect(&rect, 3, 3);
        controls.push_back(rect);
      }
      for (int y = 0; y < height; y += 2) {
        for (int x = 0; x < width; x += 2) {
          const POINT point{x, y};
          if (std::none_of(controls.begin(), controls.end(), [&](const RECT& r) { return PtInRect(&r, point); })) {
            return ToColour(pixels[static_cast<std::size_t>(y * width + x)]);
          }
        }
      }
      throw std::runtime_error("the dialog has no free face");
    });
  }

  Colour BackgroundColour(int id) override {
    return Query([id] {
      const HWND control = ActiveDialog().Control(id);
      int width = 0, height = 0;
      const std::vector<COLORREF> pixels = ClientPixels(control, width, height);
      // The colour most of the control shows, a few pixels in from its edge:
      // its background, whatever text it holds.
      std::map<COLORREF, int> tally;
      for (int y = 3; y < height - 3; ++y) {
        for (int x = 3; x < width - 3; ++x) ++tally[pixels[static_cast<std::size_t>(y * width + x)]];
      }
      if (tally.empty()) throw std::runtime_error("the control is too small to sample");
      const auto most = std::max_element(tally.begin(), tally.end(),
                                         [](const auto& a, const auto& b) { return a.second < b.second; });
      return ToColour(most->first);
    });
  }

  Colour TextColour(int id) override {
    return Query([id] {
      const HWND control = ActiveDialog().Control(id);
      int width = 0, height = 0;
      const std::vector<COLORREF> pixels = ClientPixels(control, width, height);
      // Inside a push button's edges, default frame and focus rectangle.
      constexpr int kInset = 5;
      if (width <= 2 * kInset || height <= 2 * kInset) throw std::runtime_error("the control is too small to sample");
      COLORREF darkest = pixels[static_cast<std::size_t>(kInset * width + kInset)];
      const auto lightness = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
      for (int y = kInset; y < height - kInset; ++y) {
        for (int x = kInset; x < width - kInset; ++x) {
          const COLORREF pixel = pixels[static_cast<std::size_t>(y * width + x)];
          if (lightness(pixel) < lightness(darkest)) darkest = pixel;
        }
      }
      return ToColour(darkest);
    });
  }

  // Runs f on the program's thread and returns its result.
  template <class F>
  auto Query(F f) -> decltype(f()) {
    using Result = decltype(f());
    if (ended_) throw std::runtime_error("the program has ended");
    auto promise = std::make_shared<std::promise<Result>>();
    auto future = promise->get_future();
    Post([f, promise] {
      try {
        promise->set_value(f());
      } catch (...) {
        promise->set_exception(std::current_exception());
      }
    });
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (future.wait_for(5ms) != std::future_status::ready) {
      if (ended_) throw std::runtime_error("the program has ended");
      if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the program does not answer");
    }
    return future.get();
  }

  // Waits until the program has handled all input so far and what that
  // input posted.
  void Sync() {
    const ULONG_PTR marker = ++markers_;
    Inject({KeyInput(kMarkerKey, false, marker), KeyInput(kMarkerKey, true, marker)});
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (g_markerTaken.load() != marker) {
      if (ended_) return;
      if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the program took no input");
      std::this_thread::sleep_for(2ms);
    }
    Ping();
  }

  void Ping() {
    try {
      Query([] { return 0; });
    } catch (const std::runtime_error&) {
      if (!ended_) throw;
    }
  }

  void Post(std::function<void()> function) {
    auto* posted = new std::function<void()>(std::move(function));
    if (!PostMessageA(pump_, kRunMessage, 0, reinterpret_cast<LPARAM>(posted))) {
      delete posted;
      throw std::runtime_error("the program's thread cannot be reached");
    }
  }

  void CloseInnermost() override {
    Post([] {
      if (const HWND box = OpenMessageBox(); box != nullptr) {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      } else if (!RunningDialogs().empty()) {
        PostMessageA(RunningDialogs().back()->Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
    });
    Ping();
  }

 private:
  // Input goes to the foreground window, as a person's does: the
  // program's active window is brought there first if something else is.
  void Input(std::vector<INPUT> inputs) {
    BringForward();
    Inject(std::move(inputs));
    Sync();
  }

  void BringForward() {
    if (ended_) throw std::runtime_error("the program has ended");
    Query([] {
      HWND target = OpenMessageBox();
      if (target == nullptr && !RunningDialogs().empty()) target = RunningDialogs().back()->Handle();
      if (target != nullptr && GetForegroundWindow() != target) SetForegroundWindow(target);
      return 0;
    });
  }

  void ClickAt(POINT point) {
    WaitOutDoubleClick(point);
    Query([point] { return SetCursorPos(point.x, point.y); });
    const ULONG_PTR release = ++markers_;
    INPUT down{}, up{};
    down.type = up.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    up.mi.dwExtraInfo = release;
    BringForward();
    Inject({down, up});
    // A click on a disabled window is swallowed by the system: no release
    // ever arrives, and after a while the driver stops waiting for it.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (g_releaseTaken.load() != release && !ended_ && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(2ms);
    }
    Sync();
    lastClick_ = point;
    lastClickTime_ = std::chrono::steady_clock::now();
  }

  // Two clicks at one spot within the double-click time are one double
  // click, and an edit field answers that by selecting a word, not by
  // taking the focus. Each click of the driver is a click of its own, as a
  // person's separate clicks are, so it waits that time out first.
  void WaitOutDoubleClick(POINT point) {
    const int width = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
    const int height = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    if (std::abs(point.x - lastClick_.x) > width || std::abs(point.y - lastClick_.y) > height) return;
    std::this_thread::sleep_until(lastClickTime_ + std::chrono::milliseconds(GetDoubleClickTime()) + 50ms);
  }

  void OpenClipboardPatiently() {
    for (int attempt = 0; !OpenClipboard(pump_); ++attempt) {
      if (attempt == 100) throw std::runtime_error("the clipboard stays busy");
      Sleep(10);
    }
  }

  HWND pump_;
  const std::atomic<bool>& ended_;
  ULONG_PTR markers_ = 0;
  POINT lastClick_{};
  std::chrono::steady_clock::time_point lastClickTime_;  // long past before the first click
};

HWND MakePump() {
  static const ATOM pumpClass = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &PumpProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kPumpClass;
    return RegisterClassA(&windowClass);
  }();
  if (pumpClass == 0) throw std::runtime_error("the driver's window class cannot be registered");
  const HWND pump =
      CreateWindowExA(0, kPumpClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (pump == nullptr) throw std::runtime_error("the driver's window cannot be made");
  return pump;
}

// Input left in the queue by an earlier run (a key released after its
// program ended) must not reach this one.
void DropStaleInput() {
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
}

}  // namespace

ForeignColourScheme::ForeignColourScheme() {
  // Windows keeps no dialog colour of its own: dialogs take the 3-D face.
  static constexpr INT kElements[] = {COLOR_3DFACE, COLOR_BTNTEXT, COLOR_WINDOWTEXT, COLOR_WINDOW, COLOR_HIGHLIGHT};
  const COLORREF foreign[] = {kButtonFace, kButtonText, kButtonText, kField, kHighlight};
  std::vector<COLORREF> saved;
  for (INT element : kElements) saved.push_back(GetSysColor(element));
  if (!SetSysColors(std::size(kElements), kElements, foreign)) throw std::runtime_error("the scheme cannot be changed");
  restore_ = [saved] { SetSysColors(std::size(kElements), kElements, saved.data()); };
}

ForeignColourScheme::~ForeignColourScheme() {
  restore_();
}

std::unique_ptr<InProcessBackend> MakeBackend() {
  // The driver reaches the program's thread through a message-only window
  // of its own and sees each input arrive through a message hook there.
  class Win32Backend final : public InProcessBackend {
   public:
    Win32Backend() : pump_(MakePump()) {
      g_hook = SetWindowsHookExA(WH_GETMESSAGE, &GetMessageHook, nullptr, GetCurrentThreadId());
      DropStaleInput();
    }
    ~Win32Backend() override {
      // Run what the script posted after the program ended: the functions
      // own their promises, which nobody waits for any more.
      MSG msg{};
      while (PeekMessageA(&msg, pump_, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      if (g_hook != nullptr) UnhookWindowsHookEx(g_hook);
      g_hook = nullptr;
      DestroyWindow(pump_);
    }
    std::string ProgramName() override {
      char path[MAX_PATH] = {};
      GetModuleFileNameA(nullptr, path, MAX_PATH);
      return path;
    }
    std::unique_ptr<InProcessDriver> MakeDriver(const std::atomic<bool>& ended) override {
      return std::make_unique<Win32Driver>(pump_, ended);
    }

   private:
    HWND pump_;
  };
  return std::make_unique<Win32Backend>();
}

}  // namespace kadenzo::testing_support
