// File dialogs for tests: they answer with what the test set and record
// every run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/conversion_commands.h"

namespace z917::test {

class ScriptedDialogs : public app::FileDialogs {
 public:
  struct Run {
    bool save;
    app::FileDialogRequest request;
  };
  std::optional<std::string> RunOpen(const app::FileDialogRequest& request) override {
    runs.push_back({false, request});
    return openAnswer;
  }
  std::optional<std::string> RunSave(const app::FileDialogRequest& request) override {
    runs.push_back({true, request});
    return saveAnswer;
  }
  // Which runs were save dialogs, in order.
  std::vector<bool> SaveRuns() const {
    std::vector<bool> kinds;
    for (const Run& run : runs) kinds.push_back(run.save);
    return kinds;
  }

  std::optional<std::string> openAnswer;
  std::optional<std::string> saveAnswer;
  std::vector<Run> runs;
};

}  // namespace z917::test
