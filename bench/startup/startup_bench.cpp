// How long programs take from being started to having their window on the
// screen, and how much memory they use at their peak.
//
//   kadenzo_startup_bench [--runs N] [--settle MS] [--timeout S]
//       --case NAME TITLE COMMAND [ARGUMENT...]
//       --case NAME TITLE COMMAND [ARGUMENT...] ...
//
// Each case is a command and the title of the window it opens. The programs
// run on the X display named by DISPLAY, which should be one of their own
// (a fresh Xvfb, with no window manager): a top-level window is then mapped
// the moment the program asks for it, and nothing else maps windows there.
//
// The clock starts just before fork() and stops when the X server reports a
// top-level window with that title mapped. Nothing in the programs is changed
// or preloaded to tell us: the server sees the map request, so the time is
// what a person would see, less the drawing of the window's contents, which
// Qt does after it is mapped. The program is then left running for the
// settling time, so that its first paint is done, and ended with SIGTERM;
// its peak resident memory is the ru_maxrss that wait4() reports.
//
// Beside the time a person waits, the processor time the program itself
// has used when its window is mapped (all its threads, from the scheduler's
// account in /proc), which a busy machine stretches far less: the time to
// the window also counts the turns the program waited for a processor, and
// the work of other processes it waits on (an X server, Wine's server).
//
// The cases take turns, one run each per round, and the order of the turns
// is reversed every other round, so that a machine that gets busier or
// quieter during the runs weighs on every case alike. One run of each case
// before the timed ones warms the file cache and is not counted.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Whether the child has ended, leaving it to be reaped by wait4 later.
bool HasEnded(pid_t child) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == child;
}

struct Case {
  std::string name;
  std::string title;
  std::vector<std::string> command;
  std::vector<double> startMs;
  std::vector<double> cpuMs;
  std::vector<double> peakKiB;
};

struct Options {
  int runs = 21;
  int settleMs = 1000;
  int timeoutS = 60;
  std::vector<Case> cases;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "kadenzo_startup_bench: %s\n", message.c_str());
  std::exit(2);
}

void Usage() {
  std::fprintf(stderr,
               "usage: kadenzo_startup_bench [--runs N] [--settle MS] [--timeout S]\n"
               "         --case NAME TITLE COMMAND [ARGUMENT...] [--case ...]\n");
  std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc;) {
    const std::string_view word = argv[i];
    const auto number = [&](int& out) {
      if (i + 1 >= argc) Usage();
      out = std::atoi(argv[i + 1]);
      i += 2;
    };
    if (word == "--runs") {
      number(options.runs);
    } else if (word == "--settle") {
      number(options.settleMs);
    } else if (word == "--timeout") {
      number(options.timeoutS);
    } else if (word == "--case") {
      if (i + 3 >= argc) Usage();
      Case entry{argv[i + 1], argv[i + 2], {}, {}, {}, {}};
      i += 3;
      while (i < argc && std::string_view(argv[i]) != "--case") entry.command.emplace_back(argv[i++]);
      if (entry.command.empty()) Usage();
      options.cases.push_back(std::move(entry));
    } else {
      Usage();
    }
  }
  if (options.cases.empty() || options.runs < 1) Usage();
  return options;
}

// The display, watching the root window for its children being mapped.
class Display {
 public:
  Display() {
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_) != 0) Fail("cannot connect to the X display (is DISPLAY set?)");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    netWmName_ = Atom("_NET_WM_NAME");
    xcb_flush(connection_);
  }
  ~Display() { xcb_disconnect(connection_); }
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  // Forgets whatever happened before now.
  void Drain() {
    xcb_flush(connection_);
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
  }

  // Waits up to `timeout` for a top-level window titled `title` to be
  // mapped, or for the child to end; returns when the window was mapped.
  std::optional<Clock::time_point> WaitForWindow(const std::string& title, pid_t child, Clock::duration timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    std::vector<xcb_window_t> mappedUntitled;
    while (Clock::now() < deadline) {
      xcb_generic_event_t* event = xcb_poll_for_event(connection_);
      if (event == nullptr) {
        if (xcb_connection_has_error(connection_) != 0) Fail("lost the X display");
        if (HasEnded(child)) return std::nullopt;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&fd, 1, 20);
        continue;
      }
      const Clock::time_point when = Clock::now();
      const std::uint8_t type = event->response_type & 0x7F;
      std::optional<Clock::time_point> shown;
      if (type == XCB_MAP_NOTIFY) {
        const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
        if (map->event == root_) {
          if (Title(map->window) == title) {
            shown = when;
          } else {
            // The title may come after the map: watch the window's properties.
            const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(connection_, map->window, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(connection_);
            mappedUntitled.push_back(map->window);
            if (Title(map->window) == title) shown = when;
          }
        }
      } else if (type == XCB_PROPERTY_NOTIFY) {
        const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (std::find(mappedUntitled.begin(), mappedUntitled.end(), property->window) != mappedUntitled.end() &&
            Title(property->window) == title)
          shown = when;
      }
      std::free(event);
      if (shown) return shown;
    }
    return std::nullopt;
  }

 private:
  xcb_atom_t Atom(const char* name) {
    const auto cookie = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection_, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  }

  std::string Property(xcb_window_t window, xcb_atom_t atom) {
    const auto cookie = xcb_get_property(connection_, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection_, cookie, nullptr), &std::free);
    if (!reply || reply->format != 8) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
  }

  // The window's title as a window manager would show it.
  std::string Title(xcb_window_t window) {
    std::string title = Property(window, netWmName_);
    return title.empty() ? Property(window, XCB_ATOM_WM_NAME) : title;
  }

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  xcb_atom_t netWmName_ = XCB_ATOM_NONE;
};

