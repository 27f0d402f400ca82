// The Win32 backend's program-wide part: start-up, the modal loop around
// each dialog, message boxes, the dialog colours and the resources.
#include <algorithm>
#include <string>

#include "framework/exceptions.h"
#include "framework/win32/win32_api.h"
#include "framework/win32/win32_dialog.h"

namespace kadenzo::win32 {

namespace {

std::vector<Win32DialogWindow*> g_running;  // innermost last
HBRUSH g_faceBrush = nullptr;
COLORREF g_faceColour = 0;
COLORREF g_textColour = 0;

// A message box is the system's dialog; it takes our colours through a
// window procedure put in front of its own as the box is created.
constexpr char kDialogClass[] = "#32770";
constexpr char kOriginalProcProperty[] = "KadenzoMessageBoxProc";
HHOOK g_creationHook = nullptr;
bool g_boxSubclassed = false;

LRESULT CALLBACK MessageBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOriginalProcProperty));
  // The box answers the colour messages as our dialogs do.
  if (const LRESULT colours = DialogColourAnswer(message, reinterpret_cast<HDC>(wParam)); colours != 0) return colours;
  if (message == WM_NCDESTROY && original != nullptr) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropA(hwnd, kOriginalProcProperty);
  }
  return original != nullptr ? CallWindowProcA(original, hwnd, message, wParam, lParam)
                             : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && !g_boxSubclassed) {
    const auto hwnd = reinterpret_cast<HWND>(wParam);
    char className[16] = {};
    if (GetClassNameA(hwnd, className, sizeof className) > 0 && std::string_view(className) == kDialogClass) {
      const LONG_PTR original = SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageBoxProc));
      SetPropA(hwnd, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
      g_boxSubclassed = true;
    }
  }
  return CallNextHookEx(g_creationHook, code, wParam, lParam);
}

std::string Terminated(std::string_view text) {
  return std::string(text);
}

}  // namespace

const std::vector<Win32DialogWindow*>& RunningDialogs() noexcept {
  return g_running;
}

LRESULT DialogColourAnswer(UINT message, HDC dc) noexcept {
  switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORMSGBOX:
      if (g_faceBrush == nullptr) return 0;
      SetBkColor(dc, g_faceColour);
      SetTextColor(dc, g_textColour);
      return reinterpret_cast<LRESULT>(g_faceBrush);
    default:
      // Editable fields and scroll bars keep the system's colours.
      return 0;
  }
}

}  // namespace kadenzo::win32

namespace kadenzo::backend {

using win32::Win32DialogWindow;

// The program's resources are in its resource section; the table is for
// platforms without one.
void Initialise(const char* /*programName*/, const ResourceTable& /*resources*/) {
  // No "insert a disk" or "file not found" boxes from the system: the
  // program reports its own failures.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

int RunModal(const DialogTemplate& dialog, DialogWindow* owner, DialogSite& site) {
  // The common controls are initialised once, as the first dialog is made.
  static const bool commonControls = (InitCommonControls(), true);
  (void)commonControls;
  auto* ownerWindow = dynamic_cast<Win32DialogWindow*>(owner);
  const HWND ownerHandle = ownerWindow != nullptr ? ownerWindow->Handle() : nullptr;
  Win32DialogWindow window(dialog, site);

  // As a classic framework's modal loop does: the owner is disabled before
  // the box exists, so that it never takes input meant for the box.
  const bool enableOwner = ownerHandle != nullptr && IsWindowEnabled(ownerHandle);
  if (enableOwner) EnableWindow(ownerHandle, FALSE);
  win32::g_running.push_back(&window);

  struct Cleanup {
    Win32DialogWindow& window;
    HWND owner;
    bool enableOwner;
    ~Cleanup() {
      const HWND hwnd = window.Handle();
      const bool wasActive = hwnd != nullptr && GetActiveWindow() == hwnd;
      // The owner is enabled before the box is hidden, so that the system
      // can hand the activation back to it.
      if (enableOwner) EnableWindow(owner, TRUE);
      if (hwnd != nullptr) {
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
      }
      if (owner != nullptr && wasActive) SetActiveWindow(owner);
      std::erase(win32::g_running, &window);
      window.Destroy();
    }
  } cleanup{window, ownerHandle, enableOwner};

  window.Create(ownerHandle);
  return window.RunModalLoop();
}

DialogWindow* ActiveWindow() {
  return win32::g_running.empty() ? nullptr : win32::g_running.back();
}

ScreenRect DesktopRect() {
  RECT rect{};
  if (!::GetWindowRect(GetDesktopWindow(), &rect)) throw CResourceException("the desktop has no rectangle");
  return {rect.left, rect.top, rect.right, rect.bottom};
}

int MessageBox(std::string_view text, std::string_view caption, unsigned type) {
  const HWND owner = win32::g_running.empty() ? nullptr : win32::g_running.back()->Handle();
  const std::string terminatedText = win32::Terminated(text);
  const std::string terminatedCaption = win32::Terminated(caption);

  // The hook sees only this thread's windows, and only until the box is up.
  const HHOOK previousHook = win32::g_creationHook;
  const bool previousSubclassed = win32::g_boxSubclassed;
  win32::g_boxSubclassed = false;
  win32::g_creationHook = SetWindowsHookExA(WH_CBT, &win32::CreationHook, nullptr, GetCurrentThreadId());
  const int result = MessageBoxA(owner, terminatedText.c_str(), terminatedCaption.c_str(), type);
  if (win32::g_creationHook != nullptr) UnhookWindowsHookEx(win32::g_creationHook);
  win32::g_creationHook = previousHook;
  win32::g_boxSubclassed = previousSubclassed;
  if (result == 0) throw CResourceException("the message box cannot be shown");
  return result;
}

void SetDialogColours(Colour face, Colour text) {
  const HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(face));
  if (brush == nullptr) throw CResourceException("the dialog brush cannot be made");
  if (win32::g_faceBrush != nullptr) DeleteObject(win32::g_faceBrush);
  win32::g_faceBrush = brush;
  win32::g_faceColour = static_cast<COLORREF>(face);
  win32::g_textColour = static_cast<COLORREF>(text);
}

std::optional<std::string> LoadString(unsigned id) {
  char buffer[256] = {};
  const int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, static_cast<int>(sizeof buffer));
  if (length <= 0) return std::nullopt;
  return std::string(buffer, static_cast<std::size_t>(length));
}

std::string ModuleBaseName() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, std::min<DWORD>(length, MAX_PATH));
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace kadenzo::backend
