// The values that cross the automation interface: the kinds an automation
// VARIANT carries for this program, with text held as UTF-8 so that a COM
// backend converts to BSTR only at its own boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "common/vocabulary.h"

namespace z917::automation {

class AutomationObject;
class Variant;

// A reference to an object of an automation server.
using ObjectRef = std::shared_ptr<AutomationObject>;

// A date variant: a TDateTime, distinct from a plain double so that the
// server can tell dates from numbers.
struct Date {
  TDateTime value = 0;
  bool operator==(const Date&) const = default;
};

// A two-dimensional array of variants whose lower bounds are both 1.
class VariantArray {
 public:
  // An array of rows x columns empty variants; throws AutomationError when
  // either count is zero or the array would be unreasonably large.
  VariantArray(std::size_t rows, std::size_t columns);

  // The counts given at construction.
  std::size_t Rows() const { return rows_; }
  std::size_t Columns() const { return columns_; }

  // The element at (row, column), both counted from 1; throws
  // AutomationError outside the bounds.
  Variant& At(std::size_t row, std::size_t column);
  const Variant& At(std::size_t row, std::size_t column) const;

  // The element at (row, column) counted from 1, unchecked; the bounds are
  // the caller's promise.
  const Variant& AtUnchecked(std::size_t row, std::size_t column) const;

  bool operator==(const VariantArray&) const;

 private:
  std::size_t Offset(std::size_t row, std::size_t column) const;
  [[noreturn]] void ThrowOutside(std::size_t row, std::size_t column) const;

  std::size_t rows_;
  std::size_t columns_;
  std::vector<Variant> cells_;
};

// Which alternative a Variant holds; the order is that of its storage.
enum class VariantKind {
  Empty,
  Bool,
  Int8,
  UInt8,
  Int16,
  UInt16,
  Int32,
  UInt32,
  Int64,
  Double,
  Date,
  Text,
  Object,
  Array,
};

// The integer types a Variant takes: any but bool, the character types
// and the unsigned 64-bit ones.
template <typename T>
concept StoredInteger =
    std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
    !std::is_same_v<T, wchar_t> && !std::is_same_v<T, char8_t> && !std::is_same_v<T, char16_t> &&
    !std::is_same_v<T, char32_t> && (std::is_signed_v<T> || sizeof(T) < 8);

// The fixed-width integer a Variant stores an integer of type T as.
template <typename T>
using SameWidthInteger = std::conditional_t<
    std::is_signed_v<T>,
    std::conditional_t<
        sizeof(T) == 1, std::int8_t,
        std::conditional_t<sizeof(T) == 2, std::int16_t,
                           std::conditional_t<sizeof(T) == 4, std::int32_t, std::int64_t>>>,
    std::conditional_t<sizeof(T) == 1, std::uint8_t,
                       std::conditional_t<sizeof(T) == 2, std::uint16_t, std::uint32_t>>>;

// One automation value. Integers keep their width and signedness, as the
// callers chose them; text is Unicode in UTF-8.
class Variant {
 public:
  // An Empty variant, or one holding the given value.
  Variant() = default;
  Variant(bool v) : value_(v) {}
  // Any integer type by its width and signedness, so that `long` (64 bits
  // on Linux, 32 on Windows) and `long long` are no ambiguous calls on
  // either system. There is no unsigned 64-bit kind.
  template <typename T>
  requires StoredInteger<T> Variant(T v) : value_(static_cast<SameWidthInteger<T>>(v)) {}
  Variant(double v) : value_(v) {}
  Variant(Date v) : value_(v) {}
  Variant(std::string utf8) : value_(std::move(utf8)) {}
  Variant(std::string_view utf8) : value_(std::string(utf8)) {}
  Variant(const char* utf8) : value_(std::string(utf8)) {}
  Variant(ObjectRef object) : value_(std::move(object)) {}
  Variant(VariantArray array) : value_(std::move(array)) {}

  // What the variant holds.
  VariantKind Kind() const { return static_cast<VariantKind>(value_.index()); }
  bool IsEmpty() const { return Kind() == VariantKind::Empty; }
  bool IsInteger() const;

  // The value as a signed integer when it is any integer kind; throws
  // AutomationError otherwise (also for a uint64 that cannot exist here).
  std::int64_t AsInteger() const;
  // The number of an integer, double or date; throws AutomationError for
  // any other kind.
  double AsNumber() const;
  // The text of a Text variant; throws AutomationError for any other kind.
  const std::string& AsText() const;
  // The object of an Object variant (never null); throws AutomationError
  // for any other kind and for a null reference.
  const ObjectRef& AsObject() const;
  // The array of an Array variant; throws AutomationError otherwise.
  const VariantArray& AsArray() const;
  VariantArray& AsArray();
  // The day count of a Date variant; throws AutomationError otherwise.
  TDateTime AsDate() const;
  // The boolean of a Bool variant; throws AutomationError otherwise.
  bool AsBool() const;

  // Direct access for callers that switch on Kind() themselves.
  template <typename T>
  const T& Get() const {
    return std::get<T>(value_);
  }

  bool operator==(const Variant&) const = default;

 private:
  std::variant<std::monostate, bool, std::int8_t, std::uint8_t, std::int16_t, std::uint16_t,
               std::int32_t, std::uint32_t, std::int64_t, double, Date, std::string, ObjectRef,
               VariantArray>
      value_;
};

// The kind's name as error messages show it.
std::string_view VariantKindName(VariantKind kind);

// Every row written reads its values through these, so they are inline.
inline const Variant& VariantArray::AtUnchecked(std::size_t row, std::size_t column) const {
  return cells_[(row - 1) * columns_ + (column - 1)];
}

inline std::size_t VariantArray::Offset(std::size_t row, std::size_t column) const {
  if (row < 1 || row > rows_ || column < 1 || column > columns_) ThrowOutside(row, column);
  return (row - 1) * columns_ + (column - 1);
}

inline Variant& VariantArray::At(std::size_t row, std::size_t column) {
  return cells_[Offset(row, column)];
}

inline const Variant& VariantArray::At(std::size_t row, std::size_t column) const {
  return cells_[Offset(row, column)];
}

}  // namespace z917::automation
