#include "framework/win_app.h"

#include <exception>

#include "framework/backend.h"

namespace kadenzo {

namespace {
CWinApp* g_application = nullptr;
}  // namespace

CWinApp::CWinApp(const ResourceTable& resources) noexcept : resources_(resources) {
  g_application = this;
}

CWinApp::~CWinApp() {
  if (g_application == this) g_application = nullptr;
}

CWinApp* CWinApp::Get() noexcept {
  return g_application;
}

void CWinApp::SetDialogBkColor(Colour background, Colour text) {
  backend::SetDialogColours(background, text);
}

int AfxMessageBox(std::string_view text, unsigned type) {
  const CWinApp* app = CWinApp::Get();
  return backend::MessageBox(text, app != nullptr ? std::string_view(app->GetAppTitle()) : std::string_view(), type);
}

int AfxWinMain(int argc, char** argv) {
  CWinApp* app = CWinApp::Get();
  static constexpr ResourceTable kNoResources{};
  backend::Initialise(argc > 0 && argv[0] != nullptr ? argv[0] : "kadenzo",
                      app != nullptr ? app->resources_ : kNoResources);
  if (app == nullptr) return 0;
  app->title_ = backend::LoadString(kAppTitleStringId).value_or(backend::ModuleBaseName());
  // The program ends when its initialisation returns, however the dialogs
  // ended: no main window was ever registered to keep it running.
  app->InitInstance();
  return 0;
}

}  // namespace kadenzo
