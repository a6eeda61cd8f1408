#include "automation/variant.h"

#include <limits>

#include "automation/automation_error.h"

namespace z917::automation {

namespace {

// Guards against a size that would exhaust memory before any server sees
// the array: more than any worksheet range a caller can assign in one go.
constexpr std::size_t kMaxArrayElements = std::size_t{1} << 24;

[[noreturn]] void ThrowWrongKind(VariantKind have, std::string_view wanted) {
  throw AutomationError("Несовпадение типа: ожидается " + std::string(wanted) + ", передано " +
                        std::string(VariantKindName(have)));
}

}  // namespace

void ThrowObjectNotSet() { throw AutomationError("Переменная объекта не задана"); }

VariantArray::VariantArray(std::size_t rows, std::size_t columns) : rows_(rows), columns_(columns) {
  if (rows == 0 || columns == 0 || rows > kMaxArrayElements / columns) {
    throw AutomationError("Недопустимые размеры массива: " + std::to_string(rows) + "×" +
                          std::to_string(columns));
  }
  cells_.resize(rows * columns);
}

void VariantArray::ThrowOutside(std::size_t row, std::size_t column) const {
  throw AutomationError("Индекс массива (" + std::to_string(row) + ", " + std::to_string(column) +
                        ") вне границ 1.." + std::to_string(rows_) + ", 1.." +
                        std::to_string(columns_));
}

bool VariantArray::operator==(const VariantArray& other) const {
  return rows_ == other.rows_ && columns_ == other.columns_ && cells_ == other.cells_;
}

bool Variant::IsInteger() const {
  const VariantKind k = Kind();
  return k >= VariantKind::Int8 && k <= VariantKind::Int64;
}

std::int64_t Variant::AsInteger() const {
  if (!IsInteger()) ThrowWrongKind(Kind(), "целое число");
  // Every stored integer type fits an int64_t: there is no unsigned 64-bit kind.
  return std::visit(
      []<typename T>(const T& v) -> std::int64_t {
        if constexpr (StoredInteger<T>) {
          return v;
        } else {
          return 0;  // not reached: IsInteger said it is one
        }
      },
      value_);
}

double Variant::AsNumber() const {
  if (IsInteger()) return static_cast<double>(AsInteger());
  if (Kind() == VariantKind::Double) return std::get<double>(value_);
  if (Kind() == VariantKind::Date) return std::get<Date>(value_).value;
  ThrowWrongKind(Kind(), "число");
}

const std::string& Variant::AsText() const {
  if (Kind() != VariantKind::Text) ThrowWrongKind(Kind(), "текст");
  return std::get<std::string>(value_);
}

const ObjectRef& Variant::AsObject() const {
  if (Kind() != VariantKind::Object) ThrowWrongKind(Kind(), "объект");
  if (!std::get<ObjectRef>(value_)) ThrowObjectNotSet();
  return std::get<ObjectRef>(value_);
}

const VariantArray& Variant::AsArray() const {
  if (Kind() != VariantKind::Array) ThrowWrongKind(Kind(), "массив");
  return std::get<VariantArray>(value_);
}

VariantArray& Variant::AsArray() {
  if (Kind() != VariantKind::Array) ThrowWrongKind(Kind(), "массив");
  return std::get<VariantArray>(value_);
}

TDateTime Variant::AsDate() const {
  if (Kind() != VariantKind::Date) ThrowWrongKind(Kind(), "дата");
  return std::get<Date>(value_).value;
}

bool Variant::AsBool() const {
  if (Kind() != VariantKind::Bool) ThrowWrongKind(Kind(), "логическое значение");
  return std::get<bool>(value_);
}

std::string_view VariantKindName(VariantKind kind) {
  switch (kind) {
    case VariantKind::Empty:
      return "пусто";
    case VariantKind::Bool:
      return "логическое значение";
    case VariantKind::Int8:
      return "целое со знаком, 8 бит";
    case VariantKind::UInt8:
      return "целое без знака, 8 бит";
    case VariantKind::Int16:
      return "целое со знаком, 16 бит";
    case VariantKind::UInt16:
      return "целое без знака, 16 бит";
    case VariantKind::Int32:
      return "целое со знаком, 32 бита";
    case VariantKind::UInt32:
      return "целое без знака, 32 бита";
    case VariantKind::Int64:
      return "целое со знаком, 64 бита";
    case VariantKind::Double:
      return "число двойной точности";
    case VariantKind::Date:
      return "дата";
    case VariantKind::Text:
      return "текст";
    case VariantKind::Object:
      return "объект";
    case VariantKind::Array:
      return "массив";
  }
  return "неизвестный тип";
}

}  // namespace z917::automation
