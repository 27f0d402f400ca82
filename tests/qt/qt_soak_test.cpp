// A long random session at the real calculator: key presses, pastes (long
// and non-ASCII ones too) and clicks, delivered to the real widgets. After
// every one, the fifteen fields must show what a sheet fed the same texts
// shows. The session runs on the program's own thread, between two turns of
// its modal loop, so nothing is lost to thread hand-overs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <array>
#include <cstdio>
#include <random>
#include <string>

#include "core/calculator_sheet.h"
#include "tests/support/echoing_display.h"
#include "tests/drivers/dialog_driver.h"
#include "ui/calculator_dialog.h"
#include "ui/resource_ids.h"

namespace kadenzo::testing_support {
namespace {

long ResidentKilobytes() {
  long pages = 0;
  long resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * sysconf(_SC_PAGESIZE) / 1024;
}

QWidget* Control(int id) {
  for (QWidget* child : QApplication::activeModalWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->property("kadenzoControlId").toInt() == id) return child;
  }
  return nullptr;
}

class Session {
 public:
  explicit Session(unsigned seed) : random_(seed), reference_(display_) {
    display_.Attach(reference_);
    reference_.Initialise();
    for (std::size_t i = 0; i < edits_.size(); ++i)
      edits_[i] = qobject_cast<QLineEdit*>(Control(FieldControl(static_cast<SheetField>(i))));
  }

  // One random action; returns a description of a disagreement, or "".
  std::string Step() {
    // Only the operand fields, which come before the result's, are typed into.
    const std::size_t field = Pick(static_cast<std::size_t>(CountField(FieldRow::Result)));
    QLineEdit* edit = edits_[field];
    const auto sheetField = static_cast<SheetField>(field);
    std::string typed;
    switch (Pick(8)) {
      case 0:
      case 1:
      case 2: {  // a key at the end of the field
        static constexpr char kKeys[] = "0123456789000999-+ a";
        const char key = kKeys[Pick(sizeof kKeys - 1)];
        edit->setFocus();
        edit->end(false);
        QTest::keyClick(edit, key);
        typed = display_.Text(sheetField) + key;
        break;
      }
      case 3: {  // Backspace at the end
        edit->setFocus();
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_Backspace);
        // The last character goes as a whole, however many bytes it has.
        typed = display_.Text(sheetField);
        while (!typed.empty() && (static_cast<unsigned char>(typed.back()) & 0xC0) == 0x80) typed.pop_back();
        if (!typed.empty()) typed.pop_back();
        break;
      }
      case 4: {  // select everything and paste over it
        typed = PasteText();
        QGuiApplication::clipboard()->setText(QString::fromStdString(typed));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        break;
      }
      case 5: {  // a rate button, maybe the checked one
        const FrameRate rate = static_cast<FrameRate>(Pick(kRateCount));
        Click(RateButton(rate));
        reference_.SetRate(rate);
        return Compare("rate");
      }
      case 6: {
        const bool subtract = Pick(2) == 1;
        Click(subtract ? IDC_SUBTRACT : IDC_ADD);
        reference_.SetOperation(subtract ? Operation::Subtract : Operation::Add);
        return Compare("operation");
      }
      default: {  // keys into a read-only result field change nothing
        QLineEdit* result = edits_[static_cast<std::size_t>(CountField(FieldRow::Result)) + Pick(5)];
        result->setFocus();
        QTest::keyClick(result, static_cast<char>('0' + Pick(10)));
        QTest::keyClick(result, Qt::Key_Backspace);
        return Compare("result field");
      }
    }
    display_.Edit(sheetField, typed);
    return Compare(typed);
  }

 private:
  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

  std::string PasteText() {
    switch (Pick(6)) {
      case 0: return std::string(1 + Pick(300), static_cast<char>('0' + Pick(10)));
      case 1: return "-" + std::to_string(Pick(1000000));
      case 2: return "\xC3\xA9\xE2\x82\xAC" + std::to_string(Pick(100));  // "é€" and digits
      case 3: return std::to_string(Pick(70000));
      case 4: return "  +" + std::to_string(std::uniform_int_distribution<std::uint64_t>()(random_)) + "x";
      default: return "";
    }
  }

  void Click(int id) {
    QWidget* button = Control(id);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
  }

  std::string Compare(const std::string& action) {
    for (std::size_t i = 0; i < edits_.size(); ++i) {
      const std::string shown = edits_[i]->text().toStdString();
      const std::string expected = display_.Text(static_cast<SheetField>(i));
      if (shown != expected) {
        return "after '" + action + "' field " + std::to_string(FieldControl(static_cast<SheetField>(i))) + " shows '" +
               shown + "', expected '" + expected + "'";
      }
    }
    return {};
  }

  std::mt19937_64 random_;
  EchoingDisplay display_;
  CalculatorSheet reference_;
  std::array<QLineEdit*, kSheetFieldCount> edits_{};
};

TEST(SoakTest, AHundredThousandRandomActionsKeepEveryFieldRight) {
  constexpr int kActions = 100'000;
  RunProgram([](DialogDriver&) {
    std::string failure;
    long residentEarly = 0;
    long residentLate = 0;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
          Session session(20261208);
          for (int step = 1; step <= kActions && failure.empty(); ++step) {
            failure = session.Step();
            // Let the window repaint now and then, as it would between keys.
            if (step % 500 == 0) QCoreApplication::processEvents();
            if (step == 20'000) residentEarly = ResidentKilobytes();
          }
          residentLate = ResidentKilobytes();
        },
        Qt::BlockingQueuedConnection);
    EXPECT_EQ(failure, "");
    std::printf("resident memory after 20000 actions: %ld KiB, after %d: %ld KiB\n", residentEarly, kActions,
                residentLate);
    // Flat: a leak of even a few bytes per action would show here. Under
    // AddressSanitizer freed memory sits in quarantine and the figure grows
    // by design; its leak checker speaks for leaks there.
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(residentLate - residentEarly, 4096);
#endif
  });
}

}  // namespace
}  // namespace kadenzo::testing_support
