#include "automation/workbook/engine_object.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "automation/automation_error.h"
#include "common/ascii.h"

namespace z917::workbook {

namespace {

using automation::AutomationError;
using automation::VariantKind;
using automation::VariantKindName;

std::string_view UseVerb(MemberUse use) {
  switch (use) {
    case kGet:
      return "прочитать";
    case kSet:
      return "изменить";
    case kCall:
      return "вызвать";
  }
  return "";
}

[[noreturn]] void ThrowWrongKind(const std::string& subject, std::string_view expected,
                                 const Variant& value) {
  throw AutomationError(subject + " — ожидается " + std::string(expected) +
                        ", передано: " + std::string(VariantKindName(value.Kind())));
}

}  // namespace

Variant EngineObject::GetProperty(std::string_view member, const Arguments& args) {
  return Route(member, kGet, args, nullptr);
}

void EngineObject::SetProperty(std::string_view member, const Arguments& args,
                               const Variant& value) {
  Route(member, kSet, args, &value);
}

Variant EngineObject::CallMethod(std::string_view member, const Arguments& args) {
  return Route(member, kCall, args, nullptr);
}

Variant EngineObject::Route(std::string_view member, MemberUse use, const Arguments& args,
                            const Variant* value) {
  if (state_->quit) throw AutomationError(automation::kObjectDisconnected);
  // Member and argument names compare as automation compares them: ASCII
  // letters without regard to case.
  for (std::size_t i = 0; i < members_.size(); ++i) {
    if (!EqualsIgnoringAsciiCase(members_[i].name, member)) continue;
    if (!(members_[i].uses & use)) {
      throw AutomationError(Where(i) + " нельзя " + std::string(UseVerb(use)));
    }
    return Invoke(i, use, args, value);
  }
  throw AutomationError("Объект " + std::string(className_) +
                        " не поддерживает свойство или метод «" + std::string(member) + "»");
}

std::string EngineObject::Where(std::size_t member) const {
  return std::string(className_) + "." + std::string(members_[member].name);
}

ArgumentReader::ArgumentReader(std::string where, const Arguments& args,
                               std::initializer_list<std::string_view> params)
    : where_(std::move(where)), count_(params.size()) {
  if (count_ > kMostParams) throw std::logic_error(where_ + ": too many parameters");
  std::copy(params.begin(), params.end(), params_.begin());
  if (args.positional.size() > count_) {
    throw AutomationError(where_ + ": слишком много аргументов (" +
                          std::to_string(args.positional.size()) + ", не больше " +
                          std::to_string(count_) + ")");
  }
  for (std::size_t i = 0; i < args.positional.size(); ++i) {
    if (!args.positional[i].IsEmpty()) given_[i] = &args.positional[i];
  }
  for (const auto& named : args.named) {
    std::size_t p = 0;
    while (p < count_ && !EqualsIgnoringAsciiCase(params_[p], named.name)) ++p;
    if (p == count_) {
      throw AutomationError(where_ + ": неизвестный именованный аргумент «" + named.name + "»");
    }
    if (given_[p] || p < args.positional.size()) {
      throw AutomationError(where_ + ": аргумент " + std::string(params_[p]) + " передан дважды");
    }
    if (!named.value.IsEmpty()) given_[p] = &named.value;
  }
}

std::string ArgumentReader::Subject(std::size_t param) const {
  return where_ + ": аргумент " + std::string(params_[param]);
}

const Variant& ArgumentReader::Required(std::size_t param) const {
  if (!given_[param]) throw AutomationError(Subject(param) + " не задан");
  return *given_[param];
}

// The subject goes into a message only: it is made only for a value of
// the wrong kind, not for each of the many calls that are right.
std::int64_t ArgumentReader::Integer(std::size_t param) const {
  const Variant& value = Required(param);
  return value.IsInteger() ? value.AsInteger() : ToInteger(value, Subject(param));
}

double ArgumentReader::Number(std::size_t param) const {
  const Variant& value = Required(param);
  return value.Kind() == VariantKind::Double && std::isfinite(value.Get<double>())
             ? value.Get<double>()
             : ToNumber(value, Subject(param));
}

const std::string& ArgumentReader::Text(std::size_t param) const {
  const Variant& value = Required(param);
  return value.Kind() == VariantKind::Text ? value.Get<std::string>()
                                           : ToText(value, Subject(param));
}

void ExpectNoArguments(const std::string& where, const Arguments& args) {
  ArgumentReader reader(where, args, {});
}

std::int64_t ToInteger(const Variant& value, const std::string& subject) {
  if (value.IsInteger()) return value.AsInteger();
  if (value.Kind() == VariantKind::Double) {
    // Automation passes whole numbers as doubles too; accept them when
    // nothing is lost.
    const double d = value.Get<double>();
    if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e15) {
      return static_cast<std::int64_t>(d);
    }
  }
  ThrowWrongKind(subject, "целое число", value);
}

double ToNumber(const Variant& value, const std::string& subject) {
  if (value.IsInteger()) return static_cast<double>(value.AsInteger());
  if (value.Kind() == VariantKind::Double) {
    if (!std::isfinite(value.Get<double>())) {
      throw AutomationError(subject + " — число бесконечно или не определено");
    }
    return value.Get<double>();
  }
  ThrowWrongKind(subject, "число", value);
}

bool ToBool(const Variant& value, const std::string& subject) {
  if (value.Kind() == VariantKind::Bool) return value.Get<bool>();
  if (value.IsInteger()) return value.AsInteger() != 0;
  ThrowWrongKind(subject, "логическое значение", value);
}

const std::string& ToText(const Variant& value, const std::string& subject) {
  if (value.Kind() == VariantKind::Text) return value.Get<std::string>();
  ThrowWrongKind(subject, "текст", value);
}

std::string ValueSubject(const std::string& where) { return where + ": значение"; }

}  // namespace z917::workbook
