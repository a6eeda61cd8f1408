// Stands in for the window program in the installer's test when the build
// has none: a program of the window subsystem that ends at once.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
