// Failures of the framework itself. They never come from the calculator's
// own logic; a handler interrupted by one is abandoned and the person is told
// in a message box, while the dialogs stay open.
#pragma once

#include <stdexcept>

namespace kadenzo {

// A window, control or drawing resource could not be had.
class CResourceException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The backend cannot do what was asked.
class CNotSupportedException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kadenzo
