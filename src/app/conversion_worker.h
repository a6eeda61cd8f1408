// A conversion on a thread of its own, for a window whose thread keeps
// turning its event loop meanwhile; both windows run theirs through it.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

#include "app/progress_display.h"
#include "driver/conversion_progress.h"

namespace z917::app {

class ConversionWorker {
 public:
  // Starts `conversion` at once, clearing a stop asked for before (see
  // platform::Cancellation); its reports go to Progress(). `ended` runs
  // on the worker once the conversion has returned or thrown, to wake the
  // window's thread. Throws std::system_error when no thread can start.
  ConversionWorker(std::function<void(const driver::ProgressListener&)> conversion,
                   std::function<void()> ended);
  // Waits for the conversion when Finish was not called.
  ~ConversionWorker();
  ConversionWorker(const ConversionWorker&) = delete;
  ConversionWorker& operator=(const ConversionWorker&) = delete;

  // Whether the conversion has ended.
  bool Done() const { return done_.load(); }
  // The latest progress the conversion reported, with the save's share
  // while it saves.
  driver::ConversionProgress Progress() const;
  // Waits for the worker; throws what the conversion threw.
  void Finish();

 private:
  void Run();

  const std::function<void(const driver::ProgressListener&)> conversion_;
  const std::function<void()> ended_;
  LatestProgress latest_;
  std::atomic<bool> done_{false};
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace z917::app
