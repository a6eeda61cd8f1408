// Numbers printed through the C library (printf and its kin) with the full
// stop, whatever locale the host program set.
#pragma once

#include <memory>

namespace z917::platform {

// While it lives, the calling thread prints numbers as the "C" locale
// does; the process's global locale and other threads are left alone,
// except under a Windows C runtime without locales per thread, where the
// process's LC_NUMERIC is switched and put back. The switch cannot throw:
// Active() tells whether it happened.
class ClassicNumericLocale {
 public:
  ClassicNumericLocale() noexcept;
  ~ClassicNumericLocale();
  ClassicNumericLocale(const ClassicNumericLocale&) = delete;
  ClassicNumericLocale& operator=(const ClassicNumericLocale&) = delete;

  // False when the system could not switch the thread's locale.
  bool Active() const { return saved_ != nullptr; }

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace z917::platform
