#include "automation/workbook/engine.h"

#include "automation/workbook/engine_objects.h"

namespace z917::workbook {

automation::ObjectRef StartWorkbookEngine() {
  return std::make_shared<ApplicationObject>(std::make_shared<ApplicationState>());
}

std::shared_ptr<const WorkbookModel> ModelOf(const automation::ObjectRef& workbook) {
  const auto* object = dynamic_cast<const WorkbookObject*>(workbook.get());
  return object ? object->Model() : nullptr;
}

}  // namespace z917::workbook
