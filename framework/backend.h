// What the framework needs from a platform. Each backend (Qt, Win32)
// implements these; nothing above the framework sees them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "framework/colour.h"
#include "framework/dialog_template.h"

namespace kadenzo {

// The commands every dialog has, and what a message box's OK returns.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// A rectangle on the screen in pixels, right and bottom exclusive.
struct ScreenRect {
  int left, top, right, bottom;
  int Width() const noexcept { return right - left; }
  int Height() const noexcept { return bottom - top; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// One live dialog window made from a template.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;

  // Control access by id; a missing id is a CResourceException.
  virtual std::string GetItemText(int id) const = 0;
  virtual void SetItemText(int id, std::string_view text) = 0;
  virtual bool IsChecked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;

  // The window's frame on the screen, and moving it there.
  virtual ScreenRect GetWindowRect() const = 0;
  virtual void MoveWindow(const ScreenRect& rect, bool repaint) = 0;

  // Whether the window takes input: not while a dialog it owns runs.
  virtual bool IsEnabled() const = 0;
  virtual void Activate() = 0;

  // What a screen reader says for a control: its name, and a description
  // that tells apart controls with the same name. Platforms without such
  // properties ignore it.
  virtual void SetAccessibleName(int /*id*/, std::string_view /*name*/, std::string_view /*description*/) {}

  // Ends the modal loop running this window once the current notification
  // has been handled.
  virtual void EndModalLoop(int result) = 0;
};

// What a dialog window calls back into.
class DialogSite {
 public:
  virtual ~DialogSite() = default;
  // The window exists, hidden; returns true to have the focus put on the
  // first tab stop.
  virtual bool InitDialog(DialogWindow& window) = 0;
  virtual void Command(int id, std::uint16_t code) = 0;
  // The window is about to be destroyed.
  virtual void Detach() = 0;
};

struct ResourceTable;

namespace backend {

// Once, before anything else: the program's name for the platform, and the
// application's resources for a platform that has no resource section of
// its own. The table must outlive the program's dialogs.
void Initialise(const char* programName, const ResourceTable& resources);

// Creates the dialog from its template, owned by owner (which may be null),
// runs it modally and returns the result given to EndModalLoop. Throws
// CResourceException when the window cannot be made.
int RunModal(const DialogTemplate& dialog, DialogWindow* owner, DialogSite& site);

// The active dialog of this program, if any.
DialogWindow* ActiveWindow();

ScreenRect DesktopRect();

// Message box type flags and results, with their Windows values.
inline constexpr unsigned kMbOk = 0x0000;
inline constexpr unsigned kMbIconStop = 0x0010;
inline constexpr unsigned kMbIconExclamation = 0x0030;
inline constexpr unsigned kMbSystemModal = 0x1000;

int MessageBox(std::string_view text, std::string_view caption, unsigned type);

// From then on every dialog and message box paints its face, labels and
// buttons (and read-only edits) in these colours.
void SetDialogColours(Colour face, Colour text);

std::optional<std::string> LoadString(unsigned id);

// The program file's name without its directory and extension.
std::string ModuleBaseName();

}  // namespace backend
}  // namespace kadenzo
