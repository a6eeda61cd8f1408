#include "automation/com/com_variant.h"

#include <oleauto.h>

#include <cstring>
#include <limits>
#include <string>

#include "automation/automation_error.h"
#include "automation/com/com_object.h"
#include "automation/com/dispatch_adapter.h"
#include "platform/win32/wide_text.h"

namespace z917::automation::com {

namespace {

[[noreturn]] void ThrowNoMemory() { throw AutomationError("Недостаточно памяти"); }

BSTR NewBstr(const std::string& utf8) {
  const std::wstring wide = platform::WideFromUtf8(utf8);
  BSTR text = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (text == nullptr) ThrowNoMemory();
  return text;
}

IDispatch* DispatchOf(const ObjectRef& object, const AdapterContext& context) {
  if (!object) return nullptr;
  if (const auto* remote = dynamic_cast<const ComObject*>(object.get())) {
    remote->Interface()->AddRef();
    return remote->Interface();
  }
  return NewDispatchAdapter(object, context);
}

// The largest integer a double holds exactly, and every one below it.
constexpr std::int64_t kExactInDouble = std::int64_t{1} << 53;

// The narrowest element type that holds `cell` as it is: a small integer
// as VT_I2 or VT_I4, other numbers as VT_R8 (what a cell holds), a date,
// a text; VT_VARIANT for anything else.
VARTYPE CellType(const Variant& cell) {
  if (cell.IsInteger()) {
    const std::int64_t v = cell.AsInteger();
    if (v >= std::numeric_limits<SHORT>::min() && v <= std::numeric_limits<SHORT>::max()) {
      return VT_I2;
    }
    if (v >= std::numeric_limits<LONG>::min() && v <= std::numeric_limits<LONG>::max()) {
      return VT_I4;
    }
    return v >= -kExactInDouble && v <= kExactInDouble ? VT_R8 : VT_VARIANT;
  }
  switch (cell.Kind()) {
    case VariantKind::Double:
      return VT_R8;
    case VariantKind::Date:
      return VT_DATE;
    case VariantKind::Text:
      return VT_BSTR;
    default:
      return VT_VARIANT;
  }
}

bool IsNumberType(VARTYPE type) { return type == VT_I2 || type == VT_I4 || type == VT_R8; }

// The type that holds cells of both types: the wider of two number types
// (VT_I2 < VT_I4 < VT_R8), the type itself, or VT_VARIANT.
VARTYPE Wider(VARTYPE a, VARTYPE b) {
  if (a == b) return a;
  if (!IsNumberType(a) || !IsNumberType(b)) return VT_VARIANT;
  if (a == VT_R8 || b == VT_R8) return VT_R8;
  return VT_I4;
}

// The one element type every cell of `array` travels as without change;
// VT_VARIANT for a mix of kinds or an empty cell. A server in another
// process is paced by the bytes it unmarshals, and a typed element costs
// a quarter to a third of a VARIANT's.
VARTYPE ElementTypeOf(const VariantArray& array) {
  VARTYPE type = CellType(array.AtUnchecked(1, 1));
  for (std::size_t c = 1; c <= array.Columns() && type != VT_VARIANT; ++c) {
    for (std::size_t r = 1; r <= array.Rows() && type != VT_VARIANT; ++r) {
      type = Wider(type, CellType(array.AtUnchecked(r, c)));
    }
  }
  return type;
}

// An integer cell in an array of VARIANT as Excel documents cells: VT_I4,
// or VT_R8 beyond 32 bits (never VT_I1, VT_UI2, VT_UI4 or VT_I8).
void PutIntegerCell(std::int64_t v, VARIANT& out) {
  if (v >= std::numeric_limits<LONG>::min() && v <= std::numeric_limits<LONG>::max()) {
    out.lVal = static_cast<LONG>(v);
    out.vt = VT_I4;
  } else {
    out.dblVal = static_cast<double>(v);
    out.vt = VT_R8;
  }
}

// Writes `cell` as an element of a SAFEARRAY of `type`.
void PutElement(const Variant& cell, VARTYPE type, void* element, const AdapterContext& context) {
  switch (type) {
    case VT_I2:
      *static_cast<SHORT*>(element) = static_cast<SHORT>(cell.AsInteger());
      return;
    case VT_I4:
      *static_cast<LONG*>(element) = static_cast<LONG>(cell.AsInteger());
      return;
    case VT_R8:
      *static_cast<double*>(element) = cell.AsNumber();
      return;
    case VT_DATE:
      *static_cast<DATE*>(element) = cell.AsDate();
      return;
    case VT_BSTR:
      *static_cast<BSTR*>(element) = NewBstr(cell.AsText());
      return;
    default:
      if (cell.IsInteger())
        return PutIntegerCell(cell.AsInteger(), *static_cast<VARIANT*>(element));
      ToComVariant(cell, *static_cast<VARIANT*>(element), context);
      return;
  }
}

// A SAFEARRAY keeps its elements column by column: the first index runs
// fastest.
SAFEARRAY* NewSafeArray(const VariantArray& array, const AdapterContext& context, VARTYPE type) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(array.Rows()), 1},
                              {static_cast<ULONG>(array.Columns()), 1}};
  SAFEARRAY* safe = ::SafeArrayCreate(type, 2, bounds);
  if (safe == nullptr) ThrowNoMemory();
  char* cells = nullptr;
  ::SafeArrayAccessData(safe, reinterpret_cast<void**>(&cells));
  const std::size_t size = ::SafeArrayGetElemsize(safe);
  try {
    for (std::size_t c = 1; c <= array.Columns(); ++c) {
      for (std::size_t r = 1; r <= array.Rows(); ++r) {
        void* element = cells + ((c - 1) * array.Rows() + (r - 1)) * size;
        PutElement(array.AtUnchecked(r, c), type, element, context);
      }
    }
  } catch (...) {
    ::SafeArrayUnaccessData(safe);
    ::SafeArrayDestroy(safe);
    throw;
  }
  ::SafeArrayUnaccessData(safe);
  return safe;
}

