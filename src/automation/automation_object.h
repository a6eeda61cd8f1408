// The late-bound automation interface: an object is driven by member names
// given as text, as through IDispatch. The built-in workbook engine
// implements it in process; a Windows build can put a COM IDispatch behind
// the same class.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "automation/variant.h"

namespace z917::automation {

// An argument passed by name, such as After:=sheet.
struct NamedArgument {
  std::string name;
  Variant value;
};

// The arguments of one call: positional ones in order, then named ones.
struct Arguments {
  std::span<const Variant> positional;
  std::span<const NamedArgument> named;
};

// An object of an automation server. Every operation throws
// AutomationError with the server's description when the member is
// unknown, the arguments do not fit or the operation itself fails.
class AutomationObject {
 public:
  virtual ~AutomationObject() = default;

  // Reads the property `member`, with or without arguments.
  virtual Variant GetProperty(std::string_view member, const Arguments& args) = 0;
  // Assigns `value` to the property `member` (arguments select an element).
  virtual void SetProperty(std::string_view member, const Arguments& args,
                           const Variant& value) = 0;
  // Calls the method `member`; an Empty variant when it returns nothing.
  virtual Variant CallMethod(std::string_view member, const Arguments& args) = 0;

  // Whether each call travels to another process, so that a caller does
  // well to carry much in few calls. Never fails.
  virtual bool OutOfProcess() const { return false; }
};

}  // namespace z917::automation
