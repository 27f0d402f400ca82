// The dialog driver on the web backend. The program is the site's
// WebAssembly build, running in headless Chromium; this test process drives
// it through web_driver_helper.mjs, a Node program that serves the site and
// gives the browser real, trusted key presses and clicks at the controls'
// places through the DevTools protocol. The two talk over pipes, one request
// a line; every action is answered with what the page shows once the
// program has handled it, which the queries then read.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/drivers/dialog_driver.h"

extern char** environ;

namespace kadenzo::testing_support {

namespace {

bool g_foreignScheme = false;

// A string as a JSON string, for the helper.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The words of an answer line: plain words, and JSON strings unquoted.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    if (line[at] == ' ') {
      ++at;
      continue;
    }
    std::string word;
    if (line[at] != '"') {
      while (at < line.size() && line[at] != ' ') word += line[at++];
      words.push_back(word);
      continue;
    }
    ++at;
    while (at < line.size() && line[at] != '"') {
      if (line[at] != '\\') {
        word += line[at++];
        continue;
      }
      if (++at >= line.size()) break;
      const char e = line[at++];
      switch (e) {
        case 'n': word += '\n'; break;
        case 'r': word += '\r'; break;
        case 't': word += '\t'; break;
        case 'b': word += '\b'; break;
        case 'f': word += '\f'; break;
        case 'u': {
          unsigned code = static_cast<unsigned>(std::stoul(line.substr(at, 4), nullptr, 16));
          at += 4;
          if (code >= 0xD800 && code < 0xDC00 && line.compare(at, 2, "\\u") == 0) {
            const auto low = static_cast<unsigned>(std::stoul(line.substr(at + 2, 4), nullptr, 16));
            at += 6;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(word, code);
          break;
        }
        default: word += e;
      }
    }
    ++at;  // the closing quote
    words.push_back(word);
  }
  return words;
}

// The page's state after the last action.
struct PageState {
  struct Control {
    int id;
    bool checked;
    std::string text;
  };
  struct Window {
    std::string caption;
    bool alert = false;
    bool enabled = true;
    ScreenRect rect{};
    std::vector<Control> controls;
    std::vector<std::string> labels;
  };
  bool ended = false;
  int exitCode = -1;
  int focus = 0;
  ScreenRect desktop{};
  std::vector<Window> windows;  // outermost first
};

// The Node helper, started once for the test process and kept for all its
// programs: starting the browser is what costs.
class Helper {
 public:
  Helper() {
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) throw std::runtime_error("no pipes for the web driver");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    posix_spawn_file_actions_addclose(&actions, toChild[1]);
    posix_spawn_file_actions_addclose(&actions, fromChild[0]);
    std::string node = KADENZO_NODE;
    std::string script = KADENZO_WEB_DRIVER_HELPER;
    std::string site = KADENZO_WEB_SITE;
    if (const char* override = std::getenv("KADENZO_WEB_SITE")) site = override;
    char* argv[] = {node.data(), script.data(), site.data(), nullptr};
    const int spawned = posix_spawn(&pid_, node.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    if (spawned != 0) throw std::runtime_error("cannot start " + node);
    to_ = fdopen(toChild[1], "w");
    from_ = fdopen(fromChild[0], "r");
  }

  ~Helper() {
    if (to_ != nullptr) {
      std::fputs("quit\n", to_);
      std::fclose(to_);
    }
    if (from_ != nullptr) std::fclose(from_);
    int status = 0;
    waitpid(pid_, &status, 0);
  }

  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

  // Sends a request and returns the lines of its answer.
  std::vector<std::vector<std::string>> Ask(const std::string& request) {
    if (std::fputs((request + "\n").c_str(), to_) < 0 || std::fflush(to_) != 0)
      throw std::runtime_error("the web driver's helper has gone");
    std::vector<std::vector<std::string>> lines;
    std::string line;
    for (int c = std::fgetc(from_);; c = std::fgetc(from_)) {
      if (c == EOF) throw std::runtime_error("the web driver's helper ended while answering: " + request);
      if (c != '\n') {
        line += static_cast<char>(c);
        continue;
      }
      if (line == ".") break;
      lines.push_back(Words(line));
      line.clear();
    }
    if (!lines.empty() && !lines.front().empty() && lines.front().front() == "error")
      throw std::runtime_error(request.substr(0, request.find(' ')) + ": " + lines.front().at(1));
    return lines;
  }

