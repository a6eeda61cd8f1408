// Interrupts from outside the program (Ctrl-C, a request to terminate, a
// closed terminal) turned into a cancellation request.
#pragma once

namespace z917::platform {

// Installs the process's handlers: the first interrupt requests
// Cancellation and is remembered; a second one ends the process at once
// with its own exit status (as InterruptExitStatus gives it), which is
// safe because no output is visible under its name before it is complete. Call once, before the
// conversion; false when a handler could not be installed (interrupts then act as the system's
// default).
bool CatchInterrupts();

// Whether an interrupt has been caught since CatchInterrupts.
bool InterruptCaught();

// The exit status that tells the caller which interrupt stopped the
// program (128 + the signal number on POSIX systems); 1 when none was
// caught.
int InterruptExitStatus();

}  // namespace z917::platform