struct Run {
  double startMs;
  double cpuMs;
  double peakKiB;
};

// The processor time all of the process's threads have used so far.
double CpuMs(pid_t process) {
  const std::string tasks = "/proc/" + std::to_string(process) + "/task";
  struct Closer {
    void operator()(DIR* open) const { closedir(open); }
  };
  const std::unique_ptr<DIR, Closer> directory(opendir(tasks.c_str()));
  if (!directory) return 0;
  double nanoseconds = 0;
  while (const dirent* task = readdir(directory.get())) {
    if (task->d_name[0] == '.') continue;
    std::ifstream schedstat(tasks + "/" + task->d_name + "/schedstat");
    double onCpu = 0;
    if (schedstat >> onCpu) nanoseconds += onCpu;
  }
  return nanoseconds / 1e6;
}

pid_t Launch(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) Fail("fork failed");
  if (child == 0) {
    // The programs' own messages would only get in the way of the figures.
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
    }
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

std::optional<Run> RunOnce(Display& display, const Case& entry, const Options& options) {
  display.Drain();
  const Clock::time_point start = Clock::now();
  const pid_t child = Launch(entry.command);
  const auto shown = display.WaitForWindow(entry.title, child, std::chrono::seconds(options.timeoutS));
  const double cpuMs = shown ? CpuMs(child) : 0;
  if (shown) {
    // Let the first paint finish: the peak counts a program that is up.
    const Clock::time_point settled = *shown + std::chrono::milliseconds(options.settleMs);
    while (Clock::now() < settled && !HasEnded(child)) usleep(10000);
  }
  kill(child, SIGTERM);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) Fail("wait4 failed");
  if (!shown) {
    std::fprintf(stderr, "kadenzo_startup_bench: %s showed no window titled '%s'\n", entry.name.c_str(),
                 entry.title.c_str());
    return std::nullopt;
  }
  return Run{std::chrono::duration<double, std::milli>(*shown - start).count(), cpuMs,
             static_cast<double>(usage.ru_maxrss)};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ParseOptions(argc, argv);
  // A program that ends on its own must not end this one.
  signal(SIGPIPE, SIG_IGN);
  Display display;

  for (const Case& entry : options.cases) {
    if (!RunOnce(display, entry, options)) return 1;
  }
  for (int round = 0; round < options.runs; ++round) {
    for (std::size_t turn = 0; turn < options.cases.size(); ++turn) {
      const std::size_t index = round % 2 == 0 ? turn : options.cases.size() - 1 - turn;
      Case& entry = options.cases[index];
      const std::optional<Run> run = RunOnce(display, entry, options);
      if (!run) return 1;
      entry.startMs.push_back(run->startMs);
      entry.cpuMs.push_back(run->cpuMs);
      entry.peakKiB.push_back(run->peakKiB);
    }
  }

  std::printf("%-12s %5s %12s %12s %12s %12s %14s %14s\n", "program", "runs", "start ms", "min ms", "max ms", "cpu ms",
              "peak RSS KiB", "min-max KiB");
  for (const Case& entry : options.cases) {
    const auto [minStart, maxStart] = std::minmax_element(entry.startMs.begin(), entry.startMs.end());
    const auto [minPeak, maxPeak] = std::minmax_element(entry.peakKiB.begin(), entry.peakKiB.end());
    std::printf("%-12s %5zu %12.1f %12.1f %12.1f %12.1f %14.0f %7.0f-%-7.0f\n", entry.name.c_str(),
                entry.startMs.size(), Median(entry.startMs), *minStart, *maxStart, Median(entry.cpuMs),
                Median(entry.peakKiB), *minPeak, *maxPeak);
  }
  // Every case against the first one, by their medians.
  const Case& first = options.cases.front();
  for (std::size_t i = 1; i < options.cases.size(); ++i) {
    const Case& entry = options.cases[i];
    std::printf("%s / %s: start-up %.3fx, processor time %.3fx, peak memory %.3fx\n", first.name.c_str(),
                entry.name.c_str(), Median(first.startMs) / Median(entry.startMs),
                Median(first.cpuMs) / Median(entry.cpuMs), Median(first.peakKiB) / Median(entry.peakKiB));
  }
  return 0;
}
