// The dialog driver on the Qt backend: real key and mouse events through
// QTest, delivered on the program's own thread while the script waits.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

#include "framework/qt/qt_dialog.h"
#include "framework/win_app.h"
#include "tests/drivers/in_process.h"

namespace kadenzo::testing_support {

namespace {

using qt::QtDialogWindow;
using namespace std::chrono_literals;

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

Colour ToColour(QRgb rgb) {
  return Rgb(static_cast<std::uint8_t>(qRed(rgb)), static_cast<std::uint8_t>(qGreen(rgb)),
             static_cast<std::uint8_t>(qBlue(rgb)));
}

ScreenRect ToScreenRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

// The open dialogs, outermost first: each one's owner is the one before it.
std::vector<QtDialogWindow*> OpenDialogWindows() {
  std::vector<QtDialogWindow*> dialogs;
  for (QWidget* widget : QApplication::allWidgets()) {
    auto* dialog = dynamic_cast<QtDialogWindow*>(widget);
    if (dialog != nullptr && dialog->isVisible()) dialogs.push_back(dialog);
  }
  const auto depth = [](QWidget* widget) {
    int level = 0;
    for (QWidget* owner = widget->parentWidget(); owner != nullptr; owner = owner->parentWidget()) ++level;
    return level;
  };
  std::sort(dialogs.begin(), dialogs.end(), [&](QWidget* a, QWidget* b) { return depth(a) < depth(b); });
  return dialogs;
}

QtDialogWindow* ActiveDialog() {
  const auto dialogs = OpenDialogWindows();
  return dialogs.empty() ? nullptr : dialogs.back();
}

QtDialogWindow& RequireActiveDialog() {
  QtDialogWindow* dialog = ActiveDialog();
  if (dialog == nullptr) throw std::runtime_error("no dialog is open");
  return *dialog;
}

QtDialogWindow& DialogByCaption(std::string_view caption) {
  for (QtDialogWindow* dialog : OpenDialogWindows()) {
    if (dialog->windowTitle() == ToQString(caption)) return *dialog;
  }
  throw std::runtime_error("no open dialog with that caption: " + std::string(caption));
}

// Cancels the innermost open dialog or message box.
void CancelInnermost() {
  if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
    box->reject();
  } else if (QtDialogWindow* dialog = ActiveDialog()) {
    dialog->close();
  }
}

struct KeyStroke {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

KeyStroke StrokeOf(Key key) {
  switch (key) {
    case Key::Tab: return {Qt::Key_Tab, Qt::NoModifier};
    case Key::ShiftTab: return {Qt::Key_Backtab, Qt::ShiftModifier};
    case Key::Enter: return {Qt::Key_Return, Qt::NoModifier};
    case Key::Escape: return {Qt::Key_Escape, Qt::NoModifier};
    case Key::F1: return {Qt::Key_F1, Qt::NoModifier};
    case Key::Backspace: return {Qt::Key_Backspace, Qt::NoModifier};
    case Key::Delete: return {Qt::Key_Delete, Qt::NoModifier};
    case Key::Home: return {Qt::Key_Home, Qt::NoModifier};
    case Key::End: return {Qt::Key_End, Qt::NoModifier};
    case Key::Left: return {Qt::Key_Left, Qt::NoModifier};
    case Key::Right: return {Qt::Key_Right, Qt::NoModifier};
    case Key::Up: return {Qt::Key_Up, Qt::NoModifier};
    case Key::Down: return {Qt::Key_Down, Qt::NoModifier};
    case Key::ShiftEnd: return {Qt::Key_End, Qt::ShiftModifier};
    case Key::ShiftHome: return {Qt::Key_Home, Qt::ShiftModifier};
    case Key::Copy: return {Qt::Key_C, Qt::ControlModifier};
    case Key::Paste: return {Qt::Key_V, Qt::ControlModifier};
    case Key::Cut: return {Qt::Key_X, Qt::ControlModifier};
    case Key::AltF4: return {Qt::Key_F4, Qt::AltModifier};
  }
  return {Qt::Key_unknown, Qt::NoModifier};
}

// Keys go to the window that has the keyboard, through the window system
// interface, so modality and focus decide who gets them, as for a person.
QWindow* KeyTarget() {
  QWindow* window = QGuiApplication::focusWindow();
  if (window == nullptr) window = RequireActiveDialog().windowHandle();
  return window;
}

// A click where the control is on the screen, delivered to its window
// through the window system interface: a window blocked by a modal dialog
// does not get it.
void ClickAt(QWidget& control) {
  QWidget* window = control.window();
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                    control.mapTo(window, control.rect().center()));
}

// A point inside a widget away from its text and border.
QPoint BackgroundPoint(const QWidget& widget) {
  if (qobject_cast<const QLineEdit*>(&widget) != nullptr) return {widget.width() - 4, widget.height() / 2};
  // A push button's face, halfway down its shading.
  if (qobject_cast<const QPushButton*>(&widget) != nullptr) return {4, widget.height() / 2};
  return {1, 1};
}

class QtDriver final : public InProcessDriver {
 public:
  explicit QtDriver(const std::atomic<bool>& ended) : ended_(ended) {}

