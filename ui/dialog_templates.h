#pragma once

#include "framework/dialog_template.h"

namespace kadenzo {

extern const DialogTemplate kCalculatorTemplate;
extern const DialogTemplate kAboutTemplate;

}  // namespace kadenzo
