// A request to stop the conversion that is running, from whichever side
// asks: the window's cancel button, a signal on the command line, a
// console control event on Windows.
#pragma once

namespace z917::platform {

// A stop is for every conversion the process runs (the command line may
// run several at once), so the request is one process-wide flag. Every
// function here is lock-free and safe to call from a signal handler or any
// thread.
class Cancellation {
 public:
  // Asks the running conversion to stop at the next point that can stop
  // cleanly: between packets, between writes of an output file, before an
  // output file is put in place.
  static void Request() noexcept;
  // Whether a stop has been asked for since the last Reset.
  static bool Requested() noexcept;
  // Clears the request; whoever starts conversions calls it once before
  // they start, never the conversions themselves, so that one starting
  // late cannot clear a stop meant for it too.
  static void Reset() noexcept;
};

}  // namespace z917::platform
