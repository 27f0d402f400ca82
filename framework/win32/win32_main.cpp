// The program's entry on Windows. The command line is not read: the
// framework is given the program's own path and nothing else.
#include "framework/win32/win32_api.h"
#include "framework/win_app.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* argv[] = {path, nullptr};
  return kadenzo::AfxWinMain(1, argv);
}
