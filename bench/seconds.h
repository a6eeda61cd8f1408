// Wall-clock timing shared by the benchmark programs.
#pragma once

#include <chrono>

namespace bench {

// Seconds elapsed on the steady clock since `since`; cannot fail.
inline double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace bench
