// The program's entry on desktops served by Qt.
#include "framework/win_app.h"

int main(int argc, char** argv) {
  return kadenzo::AfxWinMain(argc, argv);
}
