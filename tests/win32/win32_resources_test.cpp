// What only the Windows build has: the resources compiled into KADENZO.EXE
// as Windows itself reads them, the colour answers of live dialogs and
// message boxes, the start-up's names, and the calculator's layout at the
// screen's DPI.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/resource.h"
#include "framework/backend.h"
#include "framework/win32/win32_api.h"
#include "framework/win32/win32_dialog.h"
#include "framework/win_app.h"
#include "ui/dialog_templates.h"
#include "ui/resource_ids.h"
// clang-format off
#include <oleacc.h>
// clang-format on

namespace kadenzo {
namespace {

#include "app/icon/kadenzo.xpm"

using namespace std::chrono_literals;

constexpr Colour kGrey = Rgb(192, 192, 192);
constexpr Colour kBlack = Rgb(0, 0, 0);

// The program under test, as CMake built it. Wine reads an absolute Unix
// path on the drive that maps the root directory.
std::string ProgramPath() {
  std::string path = KADENZO_EXE_PATH;
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && !path.empty() && path[0] == '/') {
    path = "Z:" + path;
  }
  return path;
}

std::vector<char> VersionInfo() {
  const std::string path = ProgramPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  std::vector<char> data(size);
  if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return {};
  return data;
}

std::optional<std::string> VersionString(std::vector<char>& info, const std::string& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::string query = "\\StringFileInfo\\040904E4\\" + name;
  if (!VerQueryValueA(info.data(), query.c_str(), &value, &length)) return std::nullopt;
  // The length counts the terminating zero, when there is one.
  const char* text = static_cast<const char*>(value);
  return std::string(text, strnlen(text, length));
}

TEST(Win32ResourcesTest, VersionResourceNamesTheProgram) {
  std::vector<char> info = VersionInfo();
  ASSERT_FALSE(info.empty()) << ProgramPath();

  const std::pair<const char*, const char*> strings[] = {
      {"Comments", ""},
      {"CompanyName", ""},
      {"FileDescription", "KADENZO MFC Application"},
      {"FileVersion", "1.0.001"},
      {"InternalName", "KADENZO"},
      {"LegalCopyright", ""},
      {"LegalTrademarks", ""},
      {"OriginalFilename", "KADENZO.EXE"},
      {"PrivateBuild", ""},
      {"ProductName", "KADENZO"},
      {"ProductVersion", "1.0.001"},
      {"SpecialBuild", ""},
  };
  for (const auto& [name, expected] : strings) {
    EXPECT_EQ(VersionString(info, name), std::optional<std::string>(expected)) << name;
  }

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  // 1,0,0,1 for both.
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translation = nullptr;
  ASSERT_TRUE(
      VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);  // US English
  EXPECT_EQ(translation[1], 0x04E4);  // code page 1252
}

class ProgramModule : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << ProgramPath();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_F(ProgramModule, StringTableHoldsTheTitle) {
  char buffer[256] = {};
  const int length = LoadStringA(module_, IDS_APP_TITLE, buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(std::max(length, 0))), "Kadenzo 32 Bit  Windows Application");
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colourCount, reserved;
  WORD planes, bitCount;
  DWORD bytesInRes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
  GroupIconEntry entries[1];
};
#pragma pack(pop)

