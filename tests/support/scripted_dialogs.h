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
  enum class Kind { Open, Save, Folder };
  struct Run {
    Kind kind;
    app::FileDialogRequest request;
  };
  std::vector<std::string> RunOpen(const app::FileDialogRequest& request) override {
    runs.push_back({Kind::Open, request});
    return openAnswer;
  }
  std::optional<std::string> RunSave(const app::FileDialogRequest& request) override {
    runs.push_back({Kind::Save, request});
    return saveAnswer;
  }
  std::optional<std::string> RunFolder(const app::FileDialogRequest& request) override {
    runs.push_back({Kind::Folder, request});
    return folderAnswer;
  }
  app::ExistingOutputs AskExisting(std::size_t count) override {
    existingAsked.push_back(count);
    return existingAnswer;
  }
  // Which runs were save dialogs, in order.
  std::vector<bool> SaveRuns() const {
    std::vector<bool> kinds;
    for (const Run& run : runs) kinds.push_back(run.kind == Kind::Save);
    return kinds;
  }

  std::vector<std::string> openAnswer;
  std::optional<std::string> saveAnswer;
  std::optional<std::string> folderAnswer;
  app::ExistingOutputs existingAnswer = app::ExistingOutputs::Stop;
  std::vector<Run> runs;
  // The counts AskExisting was asked about.
  std::vector<std::size_t> existingAsked;
};

}  // namespace z917::test
