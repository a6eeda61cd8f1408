#include "automation/workbook/workbook_model.h"

#include "automation/automation_error.h"
#include "automation/workbook/limits.h"
#include "automation/workbook/text_checks.h"

namespace z917::workbook {

namespace {

using automation::AutomationError;

std::string Quoted(std::string_view name) { return "«" + std::string(name) + "»"; }

}  // namespace

std::size_t WorkbookModel::IndexOf(const Sheet* sheet) const {
  for (std::size_t i = 0; i < sheets_.size(); ++i) {
    if (sheets_[i].get() == sheet) return i;
  }
  return sheets_.size();
}

std::size_t WorkbookModel::FindByName(std::string_view name) const {
  const std::u32string folded = FoldCase(name);
  for (std::size_t i = 0; i < sheets_.size(); ++i) {
    if (FoldCase(sheets_[i]->Name()) == folded) return i;
  }
  return sheets_.size();
}

Sheet& WorkbookModel::InsertSheet(std::size_t position) {
  std::string name;
  do {
    name = "Лист" + std::to_string(nextDefaultName_++);
  } while (FindByName(name) != sheets_.size());
  auto inserted =
      sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(position),
                     std::make_unique<Sheet>(std::move(name), passed_.get(), rowsHeld_));
  active_ = position;
  return **inserted;
}

void WorkbookModel::MakeAllLive() {
  for (const auto& sheet : sheets_) sheet->MakeAllLive();
}

void WorkbookModel::RenameSheet(Sheet& sheet, std::string name) {
  CheckSheetName(name, &sheet);
  sheet.SetName(std::move(name));
}

void WorkbookModel::CheckSheetName(std::string_view name, const Sheet* sheet) const {
  const auto length = Utf16Length(name);
  if (!length) throw AutomationError("Имя листа не является текстом в кодировке UTF-8");
  if (*length == 0) throw AutomationError("Имя листа не может быть пустым");
  if (*length > kMaxSheetNameLength) {
    throw AutomationError("Имя листа " + Quoted(name) + " длиннее " +
                          std::to_string(kMaxSheetNameLength) + " знака");
  }
  if (const auto bad = name.find_first_of(":\\/?*[]"); bad != std::string_view::npos) {
    throw AutomationError("Имя листа " + Quoted(name) + " содержит недопустимый знак " +
                          Quoted(name.substr(bad, 1)));
  }
  if (HasControlCharacter(name)) {
    throw AutomationError("Имя листа " + Quoted(name) + " содержит управляющий знак");
  }
  if (name.front() == '\'' || name.back() == '\'') {
    throw AutomationError("Имя листа " + Quoted(name) +
                          " не может начинаться или заканчиваться апострофом");
  }
  if (FoldCase(name) == FoldCase("History")) {
    throw AutomationError("Имя листа «History» зарезервировано");
  }
  const std::size_t other = FindByName(name);
  if (other != sheets_.size() && sheets_[other].get() != sheet) {
    throw AutomationError("Лист с именем " + Quoted(name) + " уже есть в книге");
  }
}

}  // namespace z917::workbook
