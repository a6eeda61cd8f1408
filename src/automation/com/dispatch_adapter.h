// One of our automation objects behind a COM IDispatch: what lets the
// built-in engine answer calls from another process. Member names get
// DISPIDs in the order they are first asked for; calls go to the object
// by name.
#pragma once

#include <oaidl.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "automation/automation_object.h"
#include "automation/com/com_variant.h"

namespace z917::automation::com {

// Member and argument names and their DISPIDs, shared by the objects of
// one server so an object handed back keeps its meaning. Names compare
// without regard to ASCII letter case, as automation compares them.
class NameTable {
 public:
  // The DISPID of `name`, given a new one when unknown. Never fails
  // short of memory.
  long IdOf(std::string_view name);
  // The name of `id`, or null when none has it.
  const std::string* NameOf(long id) const;

 private:
  std::map<std::string, long> ids_;  // by lower-case name
  std::vector<std::string> names_;   // DISPID 1 first
};

// A new IDispatch (reference count 1) for `object`; the caller owns that
// reference. Throws AutomationError when memory runs out.
IDispatch* NewDispatchAdapter(ObjectRef object, const AdapterContext& context);

// The object behind `dispatch` when it is an adapter of this process,
// else null. Never fails.
ObjectRef AdaptedObject(IDispatch* dispatch);

}  // namespace z917::automation::com
