#include "platform/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include "platform/cancellation.h"

namespace z917::platform {

namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// The first interrupt's number, 0 before it: the one type a handler may
// write and the program then read.
volatile sig_atomic_t caughtSignal = 0;

void OnInterrupt(int signal) {
  if (caughtSignal != 0) _exit(128 + signal);
  caughtSignal = signal;
  Cancellation::Request();
}

}  // namespace

bool CatchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // Each handler runs with the other interrupts held, so that two arriving
  // together count as first and second in turn.
  for (const int signal : kInterrupts) sigaddset(&action.sa_mask, signal);
  // Reads and writes go on after the handler returns: the stop happens at
  // the conversion's next clean point, not inside a system call.
  action.sa_flags = SA_RESTART;
  bool installed = true;
  for (const int signal : kInterrupts) installed &= sigaction(signal, &action, nullptr) == 0;
  return installed;
}

bool InterruptCaught() { return caughtSignal != 0; }

int InterruptExitStatus() { return caughtSignal != 0 ? 128 + caughtSignal : 1; }

}  // namespace z917::platform
