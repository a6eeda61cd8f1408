#include "automation/server_factory.h"

#include "automation/automation_error.h"
#include "common/ascii.h"

namespace z917::automation {

bool IsExcelProgId(std::string_view progId) {
  return EqualsIgnoringAsciiCase(progId, "Excel.Application");
}

std::string StartFailureMessage(std::string_view systemMessage, std::string_view progId) {
  return std::string(systemMessage) + ", ProgID: \"" + std::string(progId) + "\"";
}

}  // namespace z917::automation
