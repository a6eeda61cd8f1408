// Workbooks, Workbook and Worksheets: the collections and the workbook.
#include "automation/automation_error.h"
#include "automation/workbook/engine_objects.h"
#include "automation/workbook/limits.h"
#include "automation/workbook/save_workbook.h"
#include "automation/workbook/xls/xls_limits.h"
#include "automation/workbook/xlsx_writer.h"

namespace z917::workbook {

namespace {

using automation::AutomationError;
using automation::ObjectRef;
using automation::VariantKind;

// Excel's template code for a new workbook of one worksheet.
constexpr std::int64_t kSingleWorksheetTemplate = -4167;

template <typename T, typename... A>
Variant MakeObject(A&&... args) {
  return Variant(ObjectRef(std::make_shared<T>(std::forward<A>(args)...)));
}

std::size_t CheckedIndex(const std::string& subject, std::int64_t index, std::size_t count) {
  if (index < 1 || static_cast<std::uint64_t>(index) > count) {
    throw AutomationError(subject + " — индекс " + std::to_string(index) + " вне диапазона 1.." +
                          std::to_string(count));
  }
  return static_cast<std::size_t>(index - 1);
}

}  // namespace

// --- Workbooks ---

namespace {
enum WorkbooksMember { kAdd, kCount, kItem };
constexpr MemberInfo kWorkbooksMembers[] = {{"Add", kCall}, {"Count", kGet}, {"Item", kGet}};
}  // namespace

WorkbooksObject::WorkbooksObject(StatePtr state)
    : EngineObject(std::move(state), "Workbooks", kWorkbooksMembers) {}

Variant WorkbooksObject::Item(const StatePtr& state, const std::string& subject,
                              const Variant& index) {
  const std::size_t i = CheckedIndex(subject, ToInteger(index, subject), state->workbooks.size());
  return MakeObject<WorkbookObject>(state, state->workbooks[i]);
}

Variant WorkbooksObject::Invoke(std::size_t member, MemberUse, const Arguments& args,
                                const Variant*) {
  switch (member) {
    case kAdd: {
      ArgumentReader reader(Where(member), args, {"Template"});
      if (reader.Find(0) && reader.Integer(0) != kSingleWorksheetTemplate) {
        throw AutomationError(reader.Subject(0) +
                              " — поддерживается только шаблон -4167 (книга из одного листа)");
      }
      // A workbook meant for .xls holds what that format can in memory:
      // passing those rows on would only mean taking them all back to save.
      const std::uint32_t rowsHeld =
          state_->defaultSaveFormat == kExcel8Workbook ? xls::kXlsMaxRows : 0;
      auto workbook = std::make_shared<WorkbookModel>(MakeXlsxRowKeeper(), rowsHeld);
      workbook->InsertSheet(0);
      state_->workbooks.push_back(workbook);
      return MakeObject<WorkbookObject>(state_, std::move(workbook));
    }
    case kCount:
      ExpectNoArguments(Where(member), args);
      return static_cast<std::int32_t>(state_->workbooks.size());
    case kItem: {
      ArgumentReader reader(Where(member), args, {"Index"});
      return Item(state_, reader.Subject(0), reader.Required(0));
    }
  }
  return {};
}

// --- Workbook ---

namespace {
enum WorkbookMember { kWorksheets, kSaveAs, kClose };
constexpr MemberInfo kWorkbookMembers[] = {
    {"Worksheets", kGet}, {"SaveAs", kCall}, {"Close", kCall}};
}  // namespace

WorkbookObject::WorkbookObject(StatePtr state, WorkbookPtr workbook)
    : EngineObject(std::move(state), "Workbook", kWorkbookMembers),
      workbook_(std::move(workbook)) {}

Variant WorkbookObject::Invoke(std::size_t member, MemberUse, const Arguments& args,
                               const Variant*) {
  switch (member) {
    case kWorksheets: {
      ArgumentReader reader(Where(member), args, {"Index"});
      if (const Variant* index = reader.Find(0)) {
        return WorksheetsObject::Item(state_, workbook_, reader.Subject(0), *index);
      }
      return MakeObject<WorksheetsObject>(state_, workbook_);
    }
    case kSaveAs: {
      ArgumentReader reader(Where(member), args, {"Filename", "FileFormat"});
      const std::string& path = reader.Text(0);
      std::optional<std::int64_t> format;
      if (reader.Find(1)) format = reader.Integer(1);
      SaveWorkbook(*workbook_, path, format, !state_->displayAlerts);
      return {};
    }
    case kClose: {
      // Only unsaved: the engine never saves on its own, nor asks.
      ArgumentReader reader(Where(member), args, {"SaveChanges"});
      if (const Variant* save = reader.Find(0); save && ToBool(*save, reader.Subject(0))) {
        throw AutomationError(reader.Subject(0) + " — поддерживается только False");
      }
      std::erase(state_->workbooks, workbook_);
      return {};
    }
  }
  return {};
}

// --- Worksheets ---

namespace {
enum WorksheetsMember { kSheetsCount, kSheetsItem, kSheetsAdd };
constexpr MemberInfo kWorksheetsMembers[] = {{"Count", kGet}, {"Item", kGet}, {"Add", kCall}};
}  // namespace

WorksheetsObject::WorksheetsObject(StatePtr state, WorkbookPtr workbook)
    : EngineObject(std::move(state), "Worksheets", kWorksheetsMembers),
      workbook_(std::move(workbook)) {}

Variant WorksheetsObject::Item(const StatePtr& state, const WorkbookPtr& workbook,
                               const std::string& subject, const Variant& index) {
  std::size_t i;
  if (index.Kind() == VariantKind::Text) {
    i = workbook->FindByName(index.AsText());
    if (i == workbook->SheetCount()) {
      throw AutomationError(subject + " — листа «" + index.AsText() + "» нет в книге");
    }
  } else {
    i = CheckedIndex(subject, ToInteger(index, subject), workbook->SheetCount());
  }
  return MakeObject<WorksheetObject>(state, workbook, &workbook->SheetAt(i));
}

Variant WorksheetsObject::Invoke(std::size_t member, MemberUse, const Arguments& args,
                                 const Variant*) {
  switch (member) {
    case kSheetsCount:
      ExpectNoArguments(Where(member), args);
      return static_cast<std::int32_t>(workbook_->SheetCount());
    case kSheetsItem: {
      ArgumentReader reader(Where(member), args, {"Index"});
      return Item(state_, workbook_, reader.Subject(0), reader.Required(0));
    }
    case kSheetsAdd:
      return Add(args);
  }
  return {};
}

Variant WorksheetsObject::Add(const Arguments& args) {
  ArgumentReader reader(Where(kSheetsAdd), args, {"Before", "After", "Count"});
  const Variant* before = reader.Find(0);
  const Variant* after = reader.Find(1);
  if (before && after) {
    throw AutomationError(Where(kSheetsAdd) + ": нельзя задать и Before, и After");
  }
  // Without either, Excel puts the new sheet before the active one.
  std::size_t position = workbook_->ActiveSheet();
  if (before || after) {
    const std::size_t param = before ? 0 : 1;
    const Variant& anchor = before ? *before : *after;
    const auto* object = anchor.Kind() == VariantKind::Object
                             ? dynamic_cast<const WorksheetObject*>(anchor.AsObject().get())
                             : nullptr;
    const std::size_t index = object && object->Workbook() == workbook_
                                  ? workbook_->IndexOf(object->Model())
                                  : workbook_->SheetCount();
    if (index == workbook_->SheetCount()) {
      throw AutomationError(reader.Subject(param) + " — ожидается лист этой книги");
    }
    position = before ? index : index + 1;
  }
  // Count sheets go in side by side, as Count calls would put them.
  const std::int64_t count = reader.Find(2) ? reader.Integer(2) : 1;
  if (count < 1 || count > kMaxSheetsAddedAtOnce) {
    throw AutomationError(reader.Subject(2) + " — число листов должно быть от 1 до " +
                          std::to_string(kMaxSheetsAddedAtOnce));
  }
  Sheet* sheet = nullptr;
  for (std::int64_t i = 0; i < count; ++i) {
    sheet = &workbook_->InsertSheet(position + static_cast<std::size_t>(i));
  }
  return MakeObject<WorksheetObject>(state_, workbook_, sheet);
}

}  // namespace z917::workbook
