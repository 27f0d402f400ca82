// The page's side of the web backend (web_dom.js), as the C++ side calls it.
// Windows are known to the page by a handle, their controls by their index
// in the template.
#pragma once

extern "C" {

// The dialog units of a font: the width unit in the low 16 bits, the height
// unit above.
int kz_measure_units(const char* fontName, int points);
int kz_text_width(const char* fontName, int points, const char* text);

// Returns 0 when the page has no document to put a window in.
int kz_window_create(int handle, const char* caption, const char* fontName, int points, int width, int height,
                     int alert);
void kz_control_create(int handle, int index, int kind, int id, const char* text, int x, int y, int width, int height,
                       unsigned flags, int group, int centred);
// Puts the controls into the page in the given order of their indexes.
void kz_controls_done(int handle, const int* order, int count);
void kz_window_destroy(int handle);
void kz_window_show(int handle);
void kz_window_block(int handle, int blocked);
int kz_window_activate(int handle);
void kz_window_rect(int handle, int* leftTopRightBottom);
void kz_window_move(int handle, int left, int top);
void kz_desktop_rect(int* leftTopRightBottom);

int kz_get_text(int handle, int index, char* buffer, int size);
void kz_set_text(int handle, int index, const char* text);
int kz_is_checked(int handle, int index);
void kz_set_checked(int handle, int index, int checked);
void kz_set_accessible_name(int handle, int index, const char* name, const char* description);
void kz_focus(int handle, int index, int selectAll);
int kz_focused_index(int handle);
void kz_set_colours(const char* face, const char* text);

// Waits for the next event and returns its kind; the others describe it.
int kz_next_event();
int kz_event_window();
int kz_event_value();
int kz_event_shift();

void kz_program_started();
void kz_program_ended(int exitCode);
}
