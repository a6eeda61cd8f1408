#include "excel_writer/fake_excel.h"

#include <sstream>

#include "automation/server_factory.h"

namespace z917::test {

using automation::Variant;
using automation::VariantKind;

std::string Render(const Variant& value) {
  std::ostringstream out;
  switch (value.Kind()) {
    case VariantKind::Empty:
      return "empty";
    case VariantKind::Bool:
      return value.AsBool() ? "bool:true" : "bool:false";
    case VariantKind::Int8:
      out << "i8:";
      break;
    case VariantKind::UInt8:
      out << "u8:";
      break;
    case VariantKind::Int16:
      out << "i16:";
      break;
    case VariantKind::UInt16:
      out << "u16:";
      break;
    case VariantKind::Int32:
      out << "i32:";
      break;
    case VariantKind::UInt32:
      out << "u32:";
      break;
    case VariantKind::Int64:
      out << "i64:";
      break;
    case VariantKind::Double:
      out << "d:" << value.AsNumber();
      return out.str();
    case VariantKind::Date:
      out << "date:" << value.AsDate();
      return out.str();
    case VariantKind::Text:
      return "text:\"" + value.AsText() + "\"";
    case VariantKind::Object: {
      const auto* fake = dynamic_cast<const FakeExcelObject*>(value.AsObject().get());
      return "obj:" + (fake ? fake->Name() : std::string("?"));
    }
    case VariantKind::Array: {
      const auto& a = value.AsArray();
      std::string text = "[";
      for (std::size_t r = 1; r <= a.Rows(); ++r) {
        for (std::size_t c = 1; c <= a.Columns(); ++c) {
          if (text.size() > 1) text += '|';
          text += Render(a.At(r, c));
        }
      }
      return text + "]";
    }
  }
  out << value.AsInteger();
  return out.str();
}

std::string FakeExcelObject::Describe(std::string_view member,
                                      const automation::Arguments& args) const {
  std::string text = name_ + "." + std::string(member);
  if (args.positional.empty() && args.named.empty()) return text;
  text += "(";
  bool first = true;
  for (const Variant& v : args.positional) {
    text += (first ? "" : ", ") + Render(v);
    first = false;
  }
  for (const auto& n : args.named) {
    text += (first ? "" : ", ") + n.name + ":=" + Render(n.value);
    first = false;
  }
  return text + ")";
}

void FakeExcelObject::Log(std::string line) {
  const bool fail = !state_->failOn.empty() && line.find(state_->failOn) != std::string::npos;
  state_->log.push_back(std::move(line));
  if (fail) throw automation::AutomationError("сбой сервера");
}

namespace {

// The corner "A2" names on `sheet`; row 0 for a text that names no cell.
FakeExcelObject::Corner CornerOf(const std::string& sheet, const std::string& cell) {
  FakeExcelObject::Corner corner{sheet};
  std::size_t i = 0;
  for (; i < cell.size() && cell[i] >= 'A' && cell[i] <= 'Z'; ++i) {
    corner.column = corner.column * 26 + static_cast<std::size_t>(cell[i] - 'A' + 1);
  }
  for (; i < cell.size() && cell[i] >= '0' && cell[i] <= '9'; ++i) {
    corner.row = corner.row * 10 + static_cast<std::size_t>(cell[i] - '0');
  }
  if (i != cell.size()) corner.row = 0;
  return corner;
}

}  // namespace

Variant FakeExcelObject::GetProperty(std::string_view member, const automation::Arguments& args) {
  const std::string what = Describe(member, args);
  Log("get " + what);
  if (member == "Version") return Variant(state_->versionText);
  if (member == "Count") {
    return Variant(
        std::int32_t{name_ == "app.Workbooks" ? state_->otherWorkbooks : state_->sheetCount});
  }
  Corner corner;
  if (member == "Range" && args.positional.size() == 2 &&
      args.positional[0].Kind() == VariantKind::Text) {
    corner = CornerOf(name_, args.positional[0].AsText());
  }
  return Variant(automation::ObjectRef(std::make_shared<FakeExcelObject>(state_, what, corner)));
}

void FakeExcelObject::SetProperty(std::string_view member, const automation::Arguments& args,
                                  const Variant& value) {
  Log("set " + Describe(member, args) + " = " + Render(value));
  if (member != "Value" || corner_.row == 0 || value.Kind() != VariantKind::Array) return;
  const auto& a = value.AsArray();
  for (std::size_t r = 1; r <= a.Rows(); ++r) {
    for (std::size_t c = 1; c <= a.Columns(); ++c) {
      state_->cells[corner_.sheet + "!R" + std::to_string(corner_.row + r - 1) + "C" +
                    std::to_string(corner_.column + c - 1)] = Render(a.At(r, c));
    }
  }
}

Variant FakeExcelObject::CallMethod(std::string_view member, const automation::Arguments& args) {
  Log("call " + Describe(member, args));
  if (member == "Add" && !args.named.empty()) ++state_->sheetCount;
  if (member == "Add" && name_ == "app.Workbooks") {
    return Variant(automation::ObjectRef(std::make_shared<FakeExcelObject>(state_, "book")));
  }
  return Variant();
}

std::function<automation::Dispatch(std::string_view)> FakeExcelStarter(
    std::shared_ptr<FakeExcelState> state, bool failStart) {
  return [state, failStart](std::string_view progId) {
    state->log.push_back("start " + std::string(progId));
    if (failStart) {
      throw automation::AutomationError(
          automation::StartFailureMessage("Класс не зарегистрирован", progId));
    }
    ++state->starts;
    state->sheetCount = 1;
    return automation::Dispatch(
        automation::ObjectRef(std::make_shared<FakeExcelObject>(state, "app")));
  };
}

}  // namespace z917::test
