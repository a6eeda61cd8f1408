// Each measured run of a benchmark is a fresh process, started from the
// benchmark's own executable, so that the peak memory it reports is the
// run's own and not what earlier runs left behind in the parent.
#pragma once

#include <sys/resource.h>

#include <string>
#include <vector>

namespace bench {

// What one child run cost: wall time from start to exit, and its rusage.
struct ChildRun {
  double seconds = 0;
  rusage usage{};
};

// Runs this executable as `program --run args...` and waits for it; when the child cannot be
// started or does not exit with 0, prints "PROGRAM: the ARGS[0] run failed" and exits with 1.
ChildRun RunSelfInChild(const char* program, const std::vector<std::string>& args);

}  // namespace bench
