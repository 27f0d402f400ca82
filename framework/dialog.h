// A dialog made from a template and run modally. Derived classes bind
// control notifications to handlers through their binding table and reach
// controls by id, as a classic dialog class does.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "framework/backend.h"
#include "framework/binding.h"
#include "framework/dialog_template.h"

namespace kadenzo {

// How a dialog reads a number from a control's text, the same on every
// platform: leading spaces skipped, then decimal digits up to the first other
// character, saturating at 2^32 - 1. Empty text, or text that does not start
// with a digit after the spaces, reads as 0.
constexpr std::uint32_t ReadDlgItemInt(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::uint64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
    if (value > UINT32_MAX) value = UINT32_MAX;
  }
  return static_cast<std::uint32_t>(value);
}

// Moves values between a dialog's controls and its members, in the direction
// UpdateData was asked for.
class DataExchange {
 public:
  DataExchange(class CDialog& dialog, bool saveAndValidate) : dialog_(dialog), save_(saveAndValidate) {}
  bool IsSaving() const noexcept { return save_; }
  // The radio group starting at firstId: the position of its checked button
  // among the group's radio buttons, -1 for none.
  void Radio(int firstId, int& value);

 private:
  class CDialog& dialog_;
  bool save_;
};

class CDialog : private DialogSite {
 public:
  explicit CDialog(const DialogTemplate& dialogTemplate, CDialog* parent = nullptr) noexcept;
  ~CDialog() override;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog until it ends; returns the result given to EndDialog, or
  // -1 if the window could not be made.
  int DoModal();
  void EndDialog(int result);

  // At most maxChars characters of the control's text.
  std::string GetDlgItemText(int id, std::size_t maxChars) const;
  void SetDlgItemText(int id, std::string_view text);
  // The control's text read by ReadDlgItemInt.
  std::uint32_t GetDlgItemInt(int id) const;
  void SetDlgItemInt(int id, std::uint32_t value);
  void CheckDlgButton(int id, bool checked);
  bool IsDlgButtonChecked(int id) const;

  // Names controls for screen readers, where their own text does not.
  struct AccessibleName {
    int id;
    std::string_view name;
    std::string_view description;
  };
  void SetAccessibleNames(std::span<const AccessibleName> names);

  ScreenRect GetWindowRect() const;
  void MoveWindow(const ScreenRect& rect, bool repaint);
  // Centres the window on the whole screen, halves truncated toward zero.
  void CentreOnScreen();

  const DialogTemplate& Template() const noexcept { return template_; }

 protected:
  // The standard initialisation loads the controls from the members; return
  // true to leave the focus to the first tab stop.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& dx);
  // Loads (false) or saves (true) the exchanged values; false if it failed.
  bool UpdateData(bool saveAndValidate);
  // Enter and the default button; reads the controls back and ends with 1.
  virtual void OnOK();
  // Escape and the close box; ends with 2.
  virtual void OnCancel();

  virtual const BindingTable& GetBindingTable() const;
  static const BindingRow kBindings[2];
  static const BindingTable kBindingTable;

 private:
  bool InitDialog(DialogWindow& window) override;
  void Command(int id, std::uint16_t code) override;
  void Detach() override { window_ = nullptr; }
  DialogWindow& Window() const;

  const DialogTemplate& template_;
  CDialog* parent_;
  DialogWindow* window_ = nullptr;
};

}  // namespace kadenzo
