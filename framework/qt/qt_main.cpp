// The program's entry on desktops served by Qt.
#include "framework/qt/qt_platform.h"
#include "framework/win_app.h"

int main(int argc, char** argv) {
  const kadenzo::qt::ApplicationScope application(argc > 0 && argv[0] != nullptr ? argv[0] : "kadenzo");
  return kadenzo::AfxWinMain(argc, argv);
}
