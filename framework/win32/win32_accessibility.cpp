// Spoken names for controls whose own text does not name them (edit fields
// have none), given through the system's dynamic annotation: the control
// window stays as the template made it, and a screen reader asking its
// accessible object for a name or description gets ours.
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
  static IAccPropServices* const services = [] {
    IAccPropServices* made = nullptr;
    const HRESULT init = CoInitialize(nullptr);
    if (FAILED(init)) return made;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&made))))
      made = nullptr;
    return made;
  }();
  return services;
}

}  // namespace

void Win32DialogWindow::SetAccessibleName(int id, std::string_view name, std::string_view description) {
  const HWND control = Control(id);
  IAccPropServices* services = PropertyServices();
  if (services == nullptr) return;
  services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                           Wide(name).c_str());
  services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                           Wide(description).c_str());
}

}  // namespace kadenzo::win32
