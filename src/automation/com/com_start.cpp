#include "automation/com/com_start.h"

#include <objbase.h>
#include <windows.h>

#include <memory>
#include <string>

#include "automation/automation_error.h"
#include "automation/com/com_object.h"
#include "automation/server_factory.h"
#include "platform/win32/wide_text.h"

namespace z917::automation::com {

namespace {

// COM for one thread, from its first start of a server to its end; the
// writers release their objects before the thread ends.
class Apartment {
 public:
  Apartment() {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ours_ = SUCCEEDED(hr);
  }
  ~Apartment() {
    if (ours_) ::CoUninitialize();
  }
  bool Ours() const { return ours_; }

 private:
  bool ours_ = false;
};

bool ClassOf(std::string_view progId, CLSID& clsid) {
  return SUCCEEDED(::CLSIDFromProgID(platform::WideFromUtf8(progId).c_str(), &clsid));
}

[[noreturn]] void ThrowStartFailure(HRESULT hr, std::string_view progId) {
  throw AutomationError(StartFailureMessage(ResultText(hr), progId));
}

}  // namespace

bool EnterApartment() {
  thread_local Apartment apartment;
  return apartment.Ours();
}

bool IsRegistered(std::string_view progId) {
  EnterApartment();
  CLSID clsid;
  return ClassOf(progId, clsid);
}

Dispatch StartComServer(std::string_view progId) {
  EnterApartment();
  CLSID clsid;
  const HRESULT found = ::CLSIDFromProgID(platform::WideFromUtf8(progId).c_str(), &clsid);
  if (FAILED(found)) ThrowStartFailure(found, progId);
  IDispatch* dispatch = nullptr;
  const HRESULT started = ::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                             reinterpret_cast<void**>(&dispatch));
  if (FAILED(started) || dispatch == nullptr) ThrowStartFailure(started, progId);
  // The object takes its own reference; ours from CoCreateInstance goes.
  ObjectRef object;
  try {
    object = std::make_shared<ComObject>(dispatch);
  } catch (...) {
    dispatch->Release();
    throw;
  }
  dispatch->Release();
  return Dispatch(std::move(object));
}

}  // namespace z917::automation::com
