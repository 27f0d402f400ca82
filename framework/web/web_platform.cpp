#include "framework/web/web_platform.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "framework/backend.h"
#include "framework/binding.h"
#include "framework/exceptions.h"
#include "framework/web/web_dialog.h"
#include "framework/web/web_dom.h"

namespace kadenzo::web {

namespace {

const ResourceTable* g_resources = nullptr;
std::string g_programName;
std::vector<WebDialogWindow*> g_running;  // innermost last

std::string CssColour(Colour colour) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "#%02x%02x%02x", RedOf(colour), GreenOf(colour), BlueOf(colour));
  return text.data();
}

// Runs a window modally over its owner, which takes no input meanwhile and
// has the focus back where it was afterwards.
int RunOver(WebDialogWindow& window, WebDialogWindow* owner, DialogSite& site, bool listed) {
  if (owner != nullptr) owner->SetBlocked(true);
  if (listed) g_running.push_back(&window);

  struct Cleanup {
    WebDialogWindow& window;
    WebDialogWindow* owner;
    DialogSite& site;
    ~Cleanup() {
      std::erase(g_running, &window);
      if (owner != nullptr) {
        owner->SetBlocked(false);
        owner->Activate();
      }
      site.Detach();
    }
  } cleanup{window, owner, site};

  const bool focusFirst = site.InitDialog(window);
  window.Show();
  if (focusFirst) window.FocusFirstTabStop();
  return window.RunModalLoop();
}

// A message box ends on its OK button, Enter, Escape or its close box.
class MessageBoxSite final : public DialogSite {
 public:
  bool InitDialog(DialogWindow& window) override {
    window_ = &window;
    return true;
  }
  void Command(int id, std::uint16_t code) override {
    if (code == Notify::kClicked && (id == kIdOk || id == kIdCancel) && window_ != nullptr)
      window_->EndModalLoop(kIdOk);
  }
  void Detach() override { window_ = nullptr; }

 private:
  DialogWindow* window_ = nullptr;
};

}  // namespace

const ResourceTable& Resources() {
  static constexpr ResourceTable kNone{};
  return g_resources != nullptr ? *g_resources : kNone;
}

const std::vector<WebDialogWindow*>& RunningDialogs() {
  return g_running;
}

}  // namespace kadenzo::web

namespace kadenzo::backend {

using web::WebDialogWindow;

void Initialise(const char* programName, const ResourceTable& resources) {
  web::g_resources = &resources;
  web::g_programName = programName != nullptr ? programName : "";
}

int RunModal(const DialogTemplate& dialog, DialogWindow* owner, DialogSite& site) {
  auto* ownerWindow = dynamic_cast<WebDialogWindow*>(owner);
  WebDialogWindow window(dialog, site);
  return web::RunOver(window, ownerWindow, site, true);
}

DialogWindow* ActiveWindow() {
  return web::g_running.empty() ? nullptr : web::g_running.back();
}

ScreenRect DesktopRect() {
  std::array<int, 4> rect{};
  kz_desktop_rect(rect.data());
  return {rect[0], rect[1], rect[2], rect[3]};
}

int MessageBox(std::string_view text, std::string_view caption, unsigned) {
  // A box sized to its text in the dialogs' font, with OK beneath it.
  constexpr std::string_view kFont = "MS Sans Serif";
  constexpr int kPoints = 8;
  const std::string fontName(kFont);
  const std::string message(text);
  const int units = kz_measure_units(fontName.c_str(), kPoints);
  const int unitX = std::max(1, units & 0xFFFF);
  const int textWidth = (kz_text_width(fontName.c_str(), kPoints, message.c_str()) * 4 + unitX - 1) / unitX;
  const int lines = 1 + static_cast<int>(std::count(message.begin(), message.end(), '\n'));
  const int width = std::max(textWidth + 24, 90);
  const int textHeight = 8 * lines;
  const ControlTemplate controls[] = {
      {ControlKind::Label, kStaticId, text, {12, 10, textWidth + 2, textHeight}, ControlFlag::kGroup},
      {ControlKind::DefaultPushButton,
       kIdOk,
       "OK",
       {(width - 50) / 2, 18 + textHeight, 50, 14},
       ControlFlag::kTabStop | ControlFlag::kGroup},
  };
  const DialogTemplate dialog{
      0, caption, width, 40 + textHeight, kFont, kPoints, DialogStyle::kPopup | DialogStyle::kCaption, controls};
  web::MessageBoxSite site;
  WebDialogWindow box(dialog, site, true);
  const ScreenRect own = box.GetWindowRect();
  const ScreenRect desktop = DesktopRect();
  const int left = desktop.left + (desktop.Width() - own.Width()) / 2;
  const int top = desktop.top + (desktop.Height() - own.Height()) / 2;
  box.MoveWindow({left, top, left + own.Width(), top + own.Height()}, false);
  auto* owner = web::g_running.empty() ? nullptr : web::g_running.back();
  return web::RunOver(box, owner, site, false);
}

void SetDialogColours(Colour face, Colour text) {
  kz_set_colours(web::CssColour(face).c_str(), web::CssColour(text).c_str());
}

std::optional<std::string> LoadString(unsigned id) {
  for (const StringResource& entry : web::Resources().strings) {
    if (entry.id == id) return std::string(entry.text);
  }
  return std::nullopt;
}

std::string ModuleBaseName() {
  std::string name = web::g_programName;
  if (const auto slash = name.find_last_of('/'); slash != std::string::npos) name.erase(0, slash + 1);
  if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace kadenzo::backend
