// What the dialog behaviour tests can do to the program and see of it, the
// way a person would: keys into the focused control, clicks on controls,
// the clipboard, and what the windows show. Each backend implements it with
// its platform's real input; the tests are written once against it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/backend.h"
#include "framework/colour.h"

namespace kadenzo::testing_support {

enum class Key {
  Tab,
  ShiftTab,
  Enter,
  Escape,
  F1,
  Backspace,
  Delete,
  Home,
  End,
  Left,
  Right,
  Up,
  Down,
  ShiftEnd,  // select to the end of the field
  ShiftHome,
  Copy,   // Ctrl+C
  Paste,  // Ctrl+V
  Cut,    // Ctrl+X
  AltF4,
};

// Every action goes to the program's active dialog (or to its focused
// control) and returns once the program has handled it, also when the action
// opened a nested modal dialog that is still open.
class DialogDriver {
 public:
  virtual ~DialogDriver() = default;

  // Characters typed into the focused control, one key press each.
  virtual void Type(std::string_view text) = 0;
  virtual void Press(Key key) = 0;
  // A left click at the centre of the control with this id in the active
  // dialog, or, when the active dialog is disabled or blocked, at the place
  // on the screen where that control of the named dialog is.
  virtual void Click(int id) = 0;
  virtual void ClickIn(std::string_view caption, int id) = 0;
  // The close box in the caption of the active dialog.
  virtual void CloseBox() = 0;

  virtual void SetClipboard(std::string_view text) = 0;
  virtual std::string Clipboard() = 0;

  // Whether the program's entry has returned.
  virtual bool HasEnded() = 0;

  // The caption of the active dialog; empty when none is open.
  virtual std::string ActiveCaption() = 0;
  // The caption and text of the program's open message box; empty when
  // none is open. Enter or Escape dismisses it.
  virtual std::string MessageBoxCaption() = 0;
  virtual std::string MessageBoxText() = 0;

  // The captions of all open dialogs, outermost first.
  virtual std::vector<std::string> OpenDialogs() = 0;

  // Controls of the active dialog, by id.
  virtual std::string Text(int id) = 0;
  virtual bool IsChecked(int id) = 0;
  // The id of the focused control of the active dialog; 0 when the focus is
  // on none that has an id.
  virtual int FocusedId() = 0;
  // The label texts of the active dialog, in no particular order.
  virtual std::vector<std::string> LabelTexts() = 0;

  // Dialogs by caption.
  virtual bool IsDialogEnabled(std::string_view caption) = 0;
  virtual ScreenRect DialogRect(std::string_view caption) = 0;
  virtual ScreenRect DesktopRect() = 0;

  // Colours as painted on the screen: the active dialog's face (a point
  // where no control is), and a control's background (a point inside it
  // away from its text and border).
  virtual Colour FaceColour() = 0;
  virtual Colour BackgroundColour(int id) = 0;
  // A control's text colour as painted: its darkest point, away from its
  // border and edges.
  virtual Colour TextColour(int id) = 0;
};

// The desktop's colour scheme replaced, for the object's lifetime, by one
// with nothing in common with the program's grey and black; made before
// RunProgram, the program starts under it. Windows keeps no dialog colour
// apart from the 3-D face: there the dialogs are orange too.
class ForeignColourScheme {
 public:
  static constexpr Colour kButtonFace = Rgb(255, 128, 0);  // orange; on Qt the bevels' shades follow from it
  static constexpr Colour kButtonText = Rgb(0, 160, 0);    // green, also the labels' text
  static constexpr Colour kDialogFace = Rgb(64, 96, 224);  // blue
  static constexpr Colour kField = Rgb(255, 255, 160);     // pale yellow, the editable fields' background
  static constexpr Colour kHighlight = Rgb(224, 0, 160);   // magenta, selected text's background

  ForeignColourScheme();
  ~ForeignColourScheme();
  ForeignColourScheme(const ForeignColourScheme&) = delete;
  ForeignColourScheme& operator=(const ForeignColourScheme&) = delete;

 private:
  std::function<void()> restore_;
};

// Runs the program's entry on this thread with the given arguments while
// the script drives it from another thread. Whatever dialogs the script
// leaves open are cancelled afterwards. Returns the entry's exit code.
int RunProgram(const std::function<void(DialogDriver&)>& script, std::vector<std::string> arguments = {});

}  // namespace kadenzo::testing_support