// The bytes of one element of a SAFEARRAY of `type`, or 0 for a type
// this program never exchanges.
std::size_t ElementSize(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
      return 8;
    case VT_BSTR:
    case VT_DISPATCH:
      return sizeof(void*);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

// Element `index` of a SAFEARRAY of `type` as a VARIANT that borrows it:
// the array still owns any text or object in it.
VARIANT BorrowedElement(const char* cells, std::size_t index, VARTYPE type) {
  if (type == VT_VARIANT) return reinterpret_cast<const VARIANT*>(cells)[index];
  VARIANT value;
  ::VariantInit(&value);
  value.vt = type;
  std::memcpy(&value.llVal, cells + index * ElementSize(type), ElementSize(type));
  return value;
}

Variant FromSafeArray(SAFEARRAY* safe, VARTYPE elementType) {
  const UINT dims = ::SafeArrayGetDim(safe);
  const std::size_t size = ElementSize(elementType);
  if (size == 0 || ::SafeArrayGetElemsize(safe) != size || (dims != 1 && dims != 2)) {
    throw AutomationError("Несовпадение типа: ожидается массив значений");
  }
  LONG low[2] = {1, 1};
  LONG high[2] = {1, 1};
  for (UINT d = 0; d < dims; ++d) {
    ::SafeArrayGetLBound(safe, d + 1, &low[d]);
    ::SafeArrayGetUBound(safe, d + 1, &high[d]);
  }
  const std::size_t rows = static_cast<std::size_t>(high[0] - low[0] + 1);
  const std::size_t columns = static_cast<std::size_t>(high[1] - low[1] + 1);
  VariantArray array(rows, columns);
  const char* cells = nullptr;
  if (FAILED(::SafeArrayAccessData(safe, reinterpret_cast<void**>(const_cast<char**>(&cells))))) {
    ThrowNoMemory();
  }
  try {
    for (std::size_t c = 1; c <= columns; ++c) {
      for (std::size_t r = 1; r <= rows; ++r) {
        const std::size_t index = (c - 1) * rows + (r - 1);
        array.At(r, c) = FromComVariant(BorrowedElement(cells, index, elementType));
      }
    }
  } catch (...) {
    ::SafeArrayUnaccessData(safe);
    throw;
  }
  ::SafeArrayUnaccessData(safe);
  return Variant(std::move(array));
}

// Gives `out` the type `type` and its member `field` the value `v`. The
// type goes last, once the value is made: a value that fails to be made
// leaves `out` as it was.
template <typename Field, typename Value>
void Put(VARIANT& out, VARTYPE type, Field& field, Value v) {
  field = v;
  out.vt = type;
}

Variant FromDispatch(IDispatch* dispatch) {
  if (dispatch == nullptr) return Variant(ObjectRef());
  if (ObjectRef ours = AdaptedObject(dispatch)) return Variant(std::move(ours));
  return Variant(ObjectRef(std::make_shared<ComObject>(dispatch)));
}

}  // namespace

