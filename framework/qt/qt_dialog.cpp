#include "framework/qt/qt_dialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOption>
#include <QValidator>
#include <algorithm>
#include <utility>
#include <vector>

#include "framework/binding.h"
#include "framework/exceptions.h"
#include "framework/qt/qt_platform.h"

namespace kadenzo::qt {

namespace {

// Classic label text marks a mnemonic with "&" and shows "&&" as one "&";
// our labels carry no mnemonics, so only the doubled ampersand matters.
QString LabelText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
      .replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// A radio button that answers clicks anywhere in its rectangle, as the
// dialog manager's buttons do, not only on its circle and text.
class RadioButton final : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// Edit fields framed the classic way: a two-pixel sunken edge in solid
// lines around the field's base colour. Besides matching the dialog's look,
// it is cheap to draw: the desktop style's antialiased rounded frame is most
// of what a keystroke costs once six fields repaint.
class ClassicFieldStyle final : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_PanelLineEdit) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    const QRect r = option->rect;
    const QPalette& palette = option->palette;
    painter->fillRect(r, palette.brush(QPalette::Base));
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (frame == nullptr || frame->lineWidth <= 0 || r.width() < 4 || r.height() < 4) return;
    const auto edge = [painter, &r](int inset, const QColor& topLeft, const QColor& bottomRight) {
      const QRect e = r.adjusted(inset, inset, -inset, -inset);
      painter->fillRect(e.left(), e.top(), e.width(), 1, topLeft);
      painter->fillRect(e.left(), e.top(), 1, e.height(), topLeft);
      painter->fillRect(e.left(), e.bottom(), e.width(), 1, bottomRight);
      painter->fillRect(e.right(), e.top(), 1, e.height(), bottomRight);
    };
    edge(0, palette.color(QPalette::Mid), palette.color(QPalette::Light));
    edge(1, palette.color(QPalette::Shadow), palette.color(QPalette::Button));
  }
};

// A field holds one line. A paste of several lines keeps what comes before
// the first line break, as a single-line edit control does; Qt's own field
// would take the line breaks into its text.
class FirstLineOfPaste final : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& text, int& cursor) const override {
    const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
    // The pasted text ends at the cursor; only its first line stays.
    if (lineBreak >= 0 && cursor > lineBreak) {
      const qsizetype cut = lineBreak > 0 && text[lineBreak - 1] == QLatin1Char('\r') ? lineBreak - 1 : lineBreak;
      text.remove(cut, cursor - cut);
      cursor = static_cast<int>(cut);
    }
    return Acceptable;
  }
};

}  // namespace

QtDialogWindow::QtDialogWindow(const DialogTemplate& dialog, QWidget* owner, DialogSite& site)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      template_(dialog),
      site_(site) {
  setWindowTitle(ToQString(dialog.caption));
  setModal(true);
  Build(dialog);
}

QtDialogWindow::~QtDialogWindow() = default;

QRect QtDialogWindow::ToPixels(const DialogRect& rect) const {
  // Rounded like the dialog manager's MulDiv.
  const auto x = [this](int units) { return (units * unitX_ + 2) / 4; };
  const auto y = [this](int units) { return (units * unitY_ + 4) / 8; };
  return QRect(x(rect.x), y(rect.y), x(rect.width), y(rect.height));
}

void QtDialogWindow::Build(const DialogTemplate& dialog) {
  QFont font(ToQString(dialog.fontName), dialog.fontPoints);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  // Dialog units follow the font, so the layout keeps its proportions with
  // any font and at any screen scale.
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  unitX_ = (letters + 26) / 52;
  unitY_ = metrics.height();

  Platform::ApplyDialogColours(*this);

  QButtonGroup* group = nullptr;
  std::vector<std::pair<const ControlTemplate*, QWidget*>> reading;
  for (const ControlTemplate& control : dialog.controls) {
    if ((control.flags & ControlFlag::kGroup) != 0) group = nullptr;
    QWidget* widget = MakeControl(control, group);
    widget->setGeometry(ToPixels(control.rect));
    ordered_.push_back(widget);
    if (qobject_cast<QAbstractButton*>(widget) != nullptr) widget->installEventFilter(this);
    reading.emplace_back(&control, widget);
    if (control.id != kStaticId) {
      widget->setProperty(kControlIdProperty, control.id);
      controls_.emplace(control.id, widget);
    }
  }

  // Screen readers walk a window's children in their stacking order; put
  // it in reading order, top to bottom and left to right. The tab order
  // stays the template's (focusNextPrevChild).
  std::stable_sort(reading.begin(), reading.end(), [](const auto& a, const auto& b) {
    return std::pair(a.first->rect.y, a.first->rect.x) < std::pair(b.first->rect.y, b.first->rect.x);
  });
  for (const auto& [control, widget] : reading) widget->raise();

  const QRect client = ToPixels({0, 0, dialog.width, dialog.height});
  setFixedSize(client.size());
}

