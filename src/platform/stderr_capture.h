// Keeps a library's own diagnostics from the user: while a capture lives,
// what the process prints on its C standard error stream is kept here
// instead of reaching the terminal.
#pragma once

#include <memory>
#include <string>

namespace z917::platform {

// One capture at a time, on the thread that runs the library. Everything
// printed on the C stream `stderr` meanwhile is caught, ours included, so
// keep the capture around the library's calls only.
class StderrCapture {
 public:
  // Points the stream elsewhere; where no capture can be made the stream
  // stays as it was. Never throws.
  StderrCapture();
  // Puts the stream back; what was caught is dropped.
  ~StderrCapture();
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // What was printed since the capture began.
  std::string Text();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace z917::platform
