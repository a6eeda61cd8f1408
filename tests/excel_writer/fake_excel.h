// A stand-in automation server that records every call as a line of text
// and answers the few reads the Excel writer relies on.
#pragma once

#include <functional>
#include <map>
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
  // What Workbooks.Count answers: the workbooks open besides ours.
  int otherWorkbooks = 0;
  // A call whose log line contains this text throws "сбой сервера".
  std::string failOn;
  int starts = 0;
  // Whether the objects say they live in another process (then the writer
  // lays the workbook out in spans and hands rows over in blocks).
  bool outOfProcess = false;
  // What Value assignments to Range(first, last) left in each cell, by
  // "<sheet>!R<row>C<column>", however the assignments were cut.
  std::map<std::string, std::string> cells;
};

// "u16:5", "d:1.5", "date:41521.5", "text:\"Сир\"", "[a|b|c]", "obj:<name>".
std::string Render(const automation::Variant& value);

// The sheet and top left cell of a range, counted from 1; row 0 for
// other objects.
struct FakeCorner {
  std::string sheet;
  std::size_t row = 0;
  std::size_t column = 0;
};

class FakeExcelObject : public automation::AutomationObject {
 public:
  using Corner = FakeCorner;

  FakeExcelObject(std::shared_ptr<FakeExcelState> state, std::string name, Corner corner = {})
      : state_(std::move(state)), name_(std::move(name)), corner_(std::move(corner)) {}

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
  Corner corner_;
};

// A starter that makes a fresh fake application on every start, sharing
// one state; with `failStart` every start throws as a missing server does.
std::function<automation::Dispatch(std::string_view)> FakeExcelStarter(
    std::shared_ptr<FakeExcelState> state, bool failStart = false);

}  // namespace z917::test
