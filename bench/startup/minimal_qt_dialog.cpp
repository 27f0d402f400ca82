// The yardstick for kadenzo's start-up: about the least a Qt Widgets program
// with a dialog does. One application object, one dialog with a label, a line
// edit and two buttons, shown and run until it is closed. It is built with the
// same compiler, flags and Qt as kadenzo and started the same way, so whatever
// kadenzo takes beyond it is kadenzo's own.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

int main(int argc, char** argv) {
  QApplication application(argc, argv);

  QDialog dialog;
  dialog.setWindowTitle(QStringLiteral("Minimal dialog"));
  auto* label = new QLabel(QStringLiteral("Frames"), &dialog);
  label->setGeometry(8, 8, 80, 16);
  auto* edit = new QLineEdit(QStringLiteral("0"), &dialog);
  edit->setGeometry(8, 28, 80, 22);
  auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
  ok->setGeometry(100, 8, 64, 24);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
  cancel->setGeometry(100, 36, 64, 24);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  dialog.setFixedSize(172, 68);

  return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
