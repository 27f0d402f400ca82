// The page's side of the web backend (web_dom.js), as the C++ side calls it.
// Windows are known to the page by a handle, their controls by their index
// in the template.
//
// None of them throws a C++ exception, and each says so: the program's
// exceptions are JavaScript-based, so a call that might throw, made where a
// destructor or a catch waits, goes out to JavaScript and back in through a
// trampoline of its own. Declared noexcept, the page's functions are called
// directly, as the few hundred calls that make a window are.
#pragma once

extern "C" {

// The dialog units of a font: the width unit in the low 16 bits, the height
// unit above.
int kz_measure_units(const char* fontName, int points) noexcept;
int kz_text_width(const char* fontName, int points, const char* text) noexcept;

// Returns 0 when the page has no document to put a window in.
int kz_window_create(int handle, const char* caption, const char* fontName, int points, int width, int height,
                     int alert) noexcept;
void kz_control_create(int handle, int index, int kind, int id, const char* text, int x, int y, int width, int height,
                       unsigned flags, int group, int centred) noexcept;
// Puts the controls into the page in the given order of their indexes.
void kz_controls_done(int handle, const int* order, int count) noexcept;
void kz_window_destroy(int handle) noexcept;
void kz_window_show(int handle) noexcept;
void kz_window_block(int handle, int blocked) noexcept;
int kz_window_activate(int handle) noexcept;
void kz_window_rect(int handle, int* leftTopRightBottom) noexcept;
void kz_window_move(int handle, int left, int top) noexcept;
void kz_desktop_rect(int* leftTopRightBottom) noexcept;

int kz_get_text(int handle, int index, char* buffer, int size) noexcept;
void kz_set_text(int handle, int index, const char* text) noexcept;
int kz_is_checked(int handle, int index) noexcept;
void kz_set_checked(int handle, int index, int checked) noexcept;
void kz_set_accessible_name(int handle, int index, const char* name, const char* description) noexcept;
void kz_focus(int handle, int index, int selectAll) noexcept;
int kz_focused_index(int handle) noexcept;
void kz_set_colours(const char* face, const char* text) noexcept;

// Waits for the next event and returns its kind; the others describe it.
int kz_next_event() noexcept;
int kz_event_window() noexcept;
int kz_event_value() noexcept;
int kz_event_shift() noexcept;

void kz_program_started() noexcept;
void kz_program_ended(int exitCode) noexcept;
}
