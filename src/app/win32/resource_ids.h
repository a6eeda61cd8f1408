// Resource ids of the window program, shared by its .rc file and its code.
#pragma once

// The about window's logo, a 24-bit bitmap of 561x62 pixels and the same
// at twice the size for screens of more than 96 dpi.
#define Z917_LOGO_BITMAP 101
#define Z917_LOGO_BITMAP_2X 102
