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

// What COM does with a call a busy server turned away (a dialog open in
// Excel, a cell being edited): tries it again shortly, for as long as
// KeepTryingBusyServer allows, rather than failing it at once.
class BusyFilter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives as long as its thread's apartment.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
    if (rejectType != SERVERCALL_RETRYLATER || !KeepTryingBusyServer(elapsedMs)) {
      return static_cast<DWORD>(-1);  // the call fails: RPC_E_CALL_REJECTED
    }
    return kBusyRetryMs;
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }
};

// COM for one thread, from its first start of a server to its end, with
// the filter for a busy server (a single-threaded apartment only has one);
// the writers release their objects before the thread ends.
class Apartment {
 public:
  Apartment() {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ours_ = SUCCEEDED(hr);
    if (ours_) ::CoRegisterMessageFilter(&filter_, &previous_);
  }
  ~Apartment() {
    if (!ours_) return;
    ::CoRegisterMessageFilter(previous_, nullptr);
    ::CoUninitialize();
  }
  bool Ours() const { return ours_; }

 private:
  bool ours_ = false;
  BusyFilter filter_;
  IMessageFilter* previous_ = nullptr;
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
