#include "framework/dialog.h"

#include <exception>
#include <new>

#include "framework/exceptions.h"
#include "framework/win_app.h"

namespace kadenzo {

namespace {

// Tells the person that the framework failed; the operation that failed is
// abandoned by the caller. During the radio-group exchange every failure is
// reported with the exclamation icon.
void ReportFailure(std::exception_ptr failure, bool duringExchange) {
  const char* text = "An unsupported operation was attempted.";
  unsigned type = backend::kMbIconStop;
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    text = "Out of memory.";
    type = backend::kMbIconExclamation | backend::kMbSystemModal;
  } catch (const CResourceException&) {
    text = "A required resource was unavailable.";
  } catch (...) {
  }
  if (duringExchange && (type & backend::kMbSystemModal) == 0) type = backend::kMbIconExclamation;
  try {
    AfxMessageBox(text, type);
  } catch (...) {
    // Nothing is left to tell the person with.
  }
}

// Cuts text to at most maxBytes without splitting a UTF-8 character.
std::string Truncated(std::string text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = maxBytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

}  // namespace

constexpr BindingRow CDialog::kBindings[2] = {
    OnClicked<&CDialog::OnOK>(kIdOk),
    OnClicked<&CDialog::OnCancel>(kIdCancel),
};
constexpr BindingTable CDialog::kBindingTable{nullptr, kBindings};

CDialog::CDialog(const DialogTemplate& dialogTemplate, CDialog* parent) noexcept
    : template_(dialogTemplate), parent_(parent) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  // Without a parent the dialog belongs to whatever dialog is active, so a
  // box opened from the calculator disables the calculator.
  DialogWindow* owner = parent_ != nullptr && parent_->window_ != nullptr ? parent_->window_ : backend::ActiveWindow();
  try {
    return backend::RunModal(template_, owner, *this);
  } catch (...) {
    window_ = nullptr;
    ReportFailure(std::current_exception(), false);
    return -1;
  }
}

void CDialog::EndDialog(int result) {
  if (window_ != nullptr) window_->EndModalLoop(result);
}

bool CDialog::InitDialog(DialogWindow& window) {
  window_ = &window;
  try {
    return OnInitDialog();
  } catch (...) {
    ReportFailure(std::current_exception(), false);
    return true;
  }
}

void CDialog::Command(int id, std::uint16_t code) {
  const BindingRow* row = FindBinding(GetBindingTable(), kCommandMessage, code, id);
  if (row == nullptr) return;
  try {
    row->handler(*this);
  } catch (...) {
    ReportFailure(std::current_exception(), false);
  }
}

const BindingTable& CDialog::GetBindingTable() const {
  return kBindingTable;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(DataExchange&) {}

bool CDialog::UpdateData(bool saveAndValidate) {
  try {
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return true;
  } catch (...) {
    ReportFailure(std::current_exception(), true);
    return false;
  }
}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(kIdOk);
}

void CDialog::OnCancel() {
  EndDialog(kIdCancel);
}

DialogWindow& CDialog::Window() const {
  if (window_ == nullptr) throw CNotSupportedException("the dialog has no window");
  return *window_;
}

std::string CDialog::GetDlgItemText(int id, std::size_t maxChars) const {
  return Truncated(Window().GetItemText(id), maxChars);
}

void CDialog::SetDlgItemText(int id, std::string_view text) {
  Window().SetItemText(id, text);
}

std::uint32_t CDialog::GetDlgItemInt(int id) const {
  return ReadDlgItemInt(Window().GetItemText(id));
}

void CDialog::SetDlgItemInt(int id, std::uint32_t value) {
  Window().SetItemText(id, std::to_string(value));
}

void CDialog::CheckDlgButton(int id, bool checked) {
  Window().SetChecked(id, checked);
}

bool CDialog::IsDlgButtonChecked(int id) const {
  return Window().IsChecked(id);
}

void CDialog::SetAccessibleNames(std::span<const AccessibleName> names) {
  for (const AccessibleName& entry : names) Window().SetAccessibleName(entry.id, entry.name, entry.description);
}

ScreenRect CDialog::GetWindowRect() const {
  return Window().GetWindowRect();
}

void CDialog::MoveWindow(const ScreenRect& rect, bool repaint) {
  Window().MoveWindow(rect, repaint);
}

void CDialog::CentreOnScreen() {
  const ScreenRect own = GetWindowRect();
  const ScreenRect desktop = backend::DesktopRect();
  const int width = own.Width();
  const int height = own.Height();
  const int x = (desktop.right - desktop.left) / 2 + desktop.left - width / 2;
  const int y = (desktop.bottom - desktop.top) / 2 + desktop.top - height / 2;
  MoveWindow({x, y, x + width, y + height}, false);
}

void DataExchange::Radio(int firstId, int& value) {
  int position = 0;
  if (save_) value = -1;
  for (const ControlTemplate& control : GroupOf(dialog_.Template(), firstId)) {
    if (control.kind != ControlKind::AutoRadioButton) continue;
    if (save_) {
      if (value < 0 && dialog_.IsDlgButtonChecked(control.id)) value = position;
    } else {
      dialog_.CheckDlgButton(control.id, position == value);
    }
    ++position;
  }
}

}  // namespace kadenzo
