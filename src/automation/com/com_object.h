// An object of a COM automation server, driven late-bound through its
// IDispatch: member names resolved once per kind of object, then Invoke.
#pragma once

#include <oaidl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/automation_object.h"

namespace z917::automation::com {

// The DISPIDs that one kind of object answers to, and the tables of the
// kinds of object its members return. Objects that a member gives for
// one shape of arguments are of one kind (Worksheet.Range always gives a
// Range; Workbook.Worksheets gives the collection without an argument
// and a sheet with one), and a server numbers a kind's members the same
// in each of its objects, so each name is looked up once for all of them:
// a cross-process lookup costs as much as the call itself.
struct DispatchIds {
  // What one server takes, learnt as it refuses: shared by all its kinds.
  struct ServerHabits {
    // Arrays of one element type, until it refuses one (then of VARIANT).
    bool typedArrays = true;
  };
  std::map<std::string, std::vector<long>, std::less<>> ids;
  std::map<std::string, std::shared_ptr<DispatchIds>, std::less<>> returned;
  std::shared_ptr<ServerHabits> server = std::make_shared<ServerHabits>();
};

class ComObject : public AutomationObject {
 public:
  // Holds a reference to `dispatch` (which must not be null) until it
  // goes; its names are looked up in and added to `ids`.
  explicit ComObject(IDispatch* dispatch,
                     std::shared_ptr<DispatchIds> ids = std::make_shared<DispatchIds>());
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
  // once per kind of object; throws AutomationError for a name the server
  // lacks.
  const std::vector<long>& IdsOf(std::string_view member, const Arguments& args);
  // `result` as our Variant; an object of another server shares the table
  // of the objects `member` gives for `args`.
  Variant Returned(std::string_view member, const Arguments& args, const VARIANT& result);

  IDispatch* dispatch_;
  std::shared_ptr<DispatchIds> ids_;
};

// How many Invoke calls this thread has made through ComObjects so far:
// what a benchmark divides by the entries it wrote. Never fails.
std::uint64_t InvokeCount();

// How many GetIDsOfNames calls this thread has made through ComObjects so
// far. Never fails.
std::uint64_t LookupCount();

// What a call fails with when Excel stays busy: a dialog open in it, a cell
// being edited.
inline constexpr const char* kServerBusy =
    "Excel не отвечает: он занят (открыто окно или редактируется ячейка) и не принял вызов "
    "за 60 секунд";

// Whether a call a busy server turned away `elapsedMs` ago is to be tried
// again (after kBusyRetryMs): not after a minute, nor once a stop is asked
// for. Never fails.
inline constexpr unsigned long kBusyRetryMs = 250;
bool KeepTryingBusyServer(unsigned long long elapsedMs);

// The system's text for `hr`, or "код ошибки 0x8XXXXXXX" when it has none.
// Never fails.
std::string ResultText(long hr);

}  // namespace z917::automation::com