// The XPM's pixels as colours, nullopt where it is transparent.
std::vector<std::vector<std::optional<COLORREF>>> XpmPixels() {
  std::istringstream header(kadenzo_xpm[0]);
  int width = 0, height = 0, colours = 0, charsPerPixel = 0;
  header >> width >> height >> colours >> charsPerPixel;
  std::map<char, std::optional<COLORREF>> palette;
  for (int i = 1; i <= colours; ++i) {
    const std::string line = kadenzo_xpm[i];
    const std::string value = line.substr(line.rfind(' ') + 1);
    if (value == "None") {
      palette[line[0]] = std::nullopt;
    } else {
      const unsigned long rgb = std::stoul(value.substr(1), nullptr, 16);
      palette[line[0]] = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
  }
  std::vector<std::vector<std::optional<COLORREF>>> pixels;
  for (int y = 0; y < height; ++y) {
    std::vector<std::optional<COLORREF>> row;
    for (int x = 0; x < width; ++x) row.push_back(palette.at(kadenzo_xpm[1 + colours + y][x]));
    pixels.push_back(row);
  }
  return pixels;
}

TEST_F(ProgramModule, IconIsTheXpmAs32By32In16Colours) {
  const HRSRC groupResource = FindResourceA(module_, MAKEINTRESOURCEA(IDR_APP_ICON), MAKEINTRESOURCEA(14));
  ASSERT_NE(groupResource, nullptr);
  const auto* group = static_cast<const GroupIconHeader*>(LockResource(LoadResource(module_, groupResource)));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->type, 1);
  ASSERT_EQ(group->count, 1);
  const GroupIconEntry& entry = group->entries[0];
  EXPECT_EQ(entry.width, 32);
  EXPECT_EQ(entry.height, 32);
  EXPECT_EQ(entry.colourCount, 16);
  EXPECT_EQ(entry.bitCount, 4);

  const HRSRC imageResource = FindResourceA(module_, MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3));
  ASSERT_NE(imageResource, nullptr);
  const auto* image = static_cast<const BYTE*>(LockResource(LoadResource(module_, imageResource)));
  BITMAPINFOHEADER bitmap{};
  std::memcpy(&bitmap, image, sizeof bitmap);
  EXPECT_EQ(bitmap.biWidth, 32);
  EXPECT_EQ(bitmap.biHeight, 64);  // colour rows and mask rows
  ASSERT_EQ(bitmap.biBitCount, 4);
  ASSERT_EQ(bitmap.biCompression, static_cast<DWORD>(BI_RGB));

  const auto* palette = reinterpret_cast<const RGBQUAD*>(image + bitmap.biSize);
  const BYTE* colourRows = image + bitmap.biSize + 16 * sizeof(RGBQUAD);
  const BYTE* maskRows = colourRows + 16 * 32;
  const auto expected = XpmPixels();
  ASSERT_EQ(expected.size(), 32u);
  int wrong = 0;
  for (int y = 0; y < 32; ++y) {
    const int row = 31 - y;  // bottom-up
    for (int x = 0; x < 32; ++x) {
      const bool transparent = ((maskRows[row * 4 + x / 8] >> (7 - x % 8)) & 1) != 0;
      const BYTE pair = colourRows[row * 16 + x / 2];
      const RGBQUAD& quad = palette[x % 2 == 0 ? pair >> 4 : pair & 0x0F];
      const COLORREF colour = RGB(quad.rgbRed, quad.rgbGreen, quad.rgbBlue);
      const auto& want = expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      if (transparent != !want.has_value() || (want && colour != *want)) {
        if (++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y << " differs from the XPM";
      }
    }
  }
  EXPECT_EQ(wrong, 0);

  // And Windows can make an icon of it at its size.
  const HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image), SizeofResource(module_, imageResource), TRUE,
                                              0x00030000, 32, 32, 0);
  EXPECT_NE(icon, nullptr);
  if (icon != nullptr) DestroyIcon(icon);
}

