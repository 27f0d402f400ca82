// The Qt backend's program-wide state: the dialog colours, the icons, and
// the stack of running dialogs.
#pragma once

#include <QIcon>
#include <QPixmap>

class QLineEdit;
class QWidget;

namespace kadenzo::qt {

class Platform {
 public:
  static void ApplyDialogColours(QWidget& dialog);
  static void ApplyReadOnlyColours(QLineEdit& edit);
  // The program's icon: the first icon resource, like a program file's.
  static QIcon ApplicationIcon();
  // An icon resource drawn at devicePixelRatio, scaled by whole pixels so
  // that it stays sharp.
  static QPixmap IconPixmap(int resourceId, qreal devicePixelRatio);
};

}  // namespace kadenzo::qt
