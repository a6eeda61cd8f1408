// Values across IDispatch: our Variant to a COM VARIANT and back. Text is
// UTF-8 on our side and a BSTR on COM's; arrays are 2-D SAFEARRAYs with
// lower bounds 1, typed when every cell fits one type (VT_I2, VT_I4,
// VT_R8, VT_DATE, VT_BSTR) and the context allows, else of VARIANT;
// objects are IDispatch pointers.
#pragma once

#include <oaidl.h>
#include <oleauto.h>

#include <functional>
#include <memory>
#include <string_view>

#include "automation/variant.h"

namespace z917::automation::com {

class NameTable;

// A VARIANT this code owns: empty when made, cleared (its text freed, its
// object released) when destroyed, whatever way the scope is left.
class ComVariant {
 public:
  ComVariant() { ::VariantInit(&value_); }
  ~ComVariant() { ::VariantClear(&value_); }
  // Takes the other's value and leaves it empty.
  ComVariant(ComVariant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
  ComVariant& operator=(ComVariant&& other) noexcept {
    if (this != &other) {
      ::VariantClear(&value_);
      value_ = other.value_;
      ::VariantInit(&other.value_);
    }
    return *this;
  }
  ComVariant(const ComVariant&) = delete;
  ComVariant& operator=(const ComVariant&) = delete;

  // The value, still owned by this object.
  VARIANT& get() { return value_; }
  const VARIANT& get() const { return value_; }
  // The value cleared, for a call that fills it.
  VARIANT* out() {
    ::VariantClear(&value_);
    return &value_;
  }

 private:
  VARIANT value_;
};

// What an object of ours needs when it is handed out as an IDispatch:
// the member names it will be called by, and what keeps its server alive.
struct AdapterContext {
  std::shared_ptr<NameTable> names;
  // Shared by every object a server handed out; the last one gone ends it.
  std::shared_ptr<void> keepAlive;
  // A server's own rules, shown each lookup (`params` null) and each call
  // before the object sees it: S_OK lets it through, anything else is the
  // call's result. None when empty.
  std::function<HRESULT(std::string_view member, LCID locale, const DISPPARAMS* params)> screen;
  // Whether arrays whose cells are alike go typed; else all of VARIANT.
  bool typedArrays = true;
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