void ToComVariant(const Variant& value, VARIANT& out, const AdapterContext& context) {
  switch (value.Kind()) {
    case VariantKind::Empty:
      out.vt = VT_EMPTY;
      return;
    case VariantKind::Bool:
      return Put(out, VT_BOOL, out.boolVal, value.AsBool() ? VARIANT_TRUE : VARIANT_FALSE);
    case VariantKind::Int8:
      return Put(out, VT_I1, out.cVal, value.Get<std::int8_t>());
    case VariantKind::UInt8:
      return Put(out, VT_UI1, out.bVal, value.Get<std::uint8_t>());
    case VariantKind::Int16:
      return Put(out, VT_I2, out.iVal, value.Get<std::int16_t>());
    case VariantKind::UInt16:
      return Put(out, VT_UI2, out.uiVal, value.Get<std::uint16_t>());
    case VariantKind::Int32:
      return Put(out, VT_I4, out.lVal, value.Get<std::int32_t>());
    case VariantKind::UInt32:
      return Put(out, VT_UI4, out.ulVal, value.Get<std::uint32_t>());
    case VariantKind::Int64:
      return Put(out, VT_I8, out.llVal, value.Get<std::int64_t>());
    case VariantKind::Double:
      return Put(out, VT_R8, out.dblVal, value.Get<double>());
    case VariantKind::Date:
      return Put(out, VT_DATE, out.date, value.AsDate());
    case VariantKind::Text:
      return Put(out, VT_BSTR, out.bstrVal, NewBstr(value.AsText()));
    case VariantKind::Object:
      return Put(out, VT_DISPATCH, out.pdispVal, DispatchOf(value.Get<ObjectRef>(), context));
    case VariantKind::Array: {
      const VARTYPE type =
          context.typedArrays ? ElementTypeOf(value.AsArray()) : VARTYPE{VT_VARIANT};
      return Put(out, VT_ARRAY | type, out.parray, NewSafeArray(value.AsArray(), context, type));
    }
  }
}

Variant FromComVariant(const VARIANT& value) {
  if (value.vt & VT_BYREF) {
    ComVariant plain;
    if (FAILED(::VariantCopyInd(plain.out(), const_cast<VARIANT*>(&value)))) ThrowNoMemory();
    return FromComVariant(plain.get());
  }
  if (value.vt & VT_ARRAY) return FromSafeArray(value.parray, value.vt & VT_TYPEMASK);
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return Variant();
    case VT_BOOL:
      return Variant(value.boolVal != VARIANT_FALSE);
    case VT_I1:
      return Variant(static_cast<std::int8_t>(value.cVal));
    case VT_UI1:
      return Variant(value.bVal);
    case VT_I2:
      return Variant(value.iVal);
    case VT_UI2:
      return Variant(value.uiVal);
    case VT_I4:
      return Variant(static_cast<std::int32_t>(value.lVal));
    case VT_INT:
      return Variant(static_cast<std::int32_t>(value.intVal));
    case VT_UI4:
      return Variant(static_cast<std::uint32_t>(value.ulVal));
    case VT_UINT:
      return Variant(static_cast<std::uint32_t>(value.uintVal));
    case VT_I8:
      return Variant(static_cast<std::int64_t>(value.llVal));
    case VT_UI8:
      if (value.ullVal > static_cast<ULONGLONG>(std::numeric_limits<std::int64_t>::max())) break;
      return Variant(static_cast<std::int64_t>(value.ullVal));
    case VT_R4:
      return Variant(static_cast<double>(value.fltVal));
    case VT_R8:
      return Variant(value.dblVal);
    case VT_DATE:
      return Variant(Date{value.date});
    case VT_BSTR:
      return Variant(platform::Utf8FromWide(
          std::wstring_view(value.bstrVal, value.bstrVal ? ::SysStringLen(value.bstrVal) : 0)));
    case VT_DISPATCH:
      return FromDispatch(value.pdispVal);
    default:
      break;
  }
  throw AutomationError("Несовпадение типа: значение вида " + std::to_string(value.vt) +
                        " не поддерживается");
}

}  // namespace z917::automation::com
