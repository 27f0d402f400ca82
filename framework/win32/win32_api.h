// The Windows headers as the backend uses them. windows.h turns MessageBox
// and LoadString into macros for their ANSI or wide functions, which would
// rename the backend's own functions of those names; they are undone here,
// and the backend calls MessageBoxA and LoadStringA by their real names.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// The other headers need windows.h before them.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#undef MessageBox
#undef LoadString