// The manifest as the loader reads it, from the resource it looks for.
TEST_F(ProgramModule, ManifestAsksForPerMonitorDpiAndTheCallersRightsAndKeepsTheClassicControls) {
  const HRSRC resource = FindResourceA(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(resource, nullptr) << "no application manifest where the loader looks for one";
  const auto* data = static_cast<const char*>(LockResource(LoadResource(module_, resource)));
  ASSERT_NE(data, nullptr);
  const std::string manifest(data, SizeofResource(module_, resource));
  EXPECT_NE(manifest.find(">PerMonitorV2, System</dpiAwareness>"), std::string::npos);
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  // Common Controls 6 would draw every button and field in the desktop's
  // visual style.
  EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}

TEST(Win32StartTest, ModuleBaseNameDropsTheDirectoryAndTheExtension) {
  EXPECT_EQ(backend::ModuleBaseName(), "kadenzo_win32_resources_test");
}

// A live dialog with one control of each kind that asks for colours.
constexpr int kLabel = 10;
constexpr int kPush = 11;
constexpr int kRadio = 12;
constexpr int kFrame = 13;
constexpr int kReadOnly = 14;
constexpr int kEditable = 15;

constexpr ControlTemplate kControls[] = {
    {ControlKind::DefaultPushButton, 1, "OK", {4, 4, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::Label, kLabel, "Label && more", {4, 22, 60, 8}},
    {ControlKind::PushButton, kPush, "Push", {4, 32, 40, 14}, ControlFlag::kTabStop},
    {ControlKind::AutoRadioButton, kRadio, "Radio", {4, 50, 40, 10}, ControlFlag::kGroup},
    {ControlKind::GroupFrame, kFrame, "", {50, 4, 40, 40}},
    {ControlKind::Edit, kReadOnly, "", {50, 50, 40, 13}, ControlFlag::kBorder | ControlFlag::kReadOnly},
    {ControlKind::Edit, kEditable, "", {50, 66, 40, 13}, ControlFlag::kBorder | ControlFlag::kTabStop},
    {ControlKind::Icon, kStaticId, "", {4, 64, 18, 20}, 0, TextAlign::Left, IDR_APP_ICON},
};
constexpr std::uint32_t kStyles = DialogStyle::kPopup | DialogStyle::kVisible | DialogStyle::kCaption |
                                  DialogStyle::kSysMenu | DialogStyle::kModalFrame | DialogStyle::kSetFont;
constexpr DialogTemplate kTemplate{900, "Colours", 100, 90, "MS Sans Serif", 8, kStyles, kControls};

struct ColourAnswer {
  bool brushIsFace = false;
  Colour brushColour = 0;
  Colour background = 0;
  Colour text = 0;
};

// Sends the colour message a control sends its dialog, with a fresh DC.
ColourAnswer AskColours(HWND dialog, UINT message, HWND control) {
  const HDC dc = CreateCompatibleDC(nullptr);
  SetBkColor(dc, RGB(1, 2, 3));
  SetTextColor(dc, RGB(4, 5, 6));
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageA(dialog, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  ColourAnswer answer;
  LOGBRUSH logBrush{};
  if (brush != nullptr && GetObjectA(brush, sizeof logBrush, &logBrush) == sizeof logBrush) {
    answer.brushIsFace = logBrush.lbStyle == BS_SOLID;
    answer.brushColour = static_cast<Colour>(logBrush.lbColor);
  }
  answer.background = static_cast<Colour>(GetBkColor(dc));
  answer.text = static_cast<Colour>(GetTextColor(dc));
  DeleteDC(dc);
  return answer;
}

class ColourSite : public DialogSite {
 public:
  struct Asked {
    const char* name;
    UINT message;
    int id;  // 0: the dialog itself
    ColourAnswer answer;
  };
  std::vector<Asked> asked = {
      {"dialog face", WM_CTLCOLORDLG, 0, {}},
      {"label", WM_CTLCOLORSTATIC, kLabel, {}},
      {"read-only edit", WM_CTLCOLORSTATIC, kReadOnly, {}},
      {"push button", WM_CTLCOLORBTN, kPush, {}},
      {"radio button", WM_CTLCOLORBTN, kRadio, {}},
      {"group frame", WM_CTLCOLORBTN, kFrame, {}},
      {"editable field", WM_CTLCOLOREDIT, kEditable, {}},
  };
  std::string labelText;
  bool iconShown = false;

  bool InitDialog(DialogWindow& window) override {
    auto& win32Window = static_cast<win32::Win32DialogWindow&>(window);
    const HWND hwnd = win32Window.Handle();
    for (Asked& ask : asked) {
      ask.answer = AskColours(hwnd, ask.message, ask.id == 0 ? hwnd : GetDlgItem(hwnd, ask.id));
    }
    labelText = window.GetItemText(kLabel);
    const HWND iconControl = win32Window.Controls().back();
    iconShown = SendMessageA(iconControl, STM_GETICON, 0, 0) != 0;
    window.EndModalLoop(1);
    return true;
  }
  void Command(int, std::uint16_t) override {}
  void Detach() override {}
};

TEST(Win32ColourTest, FacesLabelsButtonsAndReadOnlyFieldsAnswerGreyAndEditableFieldsAreLeftAlone) {
  backend::Initialise("test", {});
  backend::SetDialogColours(kGrey, kBlack);
  ColourSite site;
  EXPECT_EQ(backend::RunModal(kTemplate, nullptr, site), 1);
  for (const ColourSite::Asked& ask : site.asked) {
    if (ask.message == WM_CTLCOLOREDIT) {
      // The system's answer: the window colours of the desktop's scheme.
      EXPECT_NE(ask.answer.brushColour, kGrey) << ask.name;
      EXPECT_EQ(ask.answer.background, static_cast<Colour>(GetSysColor(COLOR_WINDOW))) << ask.name;
      EXPECT_EQ(ask.answer.text, static_cast<Colour>(GetSysColor(COLOR_WINDOWTEXT))) << ask.name;
    } else {
      EXPECT_TRUE(ask.answer.brushIsFace) << ask.name;
      EXPECT_EQ(ask.answer.brushColour, kGrey) << ask.name;
      EXPECT_EQ(ask.answer.background, kGrey) << ask.name;
      EXPECT_EQ(ask.answer.text, kBlack) << ask.name;
    }
  }
  // The template's "&&" reaches the control as written; the control shows one.
  EXPECT_EQ(site.labelText, "Label && more");
  EXPECT_TRUE(site.iconShown);
}

// Whether the system keeps dynamic annotations: Wine takes them and keeps
// nothing (its SetHwndPropStr is a stub), so there a name cannot be read back.
bool AnnotationsAreKept(HWND window) {
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                              reinterpret_cast<void**>(&services))))
    return false;
  const bool kept = SUCCEEDED(
      services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_HELP, L"probe"));
  services->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_HELP, 1);
  services->Release();
  return kept;
}

