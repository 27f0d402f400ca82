// GUI tests share one application object, made before any test runs and
// destroyed after the last, as the program's own entry does.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "framework/qt/qt_platform.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Headless unless told otherwise: real widgets, no display needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  const kadenzo::qt::ApplicationScope application("kadenzo");
  return RUN_ALL_TESTS();
}
