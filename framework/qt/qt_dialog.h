// A dialog window of the Qt backend: real widgets laid out from a template.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <optional>
#include <unordered_map>
#include <vector>

#include "framework/backend.h"
#include "framework/dialog_keyboard.h"

class QButtonGroup;
class QPushButton;
class QStyle;

namespace kadenzo::qt {

// The dynamic property that carries a control's template id, so that tools
// and tests can find a control as the program does.
inline constexpr char kControlIdProperty[] = "kadenzoControlId";

class QtDialogWindow final : public QDialog, public DialogWindow {
 public:
  QtDialogWindow(const DialogTemplate& dialog, QWidget* owner, DialogSite& site);
  ~QtDialogWindow() override;

  std::string GetItemText(int id) const override;
  void SetItemText(int id, std::string_view text) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  ScreenRect GetWindowRect() const override;
  void MoveWindow(const ScreenRect& rect, bool repaint) override;
  bool IsEnabled() const override;
  void Activate() override;
  void SetAccessibleName(int id, std::string_view name, std::string_view description) override;
  void EndModalLoop(int result) override;

  // While a dialog it owns runs, a window takes no input. Qt's modality
  // does the blocking; disabling the window as well would disable the
  // dialog it owns, which Qt counts among its children.
  void SetBlockedByModal(bool blocked) { blocked_ = blocked; }

  // Runs the window until EndModalLoop; returns its result.
  int RunModalLoop();
  // Puts the focus on the first control that is a tab stop.
  void FocusFirstTabStop();
  QWidget* Control(int id) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  void reject() override;
  void accept() override;

 private:
  void Build(const DialogTemplate& dialog);
  QWidget* MakeControl(const struct ControlTemplate& control, QButtonGroup*& group);
  QRect ToPixels(const DialogRect& rect) const;
  // What the dialog keyboard needs to know of the window, with the focus
  // on the given control.
  DialogKeyState KeyState(const QWidget* focused) const;

  // The keyboard reads the template's controls, which outlive the window:
  // it lives only while RunModal runs.
  DialogTemplate template_;
  DialogSite& site_;
  int unitX_ = 0;  // average character width: four dialog units across
  int unitY_ = 0;  // character height: eight dialog units down
  std::unordered_map<int, QWidget*> controls_;
  std::vector<QWidget*> ordered_;  // every control, in template order
  QStyle* fieldStyle_ = nullptr;   // shared by the dialog's edit fields
  // Where MoveWindow put the frame before the window manager had framed
  // the window; kept so the frame can be re-centred on the same point once
  // its real size is known.
  std::optional<ScreenRect> placement_;
  bool blocked_ = false;
};

}  // namespace kadenzo::qt