std::string ReadText(IAccessible& accessible, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  std::string narrow;
  if (SUCCEEDED((accessible.*get)(self, &text)) && text != nullptr) {
    for (const wchar_t* c = text; *c != 0; ++c) narrow += static_cast<char>(*c);
  }
  SysFreeString(text);
  return narrow;
}

// A field named by the dialog, as a screen reader asks its accessible object.
class NamingSite : public DialogSite {
 public:
  bool kept = false;
  std::string name, description;

  bool InitDialog(DialogWindow& window) override {
    window.SetAccessibleName(kEditable, "Editable field", "What the field holds");
    const HWND dialog = static_cast<win32::Win32DialogWindow&>(window).Handle();
    kept = AnnotationsAreKept(dialog);
    IAccessible* accessible = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(GetDlgItem(dialog, kEditable), static_cast<DWORD>(OBJID_CLIENT),
                                             IID_IAccessible, reinterpret_cast<void**>(&accessible)))) {
      name = ReadText(*accessible, &IAccessible::get_accName);
      description = ReadText(*accessible, &IAccessible::get_accDescription);
      accessible->Release();
    }
    window.EndModalLoop(1);
    return true;
  }
  void Command(int, std::uint16_t) override {}
  void Detach() override {}
};

TEST(Win32AccessibilityTest, AFieldSpeaksTheNameTheDialogGaveIt) {
  backend::Initialise("test", {});
  NamingSite site;
  EXPECT_EQ(backend::RunModal(kTemplate, nullptr, site), 1);
  if (!site.kept) {
    // Under Wine the name a reader hears is the nearest label's; the
    // annotation is made all the same and costs the program nothing.
    std::printf("dynamic annotations are not kept here; the field reads as '%s'\n", site.name.c_str());
    return;
  }
  EXPECT_EQ(site.name, "Editable field");
  EXPECT_EQ(site.description, "What the field holds");
}

// The calculator as the dialog manager lays it out in this process, which
// carries KADENZO.EXE's resources and so its manifest.
class LayoutSite : public DialogSite {
 public:
  UINT dpi = 0;
  RECT client{};
  DPI_AWARENESS awareness = DPI_AWARENESS_INVALID;

  bool InitDialog(DialogWindow& window) override {
    const HWND hwnd = static_cast<win32::Win32DialogWindow&>(window).Handle();
    dpi = GetDpiForWindow(hwnd);
    GetClientRect(hwnd, &client);
    awareness = GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(hwnd));
    window.EndModalLoop(1);
    return true;
  }
  void Command(int, std::uint16_t) override {}
  void Detach() override {}
};