 private:
  pid_t pid_ = 0;
  FILE* to_ = nullptr;
  FILE* from_ = nullptr;
};

Helper& TheHelper() {
  static Helper helper;
  return helper;
}

PageState ParseState(const std::vector<std::vector<std::string>>& lines) {
  PageState state;
  for (const auto& words : lines) {
    if (words.empty()) continue;
    const auto number = [&words](std::size_t i) { return std::stoi(words.at(i)); };
    if (words[0] == "state") {
      state.ended = number(1) != 0;
      state.exitCode = number(2);
      state.focus = number(3);
      state.desktop = {number(4), number(5), number(6), number(7)};
    } else if (words[0] == "window") {
      PageState::Window window;
      window.alert = number(1) != 0;
      window.enabled = number(2) != 0;
      window.rect = {number(3), number(4), number(5), number(6)};
      window.caption = words.at(7);
      state.windows.push_back(window);
    } else if (words[0] == "control" && !state.windows.empty()) {
      state.windows.back().controls.push_back({number(1), number(2) != 0, words.at(3)});
    } else if (words[0] == "label" && !state.windows.empty()) {
      state.windows.back().labels.push_back(words.at(1));
    }
  }
  return state;
}

const char* KeyName(Key key) {
  switch (key) {
    case Key::Tab: return "Tab";
    case Key::ShiftTab: return "ShiftTab";
    case Key::Enter: return "Enter";
    case Key::Escape: return "Escape";
    case Key::F1: return "F1";
    case Key::Backspace: return "Backspace";
    case Key::Delete: return "Delete";
    case Key::Home: return "Home";
    case Key::End: return "End";
    case Key::Left: return "Left";
    case Key::Right: return "Right";
    case Key::Up: return "Up";
    case Key::Down: return "Down";
    case Key::ShiftEnd: return "ShiftEnd";
    case Key::ShiftHome: return "ShiftHome";
    case Key::Copy: return "Copy";
    case Key::Paste: return "Paste";
    case Key::Cut: return "Cut";
    case Key::AltF4: return "AltF4";
  }
  return "";
}

class WebDriver final : public DialogDriver {
 public:
  explicit WebDriver(Helper& helper) : helper_(helper) {}

  void Start(const std::vector<std::string>& arguments) {
    std::string list = "[";
    for (const std::string& argument : arguments) list += (list.size() > 1 ? "," : "") + Quoted(argument);
    list += "]";
    state_ = ParseState(helper_.Ask(std::string("start ") + (g_foreignScheme ? "1 " : "0 ") + list));
  }

  // Cancels what is left open; returns the program's exit code.
  int Finish() {
    state_ = ParseState(helper_.Ask("finish"));
    return state_.exitCode;
  }

  const PageState& State() const { return state_; }

  void Type(std::string_view text) override { Act("type " + Quoted(text)); }
  void Press(Key key) override { Act(std::string("press ") + KeyName(key)); }
  void Click(int id) override { Act("click " + std::to_string(id)); }
  void ClickIn(std::string_view caption, int id) override {
    Act("clickin " + Quoted(caption) + " " + std::to_string(id));
  }
  void CloseBox() override { Act("closebox"); }

  void SetClipboard(std::string_view text) override {
    RequireRunning();
    helper_.Ask("setclip " + Quoted(text));
  }
  std::string Clipboard() override {
    RequireRunning();
    return helper_.Ask("clip").at(0).at(1);
  }

  bool HasEnded() override { return state_.ended; }

  std::string ActiveCaption() override {
    const PageState::Window* dialog = ActiveDialog();
    return dialog != nullptr ? dialog->caption : std::string();
  }
  std::string MessageBoxCaption() override {
    const PageState::Window* box = MessageBoxWindow();
    return box != nullptr ? box->caption : std::string();
  }
  std::string MessageBoxText() override {
    const PageState::Window* box = MessageBoxWindow();
    if (box == nullptr) return {};
    std::string text;
    for (const std::string& label : box->labels) text += (text.empty() ? "" : "\n") + label;
    return text;
  }