  void Type(std::string_view text) override {
    for (const QChar c : ToQString(text)) {
      Act([c] {
        QWindow* target = KeyTarget();
        QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
      });
    }
  }

  void Press(Key key) override {
    if (key == Key::AltF4) {
      // The window manager turns Alt+F4 into a close request.
      CloseBox();
      return;
    }
    const KeyStroke stroke = StrokeOf(key);
    Act([stroke] { QTest::keyClick(KeyTarget(), stroke.key, stroke.modifiers); });
  }

  void Click(int id) override {
    Act([id] { ClickAt(*RequireActiveDialog().Control(id)); });
  }

  void ClickIn(std::string_view caption, int id) override {
    const std::string name(caption);
    Act([name, id] { ClickAt(*DialogByCaption(name).Control(id)); });
  }

  void CloseBox() override {
    Act([] { RequireActiveDialog().close(); });
  }

  void SetClipboard(std::string_view text) override {
    const QString value = ToQString(text);
    Query([value] {
      QGuiApplication::clipboard()->setText(value);
      return 0;
    });
  }

  std::string Clipboard() override {
    return Query([] { return QGuiApplication::clipboard()->text().toStdString(); });
  }

  bool HasEnded() override {
    if (ended_) return true;
    // Once the last dialog has gone the entry is returning.
    try {
      return Query([] { return OpenDialogWindows().empty(); });
    } catch (const std::runtime_error&) {
      return ended_.load();
    }
  }

  std::string ActiveCaption() override {
    if (QCoreApplication::instance() == nullptr) return {};
    return Query([] {
      QtDialogWindow* dialog = ActiveDialog();
      return dialog != nullptr ? dialog->windowTitle().toStdString() : std::string();
    });
  }

  std::string MessageBoxCaption() override {
    return Query([] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      return box != nullptr ? box->windowTitle().toStdString() : std::string();
    });
  }

