// Spoken names for controls whose own text does not name them (edit fields
// have none), given through the system's dynamic annotation: the control
// window stays as the template made it, and a screen reader asking its
// accessible object for a name or description gets ours.
//
// The annotation service is COM's, and bringing COM into the process costs
// every start several megabytes and a good part of the time to the window,
// though most starts have no screen reader to hear the names. So a name is
// only kept with its control at first, and the dialog's names are handed to
// the service when some program first asks one of the named controls for
// its accessible object (WM_GETOBJECT), which every screen reader does
// before it reads a name. ole32.dll is loaded then, not at start.
#include <memory>
#include <string>

#include "framework/win32/win32_dialog.h"
// clang-format off
#include <ole2.h>
#include <oleacc.h>
// clang-format on

namespace kadenzo::win32 {

namespace {

std::wstring Wide(std::string_view text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// The annotation service, made once on first use. A system without it
// (or without COM) leaves the controls unnamed, as they would be anyway:
// a missing name is no reason to stop the program.
IAccPropServices* PropertyServices() {
  static IAccPropServices* const services = []() -> IAccPropServices* {
    const HMODULE ole32 = LoadLibraryA("ole32.dll");
    if (ole32 == nullptr) return nullptr;
    using CoInitializeFunction = HRESULT(WINAPI*)(LPVOID);
    using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    const auto coInitialize =
        reinterpret_cast<CoInitializeFunction>(reinterpret_cast<void*>(GetProcAddress(ole32, "CoInitialize")));
    const auto coCreateInstance =
        reinterpret_cast<CoCreateInstanceFunction>(reinterpret_cast<void*>(GetProcAddress(ole32, "CoCreateInstance")));
    if (coInitialize == nullptr || coCreateInstance == nullptr || FAILED(coInitialize(nullptr))) return nullptr;
    IAccPropServices* made = nullptr;
    if (FAILED(coCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&made))))
      return nullptr;
    return made;
  }();
  return services;
}

// What a named control keeps until the names are asked for, together with
// the window procedure that watches for the question. It hangs on the
// control as its user data, not as a window property: the procedure looks
// for it with every message the field gets, and Wine keeps properties in
// its server, a round trip each, where the user data is read in the process.
struct KeptName {
  std::wstring name;
  std::wstring description;
  WNDPROC original = nullptr;
  bool annotated = false;
};

LRESULT CALLBACK NamedControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

KeptName* KeptNameOf(HWND control) {
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC)) != &NamedControlProc) return nullptr;
  return reinterpret_cast<KeptName*>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

void Annotate(HWND control, KeptName& kept) {
  kept.annotated = true;
  IAccPropServices* services = PropertyServices();
  if (services == nullptr) return;
  services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, kept.name.c_str());
  services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                           kept.description.c_str());
}

// A reader that finds one field moves on to the others, so the question
// for one control names every control of its dialog.
void AnnotateDialogOf(HWND control) {
  const HWND dialog = GetParent(control);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (KeptName* kept = KeptNameOf(child); kept != nullptr && !kept->annotated) Annotate(child, *kept);
  }
}

LRESULT CALLBACK NamedControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* kept = reinterpret_cast<KeptName*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (kept == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  const WNDPROC original = kept->original;
  if (message == WM_GETOBJECT && !kept->annotated) {
    AnnotateDialogOf(hwnd);
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    delete kept;
  }
  return CallWindowProcA(original, hwnd, message, wParam, lParam);
}

}  // namespace

void Win32DialogWindow::SetAccessibleName(int id, std::string_view name, std::string_view description) {
  const HWND control = Control(id);
  if (KeptName* kept = KeptNameOf(control); kept != nullptr) {
    kept->name = Wide(name);
    kept->description = Wide(description);
    // Named already and asked already: the service hears the new name now.
    if (kept->annotated) Annotate(control, *kept);
    return;
  }
  auto kept = std::make_unique<KeptName>();
  kept->name = Wide(name);
  kept->description = Wide(description);
  kept->original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
  // The user data is the program's to use, but a control that holds some
  // already keeps it, and goes unnamed.
  if (kept->original == nullptr || GetWindowLongPtrA(control, GWLP_USERDATA) != 0) return;
  SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(kept.get()));
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NamedControlProc));
  kept.release();
}

}  // namespace kadenzo::win32
