// What RunProgram needs of a backend whose program runs in the test's own
// process: its entry on the test's thread, while the script drives it from
// a thread of its own (the Qt and Win32 drivers).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "tests/drivers/dialog_driver.h"

namespace kadenzo::testing_support {

class InProcessDriver : public DialogDriver {
 public:
  // Cancels the innermost open message box or dialog, and returns once the
  // program has handled that.
  virtual void CloseInnermost() = 0;
};

// Made on the program's thread before its entry runs and destroyed there
// after it has returned, so that whatever the backend's driver needs on that
// thread lives exactly as long as one run.
class InProcessBackend {
 public:
  virtual ~InProcessBackend() = default;
  // argv[0] as the program's entry gets it.
  virtual std::string ProgramName() = 0;
  // The script's driver, made on the script's thread; ended turns true
  // once the program's entry has returned.
  virtual std::unique_ptr<InProcessDriver> MakeDriver(const std::atomic<bool>& ended) = 0;
};

// Each in-process driver defines it.
std::unique_ptr<InProcessBackend> MakeBackend();

}  // namespace kadenzo::testing_support