  std::string MessageBoxText() override {
    return Query([] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      return box != nullptr ? box->text().toStdString() : std::string();
    });
  }

  std::vector<std::string> OpenDialogs() override {
    return Query([] {
      std::vector<std::string> captions;
      for (QtDialogWindow* dialog : OpenDialogWindows()) captions.push_back(dialog->windowTitle().toStdString());
      return captions;
    });
  }

  std::string Text(int id) override {
    return Query([id] { return RequireActiveDialog().GetItemText(id); });
  }

  bool IsChecked(int id) override {
    return Query([id] { return RequireActiveDialog().IsChecked(id); });
  }

  int FocusedId() override {
    return Query([] {
      QWidget* focus = QApplication::focusWidget();
      return focus != nullptr ? focus->property(qt::kControlIdProperty).toInt() : 0;
    });
  }

  std::vector<std::string> LabelTexts() override {
    return Query([] {
      std::vector<std::string> texts;
      for (QLabel* label : RequireActiveDialog().findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!label->text().isEmpty()) texts.push_back(label->text().toStdString());
      }
      return texts;
    });
  }

  bool IsDialogEnabled(std::string_view caption) override {
    const std::string name(caption);
    return Query([name] { return DialogByCaption(name).IsEnabled(); });
  }

  ScreenRect DialogRect(std::string_view caption) override {
    const std::string name(caption);
    return Query([name] { return ToScreenRect(DialogByCaption(name).frameGeometry()); });
  }

  ScreenRect DesktopRect() override {
    return Query([] { return backend::DesktopRect(); });
  }

  Colour FaceColour() override {
    return Query([] { return ToColour(RequireActiveDialog().grab().toImage().pixel(2, 2)); });
  }

  Colour BackgroundColour(int id) override {
    return Query([id] {
      QWidget* control = RequireActiveDialog().Control(id);
      return ToColour(control->grab().toImage().pixel(BackgroundPoint(*control)));
    });
  }

  Colour TextColour(int id) override {
    return Query([id] {
      const QImage image = RequireActiveDialog().Control(id)->grab().toImage();
      // Inside a push button's frame and focus outline.
      constexpr int kInset = 5;
      if (image.width() <= 2 * kInset || image.height() <= 2 * kInset)
        throw std::runtime_error("the control is too small to sample");
      QRgb darkest = image.pixel(kInset, kInset);
      const auto lightness = [](QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); };
      for (int y = kInset; y < image.height() - kInset; ++y) {
        for (int x = kInset; x < image.width() - kInset; ++x) {
          if (lightness(image.pixel(x, y)) < lightness(darkest)) darkest = image.pixel(x, y);
        }
      }
      return ToColour(darkest);
    });
  }

  // Runs f on the program's thread and returns its result.
  template <class F>
  auto Query(F f) -> decltype(f()) {
    using Result = decltype(f());
    auto promise = std::make_shared<std::promise<Result>>();
    auto future = promise->get_future();
    QMetaObject::invokeMethod(
        qApp,
        [f, promise] {
          try {
            promise->set_value(f());
          } catch (...) {
            promise->set_exception(std::current_exception());
          }
        },
        Qt::QueuedConnection);
    while (future.wait_for(5ms) != std::future_status::ready) {
      if (ended_) throw std::runtime_error("the program has ended");
    }
    return future.get();
  }

  // Runs an action on the program's thread and waits until the program is
  // idle again: the action may open a modal dialog and not return for now,
  // but that dialog's loop will answer the ping posted after it.
  template <class F>
  void Act(F f) {
    if (ended_) throw std::runtime_error("the program has ended");
    QMetaObject::invokeMethod(qApp, f, Qt::QueuedConnection);
    Sync();
  }

  void CloseInnermost() override {
    QMetaObject::invokeMethod(qApp, &CancelInnermost, Qt::QueuedConnection);
    Sync();
  }

  void Sync() {
    auto ping = std::make_shared<std::promise<void>>();
    auto answered = ping->get_future();
    QMetaObject::invokeMethod(
        qApp, [ping] { ping->set_value(); }, Qt::QueuedConnection);
    while (answered.wait_for(5ms) != std::future_status::ready) {
      if (ended_) return;
    }
  }

 private:
  const std::atomic<bool>& ended_;
};

}  // namespace

ForeignColourScheme::ForeignColourScheme() {
  const QPalette saved = QApplication::palette();
  const auto colour = [](Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); };
  // Light, midlight, mid, dark and shadow follow from the button colour.
  QPalette foreign(colour(kButtonFace), colour(kDialogFace));
  foreign.setColor(QPalette::ButtonText, colour(kButtonText));
  foreign.setColor(QPalette::WindowText, colour(kButtonText));
  foreign.setColor(QPalette::Base, colour(kField));
  foreign.setColor(QPalette::Highlight, colour(kHighlight));
  QApplication::setPalette(foreign);
  restore_ = [saved] { QApplication::setPalette(saved); };
}

ForeignColourScheme::~ForeignColourScheme() {
  restore_();
}

std::unique_ptr<InProcessBackend> MakeBackend() {
  class QtBackend final : public InProcessBackend {
   public:
    ~QtBackend() override {
      // Drop whatever the script posted after the program ended.
      QCoreApplication::removePostedEvents(qApp);
    }
    std::string ProgramName() override { return "kadenzo"; }
    std::unique_ptr<InProcessDriver> MakeDriver(const std::atomic<bool>& ended) override {
      return std::make_unique<QtDriver>(ended);
    }
  };
  return std::make_unique<QtBackend>();
}

}  // namespace kadenzo::testing_support
