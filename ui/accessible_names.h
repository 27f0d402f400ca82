#pragma once

#include <span>

#include "framework/dialog.h"

namespace kadenzo {

// What a screen reader says for each of the calculator's fields. The time
// fields carry no visible name of their own (only the column letters), and
// both a row's count and its frames are "frames": the description tells
// them apart.
std::span<const CDialog::AccessibleName> CalculatorFieldNames();

}  // namespace kadenzo
