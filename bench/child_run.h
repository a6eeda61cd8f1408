// Each measured run of a benchmark is a fresh process, started from the
// benchmark's own executable, so that the peak memory it reports is the
// run's own and not what earlier runs left behind in the parent.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <cstddef>
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

// User plus system seconds of `usage`: of every thread the process ran.
inline double CpuSeconds(const rusage& usage) {
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The middle one of `values` (the upper of the two middle ones when even);
// 0 for none. A burst of other work on the shared machine moves one run,
// not the median.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace bench