QWidget* QtDialogWindow::MakeControl(const ControlTemplate& control, QButtonGroup*& group) {
  const bool tabStop = (control.flags & ControlFlag::kTabStop) != 0;
  const int id = control.id;
  switch (control.kind) {
    case ControlKind::AutoRadioButton: {
      auto* button = new RadioButton(LabelText(control.text), this);
      button->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
      // Each template group is one exclusive set; a click notifies even when
      // the button was already checked.
      if (group == nullptr) {
        group = new QButtonGroup(this);
        group->setExclusive(true);
      }
      button->setAutoExclusive(false);
      group->addButton(button);
      connect(button, &QAbstractButton::clicked, this, [this, id] { site_.Command(id, Notify::kClicked); });
      return button;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(this);
      edit->setFrame((control.flags & ControlFlag::kBorder) != 0);
      if (fieldStyle_ == nullptr) {
        fieldStyle_ = new ClassicFieldStyle();
        fieldStyle_->setParent(this);
      }
      edit->setStyle(fieldStyle_);
      // The field paints every pixel of itself; nothing beneath needs painting first.
      edit->setAttribute(Qt::WA_OpaquePaintEvent);
      edit->setValidator(new FirstLineOfPaste(edit));
      edit->setReadOnly((control.flags & ControlFlag::kReadOnly) != 0);
      if (edit->isReadOnly()) Platform::ApplyReadOnlyColours(*edit);
      edit->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
      // textChanged, unlike textEdited, also reports the program's own
      // writes, synchronously, as the dialog manager's change notification does.
      connect(edit, &QLineEdit::textChanged, this, [this, id] { site_.Command(id, Notify::kChange); });
      return edit;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
      auto* button = new QPushButton(LabelText(control.text), this);
      Platform::ApplyButtonColours(*button);
      // Enter is routed by keyPressEvent, not by Qt's auto-default logic.
      button->setAutoDefault(false);
      button->setDefault(control.kind == ControlKind::DefaultPushButton);
      button->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
      connect(button, &QAbstractButton::clicked, this, [this, id] { site_.Command(id, Notify::kClicked); });
      return button;
    }
    case ControlKind::Label: {
      auto* label = new QLabel(LabelText(control.text), this);
      label->setAlignment((control.align == TextAlign::Centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
      return label;
    }
    case ControlKind::GroupFrame: {
      auto* frame = new QFrame(this);
      frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
      return frame;
    }
    case ControlKind::Icon: {
      auto* label = new QLabel(this);
      label->setPixmap(Platform::IconPixmap(control.iconResource, devicePixelRatio()));
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      // An icon control sizes itself to its icon.
      label->setFixedSize(32, 32);
      return label;
    }
  }
  throw CNotSupportedException("unknown control kind");
}

QWidget* QtDialogWindow::Control(int id) const {
  const auto found = controls_.find(id);
  if (found == controls_.end()) throw CResourceException("no control with that id");
  return found->second;
}

std::string QtDialogWindow::GetItemText(int id) const {
  QWidget* widget = Control(id);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
  return {};
}

void QtDialogWindow::SetItemText(int id, std::string_view text) {
  QWidget* widget = Control(id);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(ToQString(text));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(LabelText(text));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(LabelText(text));
  } else {
    throw CNotSupportedException("the control has no text");
  }
}

bool QtDialogWindow::IsChecked(int id) const {
  auto* button = qobject_cast<QAbstractButton*>(Control(id));
  return button != nullptr && button->isChecked();
}

void QtDialogWindow::SetChecked(int id, bool checked) {
  auto* button = qobject_cast<QAbstractButton*>(Control(id));
  if (button == nullptr) throw CNotSupportedException("the control cannot be checked");
  // An exclusive group will not let its checked button be cleared directly.
  QButtonGroup* group = button->group();
  const bool exclusive = group != nullptr && group->exclusive();
  if (exclusive && !checked) group->setExclusive(false);
  button->setChecked(checked);
  if (exclusive && !checked) group->setExclusive(true);
}

ScreenRect QtDialogWindow::GetWindowRect() const {
  const QRect frame = frameGeometry();
  return {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
}

void QtDialogWindow::MoveWindow(const ScreenRect& rect, bool repaint) {
  // move() places the frame, as the rectangle means; the size is fixed.
  move(rect.left, rect.top);
  placement_ = rect;
  if (repaint) update();
}

bool QtDialogWindow::IsEnabled() const {
  return isEnabled() && !blocked_;
}

void QtDialogWindow::Activate() {
  activateWindow();
}

void QtDialogWindow::SetAccessibleName(int id, std::string_view name, std::string_view description) {
  QWidget* control = Control(id);
  control->setAccessibleName(ToQString(name));
  control->setAccessibleDescription(ToQString(description));
}

void QtDialogWindow::EndModalLoop(int result) {
  done(result);
}

DialogKeyState QtDialogWindow::KeyState(const QWidget* focused) const {
  const auto found = std::find(ordered_.begin(), ordered_.end(), focused);
  return {found != ordered_.end() ? std::optional(static_cast<std::size_t>(found - ordered_.begin())) : std::nullopt,
          [this](std::size_t index) { return ordered_[index]->isVisibleTo(this) && ordered_[index]->isEnabled(); },
          [this](std::size_t index) {
            const auto* button = qobject_cast<const QAbstractButton*>(ordered_[index]);
            return button != nullptr && button->isChecked();
          }};
}

void QtDialogWindow::FocusFirstTabStop() {
  if (const auto first = NextTabStop(template_, KeyState(nullptr), false))
    ordered_[*first]->setFocus(Qt::TabFocusReason);
}

int QtDialogWindow::RunModalLoop() {
  return exec();
}

void QtDialogWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      site_.Command(EnterButton(template_, KeyState(focusWidget()).focused), Notify::kClicked);
      return;
    case Qt::Key_Escape: site_.Command(kIdCancel, Notify::kClicked); return;
    case Qt::Key_F1: return;
    default: QDialog::keyPressEvent(event);
  }
}

