// An object of a COM automation server, driven late-bound through its
// IDispatch: member names resolved once per object, then Invoke.
#pragma once

#include <oaidl.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "automation/automation_object.h"

namespace z917::automation::com {

class ComObject : public AutomationObject {
 public:
  // Holds a reference to `dispatch` (which must not be null) until it goes.
  explicit ComObject(IDispatch* dispatch);
  ~ComObject() override;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  // The interface, for handing the object back to its server.
  IDispatch* Interface() const { return dispatch_; }

  // Each throws AutomationError with the server's description of the
  // failure, or the system's text for its result code.
  Variant GetProperty(std::string_view member, const Arguments& args) override;
  void SetProperty(std::string_view member, const Arguments& args, const Variant& value) override;
  Variant CallMethod(std::string_view member, const Arguments& args) override;
  // A local server runs in a process of its own.
  bool OutOfProcess() const override { return true; }

 private:
  Variant Invoke(std::string_view member, unsigned short flags, const Arguments& args,
                 const Variant* value);
  // The DISPIDs of `member` and of the named arguments' names, looked up
  // once per object; throws AutomationError for a name the server lacks.
  const std::vector<long>& IdsOf(std::string_view member, const Arguments& args);

  IDispatch* dispatch_;
  std::map<std::string, std::vector<long>, std::less<>> ids_;
};

// How many Invoke calls this thread has made through ComObjects so far:
// what a benchmark divides by the entries it wrote. Never fails.
std::uint64_t InvokeCount();

// The system's text for `hr`, or "код ошибки 0x8XXXXXXX" when it has none.
// Never fails.
std::string ResultText(long hr);

}  // namespace z917::automation::com
