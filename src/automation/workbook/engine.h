// The built-in workbook engine: an in-process automation server that
// answers as Excel's Application does to the calls that build and save a
// workbook, standing in for Excel where none runs.
#pragma once

#include <memory>

#include "automation/automation_object.h"
#include "automation/workbook/workbook_model.h"

namespace z917::workbook {

// Starts a new, invisible engine instance and returns its Application
// object. Never fails short of running out of memory.
automation::ObjectRef StartWorkbookEngine();

// The workbook behind an engine Workbook object, or null for any other
// object.
std::shared_ptr<const WorkbookModel> ModelOf(const automation::ObjectRef& workbook);

}  // namespace z917::workbook
