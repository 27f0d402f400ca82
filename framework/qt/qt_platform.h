// The Qt backend's program-wide state: the dialog colours, the icons, and
// the stack of running dialogs.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <memory>
#include <string>
#include <string_view>

class QApplication;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kadenzo::qt {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class Platform {
 public:
  static void ApplyDialogColours(QWidget& dialog);
  static void ApplyReadOnlyColours(QLineEdit& edit);
  static void ApplyButtonColours(QPushButton& button);
  // The program's icon: the first icon resource, like a program file's.
  static QIcon ApplicationIcon();
  // An icon resource drawn at devicePixelRatio, scaled by whole pixels so
  // that it stays sharp.
  static QPixmap IconPixmap(int resourceId, qreal devicePixelRatio);
};

// The toolkit's application object for the length of a scope: the program's
// entry, or a test run. It is given the program's name and nothing else, so
// no command-line option can change the program.
class ApplicationScope {
 public:
  explicit ApplicationScope(const char* programName);
  ~ApplicationScope();
  ApplicationScope(const ApplicationScope&) = delete;
  ApplicationScope& operator=(const ApplicationScope&) = delete;

 private:
  std::string name_;
  int argc_ = 1;
  char* argv_[2];
  std::unique_ptr<QApplication> application_;
};

}  // namespace kadenzo::qt
