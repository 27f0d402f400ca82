// A dialog window of the web backend: DOM elements laid out from a template,
// run by a modal loop that takes the page's events from a queue.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/backend.h"
#include "framework/dialog_keyboard.h"

namespace kadenzo::web {

// What the page reports, with the kinds web_dom.js posts.
enum class EventKind { Change = 1, Click = 2, Key = 3, Close = 4 };
enum class WebKey { Tab = 1, Enter = 2, Escape = 3, F1 = 4, Left = 5, Up = 6, Right = 7, Down = 8 };

class WebDialogWindow final : public DialogWindow {
 public:
  // Makes the window, hidden; a message box is announced as an alert.
  // Throws CResourceException when the page cannot hold it.
  WebDialogWindow(const DialogTemplate& dialog, DialogSite& site, bool alert = false);
  ~WebDialogWindow() override;
  WebDialogWindow(const WebDialogWindow&) = delete;
  WebDialogWindow& operator=(const WebDialogWindow&) = delete;

  std::string GetItemText(int id) const override;
  void SetItemText(int id, std::string_view text) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  ScreenRect GetWindowRect() const override;
  void MoveWindow(const ScreenRect& rect, bool repaint) override;
  bool IsEnabled() const override { return !blocked_; }
  void Activate() override;
  void SetAccessibleName(int id, std::string_view name, std::string_view description) override;
  void EndModalLoop(int result) override;

  void Show();
  // While a window it owns runs, this one takes no input.
  void SetBlocked(bool blocked);
  void FocusFirstTabStop();
  // Handles the page's events for this window until EndModalLoop; returns
  // its result.
  int RunModalLoop();

 private:
  std::size_t IndexOf(int id) const;
  void Dispatch(EventKind kind, int value, bool shift);
  // What the dialog keyboard needs to know of the window now.
  DialogKeyState KeyState() const;
  void OnKey(WebKey key, bool shift);
  void Focus(std::size_t index);

  int handle_;
  // The page knows the controls by their place in the template. Its
  // controls outlive the window, which lives only while the dialog runs.
  DialogTemplate template_;
  DialogSite& site_;
  std::unordered_map<int, std::size_t> byId_;
  bool blocked_ = false;
  bool ended_ = false;
  int result_ = 0;
};


}  // namespace kadenzo::web
