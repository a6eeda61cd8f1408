// Console control events (Ctrl+C, Ctrl+Break, the console window closed)
// turned into a cancellation request. Built once the interrupt interface
// (platform/interrupt.h) is in the tree.
#include "platform/interrupt.h"

#include <windows.h>

#include <atomic>

#include "platform/cancellation.h"

namespace z917::platform {

namespace {

// What cmd.exe shows for a program ended by Ctrl+C.
constexpr int kControlCExit = static_cast<int>(0xC000013A);
// How long a closing console waits for the conversion to stop cleanly;
// Windows ends the process itself a little after five seconds.
constexpr DWORD kCloseGraceMs = 4500;

// Whether an event has come: the handler runs on a thread of its own.
std::atomic<bool> caught{false};

BOOL WINAPI OnControlEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      break;
    default:
      return FALSE;  // logoff and shutdown: the system's default
  }
  if (caught.exchange(true)) {
    // A second request: the output is never visible before it is
    // complete, so ending at once loses nothing.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(kControlCExit));
  }
  Cancellation::Request();
  // The process ends when this handler returns from a close event: give
  // the conversion the time to reach its next clean point first.
  if (event == CTRL_CLOSE_EVENT) ::Sleep(kCloseGraceMs);
  return TRUE;
}

}  // namespace

bool CatchInterrupts() { return ::SetConsoleCtrlHandler(OnControlEvent, TRUE) != 0; }

bool InterruptCaught() { return caught.load(); }

int InterruptExitStatus() { return caught.load() ? kControlCExit : 1; }

}  // namespace z917::platform
