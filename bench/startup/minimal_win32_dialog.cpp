// The yardstick for KADENZO.EXE's start-up: about the least a Win32 dialog
// program does. One modal dialog made from a template in memory, with a
// label, an edit field and two buttons, in the calculator's font, run until
// it is closed. Built by the windows preset with the same cross-compiler,
// flags and static libraries as KADENZO.EXE (bench/startup/CMakeLists.txt).
#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

// A dialog template as DialogBoxIndirect reads it: WORDs, with each control
// starting on a DWORD boundary.
class TemplateWriter {
 public:
  void Word(std::uint16_t value) { words_.push_back(value); }
  void Dword(std::uint32_t value) {
    Word(static_cast<std::uint16_t>(value & 0xFFFF));
    Word(static_cast<std::uint16_t>(value >> 16));
  }
  void Text(std::string_view text) {
    for (char c : text) Word(static_cast<std::uint16_t>(static_cast<unsigned char>(c)));
    Word(0);
  }
  void Align() {
    if (words_.size() % 2 != 0) Word(0);
  }
  void Control(std::uint16_t classAtom, std::string_view text, std::uint16_t id, std::uint32_t style, short x, short y,
               short width, short height) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);  // extended style
    for (short value : {x, y, width, height}) Word(static_cast<std::uint16_t>(value));
    Word(id);
    Word(0xFFFF);  // a predefined class, by atom
    Word(classAtom);
    Text(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<std::uint16_t> words_;
};

constexpr std::uint16_t kButton = 0x0080;
constexpr std::uint16_t kEdit = 0x0081;
constexpr std::uint16_t kStatic = 0x0082;

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
    default: break;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  TemplateWriter writer;
  writer.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT);
  writer.Dword(0);  // extended style
  writer.Word(4);   // controls
  for (int value : {0, 0, 120, 40}) writer.Word(static_cast<std::uint16_t>(value));
  writer.Word(0);  // no menu
  writer.Word(0);  // the dialog class
  writer.Text("Minimal dialog");
  writer.Word(8);
  writer.Text("MS Sans Serif");
  writer.Control(kStatic, "Frames", 0xFFFF, SS_LEFT, 4, 4, 40, 8);
  writer.Control(kEdit, "0", 100, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 4, 16, 40, 13);
  writer.Control(kButton, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 76, 4, 40, 14);
  writer.Control(kButton, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 76, 22, 40, 14);
  return static_cast<int>(DialogBoxIndirectParamW(instance, writer.Get(), nullptr, DialogProc, 0));
}