bool QtDialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool previous = key->key() == Qt::Key_Left || key->key() == Qt::Key_Up;
    const bool next = key->key() == Qt::Key_Right || key->key() == Qt::Key_Down;
    if ((previous || next) && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      if (const auto step = MoveInGroup(template_, KeyState(static_cast<QWidget*>(watched)), previous)) {
        QWidget* to = ordered_[step->to];
        // A field reached this way has its whole text selected, as by Tab.
        const bool radio = template_.controls[step->to].kind == ControlKind::AutoRadioButton;
        to->setFocus(radio ? Qt::OtherFocusReason : Qt::TabFocusReason);
        if (step->choose) static_cast<QAbstractButton*>(to)->click();
      }
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// Tab and Shift+Tab follow the template, whatever Qt's focus chain and the
// buttons' focus policies say.
bool QtDialogWindow::focusNextPrevChild(bool next) {
  const auto to = NextTabStop(template_, KeyState(focusWidget()), !next);
  if (to) ordered_[*to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return to.has_value();
}

bool QtDialogWindow::event(QEvent* event) {
  const bool handled = QDialog::event(event);
  // A window's frame is known only once it is shown (and, under a window
  // manager, framed). If it then differs from the size the placement was
  // worked out for, move it so that it keeps the placement's centre.
  const auto type = event->type();
  if (placement_ && isVisible() && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)) {
    const QRect frame = frameGeometry();
    if (frame.width() != placement_->Width() || frame.height() != placement_->Height()) {
      const int left = placement_->left + placement_->Width() / 2 - frame.width() / 2;
      const int top = placement_->top + placement_->Height() / 2 - frame.height() / 2;
      placement_ = ScreenRect{left, top, left + frame.width(), top + frame.height()};
      move(left, top);
    }
  }
  return handled;
}

void QtDialogWindow::closeEvent(QCloseEvent* event) {
  // The close box is the cancel command; the dialog decides whether it ends.
  event->ignore();
  site_.Command(kIdCancel, Notify::kClicked);
}

// QDialog's own ways of ending are all routed through the commands instead.
void QtDialogWindow::reject() {
  site_.Command(kIdCancel, Notify::kClicked);
}
void QtDialogWindow::accept() {
  site_.Command(DefaultButton(template_), Notify::kClicked);
}

}  // namespace kadenzo::qt
