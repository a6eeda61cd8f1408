// A handle that drives an automation object with short calls, the way a
// late-bound client writes them: app.Get("Workbooks").Call("Add", {...}).
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

#include "automation/automation_object.h"

namespace z917::automation {

class Dispatch {
 public:
  // An empty handle, or one on `object`.
  Dispatch() = default;
  explicit Dispatch(ObjectRef object) : object_(std::move(object)) {}
  // The object of an Object variant; throws AutomationError for any other
  // value.
  explicit Dispatch(const Variant& value);

  // Whether the handle holds no object, and the object it holds.
  bool IsEmpty() const { return object_ == nullptr; }
  const ObjectRef& Object() const { return object_; }
  // The handle as a variant, to pass the object as an argument.
  Variant AsVariant() const { return Variant(object_); }

  // Reads a property; throws AutomationError on failure or when the handle
  // is empty.
  Variant Get(std::string_view member, std::initializer_list<Variant> args = {}) const;
  Variant Get(std::string_view member, std::span<const Variant> args) const;
  // Reads a property that holds an object; throws AutomationError when it
  // holds anything else.
  Dispatch GetObject(std::string_view member, std::initializer_list<Variant> args = {}) const;

  // Assigns a property; throws AutomationError on failure.
  void Set(std::string_view member, const Variant& value) const;
  void Set(std::string_view member, std::initializer_list<Variant> args,
           const Variant& value) const;

  // Calls a method with positional and named arguments; throws
  // AutomationError on failure.
  Variant Call(std::string_view member, std::initializer_list<Variant> args = {},
               std::initializer_list<NamedArgument> named = {}) const;

 private:
  AutomationObject& Target() const;

  ObjectRef object_;
};

}  // namespace z917::automation
