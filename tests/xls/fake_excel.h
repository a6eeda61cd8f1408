// A stand-in automation server that records every call as a line of text
// and answers the few reads the Excel writer relies on.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/automation_error.h"
#include "automation/automation_object.h"
#include "automation/dispatch.h"

namespace z917::test {

struct FakeExcelState {
  std::vector<std::string> log;
  std::string versionText = "16.0";
  int sheetCount = 1;
  // A call whose log line contains this text throws "сбой сервера".
  std::string failOn;
  int starts = 0;
  // Whether the objects say they live in another process (then the writer
  // lays the workbook out in spans and hands rows over in blocks).
  bool outOfProcess = false;
};

// "u16:5", "d:1.5", "date:41521.5", "text:\"Сир\"", "[a|b|c]", "obj:<name>".
std::string Render(const automation::Variant& value);

class FakeExcelObject : public automation::AutomationObject {
 public:
  FakeExcelObject(std::shared_ptr<FakeExcelState> state, std::string name)
      : state_(std::move(state)), name_(std::move(name)) {}

  const std::string& Name() const { return name_; }

  automation::Variant GetProperty(std::string_view member,
                                  const automation::Arguments& args) override;
  void SetProperty(std::string_view member, const automation::Arguments& args,
                   const automation::Variant& value) override;
  automation::Variant CallMethod(std::string_view member,
                                 const automation::Arguments& args) override;
  bool OutOfProcess() const override { return state_->outOfProcess; }

 private:
  std::string Describe(std::string_view member, const automation::Arguments& args) const;
  void Log(std::string line);

  std::shared_ptr<FakeExcelState> state_;
  std::string name_;
};

// A starter that makes a fresh fake application on every start, sharing
// one state; with `failStart` every start throws as a missing server does.
std::function<automation::Dispatch(std::string_view)> FakeExcelStarter(
    std::shared_ptr<FakeExcelState> state, bool failStart = false);

}  // namespace z917::test
