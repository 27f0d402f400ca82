// The program's entry in the page. It runs once when the page has loaded
// the program, and again each time the page starts it anew.
#include "framework/web/web_dom.h"
#include "framework/win_app.h"

int main(int argc, char** argv) {
  kz_program_started();
  const int exitCode = kadenzo::AfxWinMain(argc, argv);
  // The page says that the program has ended and offers to start it again.
  kz_program_ended(exitCode);
  return exitCode;
}
