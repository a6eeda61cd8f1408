// What every object of the workbook engine shares: the state of its
// application instance, member lookup by name, argument matching and the
// conversions of argument values, each with the engine's Russian message.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/automation_object.h"
#include "automation/workbook/save_workbook.h"
#include "automation/workbook/workbook_model.h"

namespace z917::workbook {

using automation::Arguments;
using automation::Variant;

// One running instance of the engine; every object of it holds this.
struct ApplicationState {
  bool quit = false;
  bool visible = false;
  bool displayAlerts = true;
  // The FileFormat a new workbook is meant to be saved in.
  std::int64_t defaultSaveFormat = kOpenXmlWorkbook;
  // Kept for a caller that turns them off while it writes: the engine
  // neither draws nor runs macros.
  bool screenUpdating = true;
  bool enableEvents = true;
  std::vector<std::shared_ptr<WorkbookModel>> workbooks;
};
using StatePtr = std::shared_ptr<ApplicationState>;

// The three ways a member can be used.
enum MemberUse : unsigned { kGet = 1, kSet = 2, kCall = 4 };

struct MemberInfo {
  std::string_view name;
  unsigned uses;  // MemberUse bits
};

class EngineObject : public automation::AutomationObject {
 public:
  Variant GetProperty(std::string_view member, const Arguments& args) final;
  void SetProperty(std::string_view member, const Arguments& args, const Variant& value) final;
  Variant CallMethod(std::string_view member, const Arguments& args) final;

  const StatePtr& State() const { return state_; }

 protected:
  // `className` names the object in messages; `members` lists what it
  // answers to (names compared without regard to letter case).
  EngineObject(StatePtr state, std::string_view className, std::span<const MemberInfo> members)
      : state_(std::move(state)), className_(className), members_(members) {}

  // Carries out member number `member` (its index in the list given to
  // the constructor), already checked to allow `use`; `value` is the value
  // assigned when `use` is kSet.
  virtual Variant Invoke(std::size_t member, MemberUse use, const Arguments& args,
                         const Variant* value) = 0;

  // "Class.Member", the prefix of this object's messages.
  std::string Where(std::size_t member) const;

  StatePtr state_;

 private:
  Variant Route(std::string_view member, MemberUse use, const Arguments& args,
                const Variant* value);

  std::string_view className_;
  std::span<const MemberInfo> members_;
};

// Matches the arguments of one call to the parameters a member declares:
// positional arguments in order, named ones by name (without regard to
// case). An Empty variant counts as a missing argument, as an omitted
// optional argument does in automation.
class ArgumentReader {
 public:
  // Throws AutomationError for more positional arguments than parameters,
  // and for a named argument that is unknown or already given.
  ArgumentReader(std::string where, const Arguments& args,
                 std::initializer_list<std::string_view> params);

  // The argument for parameter `param`, or null when missing.
  const Variant* Find(std::size_t param) const { return given_[param]; }
  // The argument for `param`; throws AutomationError when missing.
  const Variant& Required(std::size_t param) const;

  std::int64_t Integer(std::size_t param) const;
  double Number(std::size_t param) const;
  const std::string& Text(std::size_t param) const;

  // "Class.Member: аргумент Param", the subject of conversion messages.
  std::string Subject(std::size_t param) const;

 private:
  // Room for the parameters of any member the engine has, so that reading
  // the arguments of a call, made for every row written, allocates nothing.
  static constexpr std::size_t kMostParams = 4;

  std::string where_;
  std::size_t count_;
  std::array<std::string_view, kMostParams> params_{};
  std::array<const Variant*, kMostParams> given_{};
};

// Throws AutomationError when a member that takes no arguments gets some.
void ExpectNoArguments(const std::string& where, const Arguments& args);

// Conversions of argument and property values; `subject` opens the
// message ("Range.ColumnWidth: значение").
std::int64_t ToInteger(const Variant& value, const std::string& subject);
double ToNumber(const Variant& value, const std::string& subject);
bool ToBool(const Variant& value, const std::string& subject);
const std::string& ToText(const Variant& value, const std::string& subject);

// The subject of a property's assigned value: "Class.Member: значение".
std::string ValueSubject(const std::string& where);

}  // namespace z917::workbook