  std::vector<std::string> OpenDialogs() override {
    std::vector<std::string> captions;
    for (const auto& window : state_.windows) {
      if (!window.alert) captions.push_back(window.caption);
    }
    return captions;
  }

  std::string Text(int id) override { return ControlOf(id).text; }
  bool IsChecked(int id) override { return ControlOf(id).checked; }
  int FocusedId() override {
    RequireActiveDialog();
    return state_.focus;
  }
  std::vector<std::string> LabelTexts() override { return RequireActiveDialog().labels; }

  bool IsDialogEnabled(std::string_view caption) override { return DialogByCaption(caption).enabled; }
  ScreenRect DialogRect(std::string_view caption) override { return DialogByCaption(caption).rect; }
  ScreenRect DesktopRect() override { return state_.desktop; }

  Colour FaceColour() override { return ColourOf("colour face 0"); }
  Colour BackgroundColour(int id) override { return ColourOf("colour background " + std::to_string(id)); }
  Colour TextColour(int id) override { return ColourOf("colour text " + std::to_string(id)); }

 private:
  void RequireRunning() const {
    if (state_.ended) throw std::runtime_error("the program has ended");
  }

  void Act(const std::string& request) {
    RequireRunning();
    state_ = ParseState(helper_.Ask(request));
  }

  const PageState::Window* ActiveDialog() const {
    for (auto window = state_.windows.rbegin(); window != state_.windows.rend(); ++window) {
      if (!window->alert) return &*window;
    }
    return nullptr;
  }
  const PageState::Window* MessageBoxWindow() const {
    for (auto window = state_.windows.rbegin(); window != state_.windows.rend(); ++window) {
      if (window->alert) return &*window;
    }
    return nullptr;
  }

  const PageState::Window& RequireActiveDialog() const {
    const PageState::Window* dialog = ActiveDialog();
    if (dialog == nullptr) throw std::runtime_error("no dialog is open");
    return *dialog;
  }

  const PageState::Window& DialogByCaption(std::string_view caption) const {
    for (const auto& window : state_.windows) {
      if (!window.alert && window.caption == caption) return window;
    }
    throw std::runtime_error("no open dialog with that caption: " + std::string(caption));
  }

  const PageState::Control& ControlOf(int id) const {
    for (const auto& control : RequireActiveDialog().controls) {
      if (control.id == id) return control;
    }
    throw std::runtime_error("no control with that id: " + std::to_string(id));
  }

  Colour ColourOf(const std::string& request) {
    RequireRunning();
    const auto words = helper_.Ask(request).at(0);
    const auto channel = [&words](std::size_t i) { return static_cast<std::uint8_t>(std::stoi(words.at(i))); };
    return Rgb(channel(1), channel(2), channel(3));
  }

  Helper& helper_;
  PageState state_;
};

}  // namespace

// On the web, the colour scheme a page can be given: the browser's dark
// scheme, and a person's own styles in the foreign colours, which reach
// whatever the page leaves uncoloured (web_driver_helper.mjs).
ForeignColourScheme::ForeignColourScheme() {
  g_foreignScheme = true;
  restore_ = [] { g_foreignScheme = false; };
}

ForeignColourScheme::~ForeignColourScheme() {
  restore_();
}

int RunProgram(const std::function<void(DialogDriver&)>& script, std::vector<std::string> arguments) {
  WebDriver driver(TheHelper());
  driver.Start(arguments);
  // A program that ends before its first dialog opens would otherwise pass
  // every test whose checks are all in the script.
  if (driver.State().ended || driver.State().windows.empty())
    throw std::runtime_error("the program ended before its first dialog opened");
  std::exception_ptr failure;
  try {
    script(driver);
  } catch (...) {
    // Also when the program has ended: a script that still asks something
    // of it saw it end too early (an Enter that pressed Close instead).
    failure = std::current_exception();
  }
  const int exitCode = driver.Finish();
  if (failure) std::rethrow_exception(failure);
  return exitCode;
}

}  // namespace kadenzo::testing_support
