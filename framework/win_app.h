// The application object and the framework's entry. A program defines
// exactly one global object of a CWinApp subclass; the entry finds it and
// calls its initialisation, which runs the program's dialogs.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "framework/colour.h"

namespace kadenzo {

// The program's resources for platforms without a resource section; the
// Windows build compiles the same texts and pixels into real resources and
// reads those instead.
struct StringResource {
  unsigned id;
  std::string_view text;
};

struct IconResource {
  int id;
  const char* const* xpm;  // the icon's pixels as XPM rows
};

struct ResourceTable {
  std::span<const StringResource> strings;
  std::span<const IconResource> icons;
};

// The string resource holding the application's title.
inline constexpr unsigned kAppTitleStringId = 57344;

class CWinApp {
 public:
  // The application hands the framework its resources, which must outlive it.
  explicit CWinApp(const ResourceTable& resources = {}) noexcept;
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Runs the program; the return value is whether initialisation succeeded.
  virtual bool InitInstance() = 0;

  // The caption of the program's message boxes.
  const std::string& GetAppTitle() const noexcept { return title_; }

  // Every dialog of the program, and its message boxes, from now on.
  void SetDialogBkColor(Colour background, Colour text);

  static CWinApp* Get() noexcept;

 private:
  friend int AfxWinMain(int argc, char** argv);
  const ResourceTable& resources_;
  std::string title_;
};

// A message box captioned with the application's title; type takes the
// backend::kMb* flags. Returns the button pressed.
int AfxMessageBox(std::string_view text, unsigned type);

// The framework's start-up: called by the platform's entry point. Ignores
// the arguments beyond the program's name and returns the exit code.
int AfxWinMain(int argc, char** argv);

}  // namespace kadenzo
