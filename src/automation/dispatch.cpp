#include "automation/dispatch.h"

#include "automation/automation_error.h"

namespace z917::automation {

namespace {

template <typename T>
std::span<const T> SpanOf(std::initializer_list<T> list) {
  return {list.begin(), list.size()};
}

}  // namespace

Dispatch::Dispatch(const Variant& value) : object_(value.AsObject()) {}

AutomationObject& Dispatch::Target() const {
  if (!object_) ThrowObjectNotSet();
  return *object_;
}

Variant Dispatch::Get(std::string_view member, std::initializer_list<Variant> args) const {
  return Get(member, SpanOf(args));
}

Variant Dispatch::Get(std::string_view member, std::span<const Variant> args) const {
  return Target().GetProperty(member, Arguments{args, {}});
}

Dispatch Dispatch::GetObject(std::string_view member, std::initializer_list<Variant> args) const {
  return Dispatch(Get(member, args));
}

void Dispatch::Set(std::string_view member, const Variant& value) const {
  Target().SetProperty(member, Arguments{}, value);
}

void Dispatch::Set(std::string_view member, std::initializer_list<Variant> args,
                   const Variant& value) const {
  Target().SetProperty(member, Arguments{SpanOf(args), {}}, value);
}

Variant Dispatch::Call(std::string_view member, std::initializer_list<Variant> args,
                       std::initializer_list<NamedArgument> named) const {
  return Target().CallMethod(member, Arguments{SpanOf(args), SpanOf(named)});
}

}  // namespace z917::automation
