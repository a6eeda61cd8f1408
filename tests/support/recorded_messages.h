// A message sink for tests: keeps every message with its kind, in order.
#pragma once

#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/vocabulary.h"

namespace z917::test {

struct Shown {
  MessageKind kind;
  std::string text;
  bool operator==(const Shown&) const = default;
};

// An error message, as a test expects it.
inline Shown Error(std::string text) { return {MessageKind::Error, std::move(text)}; }
// An information message, as a test expects it.
inline Shown Info(std::string text) { return {MessageKind::Information, std::move(text)}; }

class RecordingMessages : public MessageSink {
 public:
  void ShowMessage(MessageKind kind, const std::string& text) override {
    shown.push_back({kind, text});
  }
  std::vector<Shown> shown;
};

// Keeps every message and the thread it arrived on; the text "throw"
// throws instead, as a box that fails would.
class ThreadNotingMessages : public RecordingMessages {
 public:
  void ShowMessage(MessageKind kind, const std::string& text) override {
    if (text == "throw") throw std::runtime_error("box failed");
    RecordingMessages::ShowMessage(kind, text);
    threads.push_back(std::this_thread::get_id());
  }
  std::vector<std::thread::id> threads;
};

}  // namespace z917::test
