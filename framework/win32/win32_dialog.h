// A dialog window of the Win32 backend: a real dialog box made by the
// dialog manager from an in-memory template, run by our own modal loop.
#pragma once

#include <exception>
#include <map>
#include <string>
#include <vector>

#include "framework/backend.h"
#include "framework/win32/win32_api.h"

namespace kadenzo::win32 {

class Win32DialogWindow final : public DialogWindow {
 public:
  Win32DialogWindow(const DialogTemplate& dialog, DialogSite& site) noexcept : template_(dialog), site_(site) {}
  Win32DialogWindow(const Win32DialogWindow&) = delete;
  Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;

  std::string GetItemText(int id) const override;
  void SetItemText(int id, std::string_view text) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  ScreenRect GetWindowRect() const override;
  void MoveWindow(const ScreenRect& rect, bool repaint) override;
  bool IsEnabled() const override;
  void Activate() override;
  // Annotates the control's window for screen readers (win32_accessibility.cpp).
  void SetAccessibleName(int id, std::string_view name, std::string_view description) override;
  void EndModalLoop(int result) override;

  HWND Handle() const noexcept { return hwnd_; }
  const DialogTemplate& Template() const noexcept { return template_; }
  // The control windows in template order, so that controls without an id
  // of their own (labels, frames, the icon) can be told apart.
  const std::vector<HWND>& Controls() const noexcept { return controls_; }
  // The control with this id; a missing id is a CResourceException.
  HWND Control(int id) const;

  // Creates the window, owned by owner (may be null); throws
  // CResourceException when it cannot be made.
  void Create(HWND owner);
  // Pumps messages until EndModalLoop; returns its result.
  int RunModalLoop();
  // Hides and destroys the window; the site hears of it first.
  void Destroy() noexcept;

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  INT_PTR HandleMessage(UINT message, WPARAM wParam);
  void CollectControls();
  // A failure inside a message handler cannot unwind through the system's
  // frames: it is kept and rethrown once the system has returned to us.
  void Keep(std::exception_ptr failure) noexcept;
  void RethrowKept();

  const DialogTemplate& template_;
  DialogSite& site_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> controls_;
  // The text SetItemText last gave each control, while it still shows it,
  // and the control it is writing now, whose change report is its own.
  std::map<int, std::string> shown_;
  int writing_ = 0;
  bool detached_ = false;
  bool running_ = false;
  int result_ = -1;
  std::exception_ptr failure_;
};

// The dialogs whose modal loops are running, outermost first.
const std::vector<Win32DialogWindow*>& RunningDialogs() noexcept;

// The answer every dialog and message box gives to the colour messages of
// its face, labels, buttons and read-only fields; 0 before the program has
// chosen its colours.
LRESULT DialogColourAnswer(UINT message, HDC dc) noexcept;

// The in-memory DLGTEMPLATE the dialog manager builds a window from, as
// words: every part of it is word-aligned, and items are padded to double
// words.
std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialog);

}  // namespace kadenzo::win32
