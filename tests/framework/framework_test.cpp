// The framework on its own, with a program of the tests' making: how
// notifications reach handlers, and what a person sees when the framework
// itself fails.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "framework/dialog.h"
#include "framework/exceptions.h"
#include "framework/win_app.h"
#include "tests/drivers/dialog_driver.h"

namespace kadenzo {

namespace {

constexpr int kOutOfMemory = 10;
constexpr int kNoResource = 11;
constexpr int kUnsupported = 12;
constexpr int kCount = 13;
constexpr int kCounter = 14;
constexpr int kRadioA = 20;
constexpr int kRadioB = 21;
constexpr int kRadioC = 22;
constexpr int kZero = 23;
constexpr int kMissingControl = 99;

constexpr std::uint32_t kStyles = DialogStyle::kPopup | DialogStyle::kVisible | DialogStyle::kCaption |
                                  DialogStyle::kSysMenu | DialogStyle::kModalFrame | DialogStyle::kSetFont;

constexpr ControlTemplate kControls[] = {
    {ControlKind::DefaultPushButton, 1, "OK", {4, 4, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::PushButton, kOutOfMemory, "Memory", {4, 20, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::PushButton, kNoResource, "Resource", {4, 36, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::PushButton, kUnsupported, "Unsupported", {4, 52, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::PushButton, kCount, "Count", {4, 68, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::Edit, kCounter, "", {50, 4, 40, 13}, ControlFlag::kTabStop | ControlFlag::kBorder},
    {ControlKind::AutoRadioButton, kRadioA, "A", {50, 20, 40, 10}, ControlFlag::kGroup},
    {ControlKind::AutoRadioButton, kRadioB, "B", {50, 32, 40, 10}},
    {ControlKind::Label, kStaticId, "not a radio button", {50, 44, 40, 10}},
    {ControlKind::AutoRadioButton, kRadioC, "C", {50, 56, 40, 10}},
    {ControlKind::Label, kStaticId, "next group", {50, 68, 40, 10}, ControlFlag::kGroup},
    {ControlKind::PushButton, kZero, "Zero", {4, 84, 40, 14}, ControlFlag::kTabStop},
};

constexpr DialogTemplate kTemplate{500, "Framework", 100, 102, "MS Sans Serif", 8, kStyles, kControls};

class FailingDialog : public CDialog {
 public:
  FailingDialog() : CDialog(kTemplate) {}
  int choice = 2;
  int readBack = -99;

 protected:
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    SetDlgItemInt(kCounter, 0);
    return true;
  }
  void DoDataExchange(DataExchange& dx) override {
    if (dx.IsSaving()) {
      dx.Radio(kRadioA, readBack);
    } else {
      dx.Radio(kRadioA, choice);
    }
  }
  const BindingTable& GetBindingTable() const override { return kTable; }

 private:
  void OnMemory() { throw std::bad_alloc(); }
  void OnResource() { SetDlgItemText(kMissingControl, "x"); }
  void OnUnsupported() { throw CNotSupportedException("no"); }
  void OnCount() {
    // Abandoned halfway when the next write fails: the count stays written.
    SetDlgItemInt(kCounter, GetDlgItemInt(kCounter) + 1);
  }
  void OnZero() { SetDlgItemInt(kCounter, 0); }

  static constexpr BindingRow kRows[] = {
      OnClicked<&FailingDialog::OnMemory>(kOutOfMemory),
      OnClicked<&FailingDialog::OnResource>(kNoResource),
      OnClicked<&FailingDialog::OnUnsupported>(kUnsupported),
      OnClicked<&FailingDialog::OnCount>(kCount),
      OnClicked<&FailingDialog::OnZero>(kZero),
  };
  static constexpr BindingTable kTable{&CDialog::kBindingTable, kRows};
};

constexpr StringResource kStrings[] = {{kAppTitleStringId, "Framework Test  Title"}};
constexpr ResourceTable kResources{kStrings, {}};

class TestApp : public CWinApp {
 public:
  TestApp() noexcept : CWinApp(kResources) {}

  bool InitInstance() override {
    SetDialogBkColor(Rgb(192, 192, 192), Rgb(0, 0, 0));
    FailingDialog dialog;
    dialog.choice = choice;
    result = dialog.DoModal();
    readBack = dialog.readBack;
    return true;
  }
  int choice = 2;
  int result = 0;
  int readBack = 0;
};

TestApp theTestApp;

using testing_support::DialogDriver;
using testing_support::Key;
using testing_support::RunProgram;

struct Failure {
  int button;
  const char* message;
};

// Every platform reads a number from a field by this one rule.
struct FieldNumberCase {
  std::string text;
  std::uint32_t value;
};

class ReadDlgItemIntTest : public testing::TestWithParam<FieldNumberCase> {};

TEST_P(ReadDlgItemIntTest, ReadsLeadingDigits) {
  EXPECT_EQ(ReadDlgItemInt(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadDlgItemIntTest,
                         testing::Values(FieldNumberCase{"", 0}, FieldNumberCase{"   ", 0}, FieldNumberCase{"x1", 0},
                                         FieldNumberCase{"75", 75}, FieldNumberCase{"  75", 75},
                                         FieldNumberCase{"12a", 12}, FieldNumberCase{"+5", 0}, FieldNumberCase{"-5", 0},
                                         FieldNumberCase{"\t5", 0}, FieldNumberCase{"4294967295", 4294967295},
                                         // Saturates rather than reading 0 or wrapping.
                                         FieldNumberCase{"4294967296", 4294967295},
                                         FieldNumberCase{std::string(60, '9'), 4294967295}));

TEST(FrameworkFailureTest, AFailingHandlerIsReportedAndTheDialogStaysOpen) {
  const Failure failures[] = {
      {kOutOfMemory, "Out of memory."},
      {kNoResource, "A required resource was unavailable."},
      {kUnsupported, "An unsupported operation was attempted."},
  };
  RunProgram([&](DialogDriver& d) {
    for (const Failure& failure : failures) {
      d.Click(failure.button);
      EXPECT_EQ(d.MessageBoxCaption(), "Framework Test  Title") << failure.message;
      EXPECT_EQ(d.MessageBoxText(), failure.message);
      d.Press(Key::Enter);
      EXPECT_EQ(d.MessageBoxText(), "");
      EXPECT_EQ(d.OpenDialogs(), std::vector<std::string>{"Framework"}) << failure.message;
    }
    // The dialog still answers.
    d.Click(kCount);
    d.Click(kCount);
    EXPECT_EQ(d.Text(kCounter), "2");
  });
}

TEST(FrameworkTest, RadioGroupsLoadAndReadBackByPositionAmongTheirButtons) {
  struct Case {
    int choice;
    std::vector<bool> checked;
    int clicked;
    int readBack;
  };
  const Case cases[] = {
      {0, {true, false, false}, 0, -1},
      {2, {false, false, true}, kRadioB, 1},
      {5, {false, false, false}, kRadioC, 2},  // out of range checks none
      {-1, {false, false, false}, 0, -1},
  };
  for (const Case& c : cases) {
    theTestApp.choice = c.choice;
    RunProgram([&](DialogDriver& d) {
      EXPECT_EQ((std::vector<bool>{d.IsChecked(kRadioA), d.IsChecked(kRadioB), d.IsChecked(kRadioC)}), c.checked);
      if (c.clicked != 0) d.Click(c.clicked);
      d.Click(1);
    });
    EXPECT_EQ(theTestApp.result, 1);
    EXPECT_EQ(theTestApp.readBack, c.clicked == 0 ? (c.choice >= 0 && c.choice < 3 ? c.choice : -1) : c.readBack);
  }
}

// A backend may leave a field alone that shows the text written already,
// but not one the person has typed into since: the program's write must
// reach it even when it is the very text the program wrote there before.
TEST(FrameworkTest, AWriteReachesAFieldThePersonChangedSinceTheLastWrite) {
  RunProgram([](DialogDriver& d) {
    d.Click(kZero);
    EXPECT_EQ(d.Text(kCounter), "0");
    d.Click(kCounter);
    d.Press(Key::End);
    d.Type("5");
    EXPECT_EQ(d.Text(kCounter), "05");
    d.Click(kZero);
    EXPECT_EQ(d.Text(kCounter), "0");
  });
}

TEST(FrameworkTest, CancelEndsWithTwoAndReadsNothingBack) {
  theTestApp.choice = 1;
  RunProgram([](DialogDriver& d) { d.Press(Key::Escape); });
  EXPECT_EQ(theTestApp.result, 2);
  EXPECT_EQ(theTestApp.readBack, -99);
}

}  // namespace
}  // namespace kadenzo
