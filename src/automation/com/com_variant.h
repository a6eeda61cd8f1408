// Values across IDispatch: our Variant to a COM VARIANT and back. Text is
// UTF-8 on our side and a BSTR on COM's; arrays are 2-D SAFEARRAYs with
// lower bounds 1, typed when every cell fits one type (VT_I2, VT_I4,
// VT_R8, VT_DATE, VT_BSTR), else of VARIANT; objects are IDispatch
// pointers.
#pragma once

#include <oaidl.h>

#include <memory>

#include "automation/variant.h"

namespace z917::automation::com {

class NameTable;

// What an object of ours needs when it is handed out as an IDispatch:
// the member names it will be called by, and what keeps its server alive.
struct AdapterContext {
  std::shared_ptr<NameTable> names;
  // Shared by every object a server handed out; the last one gone ends it.
  std::shared_ptr<void> keepAlive;
};

// Fills `out` (VariantInit'ed by the caller, VariantClear'ed by it after)
// with `value`. An object of another server keeps its IDispatch; one of
// ours is put behind an adapter of `context`. Throws AutomationError when
// memory runs out.
void ToComVariant(const Variant& value, VARIANT& out, const AdapterContext& context);

// `value` as our Variant: references followed, an adapter of ours
// unwrapped to its object, any other IDispatch wrapped for calls, arrays
// of VARIANT or of any scalar type read cell by cell. Throws
// AutomationError for kinds this program never exchanges.
Variant FromComVariant(const VARIANT& value);

}  // namespace z917::automation::com