// The dialog's size at 96 DPI: its template in dialog units, a dialog unit
// being a quarter of the template font's average character width across
// and an eighth of its height down, the font at its point size at 96 DPI.
SIZE SizeAt96Dpi(const DialogTemplate& dialog) {
  const HDC screen = GetDC(nullptr);
  const std::string face(dialog.fontName);
  const HFONT font = CreateFontA(-MulDiv(dialog.fontPoints, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str());
  const HGDIOBJ previous = SelectObject(screen, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(screen, &metrics);
  constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE letters{};
  GetTextExtentPoint32A(screen, kLetters, 52, &letters);
  SelectObject(screen, previous);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  const int unitX = (letters.cx / 26 + 1) / 2;
  return {MulDiv(dialog.width, unitX, 4), MulDiv(dialog.height, static_cast<int>(metrics.tmHeight), 8)};
}

// KADENZO_TEST_DPI names the DPI the desktop is set to, where a run is meant
// for one: the test then fails if it finds another.
TEST(Win32DpiTest, TheCalculatorIsLaidOutAtTheScreensDpiByAProgramThatScalesItself) {
  backend::Initialise("test", {});
  LayoutSite site;
  EXPECT_EQ(backend::RunModal(kCalculatorTemplate, nullptr, site), 1);
  // Windows lays out a program that does not declare this at 96 DPI and
  // stretches its window. (Wine takes every program for per-monitor aware
  // and lays every one out at the desktop's DPI, so there it is the
  // manifest test above that finds a missing declaration.)
  EXPECT_EQ(site.awareness, DPI_AWARENESS_PER_MONITOR_AWARE);
  if (const char* wanted = std::getenv("KADENZO_TEST_DPI"); wanted != nullptr && *wanted != 0) {
    EXPECT_EQ(site.dpi, static_cast<UINT>(std::atoi(wanted)));
  }
  // The dialog font does not grow in exact proportion to the DPI, so
  // neither does the window: at 192 DPI it is 1.85 to 2 times as large.
  const SIZE base = SizeAt96Dpi(kCalculatorTemplate);
  const double scale = site.dpi / 96.0;
  const double across = (site.client.right - site.client.left) / static_cast<double>(base.cx);
  const double down = (site.client.bottom - site.client.top) / static_cast<double>(base.cy);
  std::printf("at %u DPI the calculator's client area is %ldx%ld, %.2fx%.2f its %ldx%ld at 96 DPI\n", site.dpi,
              site.client.right, site.client.bottom, across, down, base.cx, base.cy);
  EXPECT_GT(across, 0.85 * scale);
  EXPECT_LT(across, 1.1 * scale);
  EXPECT_GT(down, 0.85 * scale);
  EXPECT_LT(down, 1.1 * scale);
}

// The message box test's program: one box, then the end.
class MessageBoxApp : public CWinApp {
 public:
  bool InitInstance() override {
    SetDialogBkColor(kGrey, kBlack);
    result = AfxMessageBox("Something to say.", backend::kMbIconExclamation);
    return true;
  }
  int result = 0;
};
MessageBoxApp theMessageBoxApp;

TEST(Win32MessageBoxTest, IsCaptionedWithTheTitleAndTakesTheDialogColours) {
  std::atomic<bool> done = false;
  std::string caption;
  ColourAnswer face, text;
  std::thread watcher([&] {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    HWND box = nullptr;
    while (!done && (box = FindWindowA("#32770", KADENZO_APP_TITLE)) == nullptr &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(10ms);
    }
    if (box == nullptr) return;
    char buffer[256] = {};
    GetWindowTextA(box, buffer, sizeof buffer);
    caption = buffer;
    face = AskColours(box, WM_CTLCOLORDLG, box);
    text = AskColours(box, WM_CTLCOLORSTATIC, GetWindow(box, GW_CHILD));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  char name[] = "kadenzo";
  char* argv[] = {name, nullptr};
  const int exitCode = AfxWinMain(1, argv);
  done = true;
  watcher.join();

  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(theMessageBoxApp.GetAppTitle(), KADENZO_APP_TITLE);
  EXPECT_EQ(caption, KADENZO_APP_TITLE);
  EXPECT_EQ(theMessageBoxApp.result, IDOK);
  EXPECT_TRUE(face.brushIsFace);
  EXPECT_EQ(face.brushColour, kGrey);
  EXPECT_EQ(text.background, kGrey);
  EXPECT_EQ(text.text, kBlack);
}

}  // namespace
}  // namespace kadenzo
