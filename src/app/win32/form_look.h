// What the program's windows on the Windows API share: the scale from the
// 96-dpi layout, fonts, placement and the keyboard of a form.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace z917::app::win32 {

// The layout's own resolution: every size and position is given for it.
inline constexpr UINT kLayoutDpi = 96;

// `value` (pixels at 96 dpi) at `dpi`, rounded to the nearest pixel.
int Scaled(int value, UINT dpi);

// The window's resolution: GetDpiForWindow where the system has it, the
// screen's otherwise, 96 when neither answers. Never fails.
UINT DpiOf(HWND window);

// A new font `face` at 8 points for `dpi` (height -11 at 96 dpi), the
// default character set; the caller deletes it. Null when GDI refuses.
HFONT CreateFormFont(const wchar_t* face, UINT dpi);

// Resizes `form` so that its client area is `width` by `height` (pixels at
// 96 dpi) at `dpi`, with its style and menu as they stand.
void SizeClientArea(HWND form, int width, int height, UINT dpi);

// Moves `form` so that its frame is centred on the work area of the
// monitor it is on.
void CentreOnScreen(HWND form);

// Places `child` at `left`, `top` with `width`, `height` (pixels at 96
// dpi) at `dpi`, and gives it `font`.
void PlaceChild(HWND child, int left, int top, int width, int height, UINT dpi, HFONT font);

// A child window of `parent` of the system class `className`, with the
// control id `id`, visible; null when it cannot be created.
HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id);

// Enter on a focused, enabled push button inside `form` presses it, as
// Windows users expect of any form (the dialog manager does it only for
// the default button). True when `message` was that key and was used.
bool PressFocusedButton(HWND form, const MSG& message);

// Hands `message` to the first of `forms` that takes it as keyboard input
// for its controls (Tab, Enter, mnemonics), or translates and dispatches
// it. Null forms are skipped.
void DispatchForForms(MSG& message, std::initializer_list<HWND> forms);

}  // namespace z917::app::win32
