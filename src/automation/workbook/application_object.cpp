#include "automation/workbook/engine_objects.h"
#include "automation/workbook/save_workbook.h"
#include "automation/workbook/xlsx_writer.h"

namespace z917::workbook {

namespace {

enum Member {
  kVisible,
  kDisplayAlerts,
  kScreenUpdating,
  kEnableEvents,
  kVersion,
  kQuit,
  kWorkbooks,
  kDefaultSaveFormat
};
constexpr MemberInfo kMembers[] = {
    {"Visible", kGet | kSet},
    {"DisplayAlerts", kGet | kSet},
    {"ScreenUpdating", kGet | kSet},
    {"EnableEvents", kGet | kSet},
    {"Version", kGet},
    {"Quit", kCall},
    {"Workbooks", kGet},
    {"DefaultSaveFormat", kGet | kSet},
};

// The flag of a true-or-false member.
bool& FlagOf(ApplicationState& state, std::size_t member) {
  switch (member) {
    case kVisible:
      return state.visible;
    case kDisplayAlerts:
      return state.displayAlerts;
    case kScreenUpdating:
      return state.screenUpdating;
    default:
      return state.enableEvents;
  }
}

// The version the engine reports: that of the Excel whose file format it
// writes by default. Without an .xlsx writer it is the last Excel whose
// own format was .xls, so that a caller proposes .xls (below 12).
// The engine writes what Excel 2016 writes, so it answers as that Excel.
constexpr std::string_view kVersionText = "16.0";

}  // namespace

ApplicationObject::ApplicationObject(StatePtr state)
    : EngineObject(std::move(state), "Application", kMembers) {}

Variant ApplicationObject::Invoke(std::size_t member, MemberUse use, const Arguments& args,
                                  const Variant* value) {
  switch (member) {
    case kVisible:
    case kDisplayAlerts:
    case kScreenUpdating:
    case kEnableEvents: {
      ExpectNoArguments(Where(member), args);
      bool& flag = FlagOf(*state_, member);
      if (use == kGet) return flag;
      flag = ToBool(*value, ValueSubject(Where(member)));
      return {};
    }
    case kVersion:
      ExpectNoArguments(Where(member), args);
      return kVersionText;
    case kQuit:
      ExpectNoArguments(Where(member), args);
      // The instance ends: its workbooks go (with whatever was not saved)
      // and every object of it stops answering.
      state_->quit = true;
      state_->workbooks.clear();
      return {};
    case kDefaultSaveFormat:
      ExpectNoArguments(Where(member), args);
      if (use == kGet) return static_cast<std::int32_t>(state_->defaultSaveFormat);
      {
        // Checked as SaveAs checks a format, so that a wrong one fails here
        // and the one set before stays.
        const std::int64_t format = ToInteger(*value, ValueSubject(Where(member)));
        SaverFor(format);
        state_->defaultSaveFormat = format;
        return {};
      }
    case kWorkbooks: {
      ArgumentReader reader(Where(member), args, {"Index"});
      if (const Variant* index = reader.Find(0)) {
        return WorkbooksObject::Item(state_, reader.Subject(0), *index);
      }
      return Variant(automation::ObjectRef(std::make_shared<WorkbooksObject>(state_)));
    }
  }
  return {};
}

}  // namespace z917::workbook
