// What a screen reader gets from the calculator through Qt's accessibility
// interface, how the dialogs look at twice the screen scale, and the name the
// program gives the desktop.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <set>
#include <string>
#include <vector>

#include "tests/drivers/dialog_driver.h"
#include "ui/resource_ids.h"

namespace kadenzo::testing_support {
namespace {

// Runs f on the program's thread while its modal loop waits for input.
template <class F>
auto OnUiThread(F f) -> decltype(f()) {
  decltype(f()) result{};
  QMetaObject::invokeMethod(
      qApp, [&] { result = f(); }, Qt::BlockingQueuedConnection);
  return result;
}

QWidget* ActiveDialog() {
  return QApplication::activeModalWidget();
}

QWidget* ControlOf(QWidget* dialog, int id) {
  for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->property("kadenzoControlId").toInt() == id) return child;
  }
  return nullptr;
}

std::string Name(QObject* object) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
  return accessible != nullptr ? accessible->text(QAccessible::Name).toStdString() : std::string("<none>");
}

TEST(AccessibilityTest, EveryFieldAndButtonHasASpokenName) {
  const std::pair<int, const char*> expected[] = {
      {IDC_FIRST_COUNT, "First operand absolute frames"},
      {IDC_FIRST_HOURS, "First operand hours"},
      {IDC_FIRST_MINUTES, "First operand minutes"},
      {IDC_FIRST_SECONDS, "First operand seconds"},
      {IDC_FIRST_FRAMES, "First operand time frames"},
      {IDC_SECOND_COUNT, "Second operand absolute frames"},
      {IDC_SECOND_HOURS, "Second operand hours"},
      {IDC_SECOND_MINUTES, "Second operand minutes"},
      {IDC_SECOND_SECONDS, "Second operand seconds"},
      {IDC_SECOND_FRAMES, "Second operand time frames"},
      {IDC_RESULT_COUNT, "Result absolute frames"},
      {IDC_RESULT_HOURS, "Result hours"},
      {IDC_RESULT_MINUTES, "Result minutes"},
      {IDC_RESULT_SECONDS, "Result seconds"},
      {IDC_RESULT_FRAMES, "Result time frames"},
      {IDC_RATE_23_976, "23.976"},
      {IDC_RATE_24, "24"},
      {IDC_RATE_25, "25"},
      {IDC_RATE_29_97, "29.97"},
      {IDC_RATE_30, "30"},
      {IDC_ADD, "Add"},
      {IDC_SUBTRACT, "Subtract"},
      {1, "Close"},
      {IDC_ABOUT, "About"},
  };
  RunProgram([&](DialogDriver&) {
    std::set<std::string> names;
    for (const auto& [id, name] : expected) {
      const std::string spoken = OnUiThread([id = id] { return Name(ControlOf(ActiveDialog(), id)); });
      EXPECT_EQ(spoken, name) << "control " << id;
      // A listener tells every control apart by its name alone.
      EXPECT_TRUE(names.insert(spoken).second) << "a second control is called " << spoken;
    }
    EXPECT_EQ(OnUiThread([] { return Name(ActiveDialog()); }), "Kadenzo");
  });
}

TEST(AccessibilityTest, TheAboutBoxReadsInItsOnScreenOrder) {
  RunProgram([](DialogDriver& d) {
    d.Click(IDC_ABOUT);
    const std::vector<std::string> read = OnUiThread([] {
      std::vector<std::string> texts;
      QAccessibleInterface* box = QAccessible::queryAccessibleInterface(ActiveDialog());
      for (int i = 0; i < box->childCount(); ++i) {
        const QString name = box->child(i)->text(QAccessible::Name);
        if (!name.isEmpty()) texts.push_back(name.toStdString());
      }
      return texts;
    });
    ASSERT_EQ(read.size(), 14u);  // the Close button and thirteen labels
    EXPECT_EQ(read[0], "Close");
    EXPECT_EQ(read[1], "Kadenzo");
    EXPECT_EQ(read[2], "Version 1.12");
    EXPECT_EQ(read[3], "32 bit application");
    EXPECT_EQ(read[4], "Purpose:  Converts, adds, and subtracts");
    EXPECT_EQ(read[5], "LD/CD/SMPTE time & frames.");
    // The labels placed lower in the template's middle come in screen order.
    EXPECT_EQ(read[13], "\"Every frame counts.\"");  // the motto, last on screen
  });
}

// A Wayland compositor matches the window to a desktop entry, and so to its
// icon and name, by the name the program tells the toolkit: it must be the
// entry the program ships with.
TEST(DesktopEntryTest, TheProgramNamesTheDesktopEntryItShipsWith) {
  RunProgram([](DialogDriver&) {
    const QString name = OnUiThread([] { return QGuiApplication::desktopFileName(); });
    EXPECT_EQ(name.toStdString(), "io.github.kadenzo.Kadenzo");
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral(KADENZO_DESKTOP_ENTRIES "/") + name + QStringLiteral(".desktop")))
        << name.toStdString() << ".desktop is not among the desktop entries in packaging/linux";
  });
}

TEST(ScreenScaleTest, AtTwiceTheScaleTheIconIsDrawnPixelForPixel) {
  RunProgram([](DialogDriver&) {
    const qreal scale = OnUiThread([] { return ActiveDialog()->devicePixelRatio(); });
    if (scale != 2) GTEST_SKIP() << "runs with QT_SCALE_FACTOR=2";
    const QImage icon = OnUiThread([] {
      for (QLabel* label : ActiveDialog()->findChildren<QLabel*>()) {
        if (!label->pixmap().isNull()) return label->pixmap().toImage();
      }
      return QImage();
    });
    ASSERT_EQ(icon.size(), QSize(64, 64));
    // Every source pixel became a sharp 2 × 2 block: no blurred edges.
    for (int y = 0; y < 64; y += 2) {
      for (int x = 0; x < 64; x += 2) {
        const QRgb pixel = icon.pixel(x, y);
        ASSERT_TRUE(icon.pixel(x + 1, y) == pixel && icon.pixel(x, y + 1) == pixel && icon.pixel(x + 1, y + 1) == pixel)
            << x << "," << y;
      }
    }
    // The dialog keeps its proportions: the window is twice as many device
    // pixels each way as it has logical pixels.
    const QSize logical = OnUiThread([] { return ActiveDialog()->size(); });
    const QSize device = OnUiThread([] { return ActiveDialog()->grab().size(); });
    EXPECT_EQ(device, logical * 2);
  });
}

}  // namespace
}  // namespace kadenzo::testing_support
