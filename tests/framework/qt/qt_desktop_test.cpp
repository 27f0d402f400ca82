// What only the Qt desktop shows: the desktop's own colour scheme must not
// change the calculator's grey faces, only its editable fields.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

#include "tests/ui/dialog_driver.h"
#include "ui/resource_ids.h"

namespace kadenzo::testing_support {
namespace {

class DarkSchemeTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = QApplication::palette();
    QPalette dark = saved_;
    dark.setColor(QPalette::Window, QColor(30, 30, 60));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(50, 50, 90));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(10, 40, 10));
    dark.setColor(QPalette::Text, QColor(200, 255, 200));
    QApplication::setPalette(dark);
  }
  void TearDown() override { QApplication::setPalette(saved_); }

 private:
  QPalette saved_;
};

TEST_F(DarkSchemeTest, FacesStayGreyAndEditableFieldsFollowTheScheme) {
  RunProgram([](DialogDriver& d) {
    EXPECT_EQ(d.FaceColour(), Rgb(192, 192, 192));
    EXPECT_EQ(d.BackgroundColour(IDC_RESULT_COUNT), Rgb(192, 192, 192));
    EXPECT_EQ(d.BackgroundColour(IDC_FIRST_COUNT), Rgb(10, 40, 10));
    d.Click(IDC_ABOUT);
    EXPECT_EQ(d.FaceColour(), Rgb(192, 192, 192));
  });
}

}  // namespace
}  // namespace kadenzo::testing_support
