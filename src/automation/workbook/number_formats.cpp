#include "automation/workbook/number_formats.h"

#include "automation/automation_error.h"

namespace z917::workbook {

NumberFormats::NumberFormats() {
  formats_.push_back({"General", 0});
  formats_.push_back({"m/d/yy h:mm", 22});
  ids_.emplace(formats_[kGeneralFormat].code, kGeneralFormat);
  ids_.emplace(formats_[kDateTimeFormat].code, kDateTimeFormat);
}

FormatId NumberFormats::Intern(std::string_view code) {
  if (const auto found = ids_.find(std::string(code)); found != ids_.end()) return found->second;
  if (formats_.size() >= kMaxFormats) {
    throw automation::AutomationError("В книге слишком много числовых форматов (не больше " +
                                      std::to_string(kMaxFormats) + ")");
  }
  const auto id = static_cast<FormatId>(formats_.size());
  formats_.push_back({std::string(code), -1});
  ids_.emplace(formats_.back().code, id);
  return id;
}

}  // namespace z917::workbook
