// RunProgram for the backends whose program runs in the test's process.
#include <chrono>
#include <exception>
#include <stdexcept>
#include <thread>

#include "framework/win_app.h"
#include "tests/drivers/in_process.h"

namespace kadenzo::testing_support {

int RunProgram(const std::function<void(DialogDriver&)>& script, std::vector<std::string> arguments) {
  using namespace std::chrono_literals;
  std::unique_ptr<InProcessBackend> backend = MakeBackend();
  std::vector<std::string> words{backend->ProgramName()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  std::atomic<bool> ended = false;
  std::exception_ptr failure;
  // A program that ends before its first dialog opens would otherwise pass
  // every test whose checks are all in the script.
  std::atomic<bool> scriptRan = false;
  std::thread driverThread([&] {
    const std::unique_ptr<InProcessDriver> driver = backend->MakeDriver(ended);
    try {
      // The calculator is there once its modal loop answers.
      while (!ended && driver->ActiveCaption().empty()) std::this_thread::sleep_for(5ms);
      if (!ended) {
        scriptRan = true;
        script(*driver);
      }
    } catch (...) {
      // Also when the program has ended: a script that still asks something
      // of it saw it end too early (an Enter that pressed Close instead).
      if (!ended || scriptRan) failure = std::current_exception();
    }
    // Cancel whatever the script left open, innermost first.
    while (!ended) {
      try {
        driver->CloseInnermost();
      } catch (...) {
        std::this_thread::sleep_for(5ms);
      }
    }
  });

  const int exitCode = AfxWinMain(static_cast<int>(words.size()), argv.data());
  ended = true;
  driverThread.join();
  backend.reset();
  if (failure) std::rethrow_exception(failure);
  if (!scriptRan) throw std::runtime_error("the program ended before its first dialog opened");
  return exitCode;
}

}  // namespace kadenzo::testing_support
