// A COM local server for the tests: the built-in workbook engine behind
// IDispatch, reached from another process as a real Excel would be.
// "/RegServer" registers it in the classes of the running prefix (HKCR;
// Wine reads no per-user classes); started by COM it serves one
// application, then ends when the last of its objects is released.
#include <objbase.h>
#include <windows.h>

#include <memory>
#include <string>

#include "automation/com/dispatch_adapter.h"
#include "automation/workbook/engine.h"

namespace {

using z917::automation::Arguments;
using z917::automation::ObjectRef;
using z917::automation::Variant;
namespace com = z917::automation::com;

// {3C7B9E21-8D4F-4A6B-B1E3-5F0A2C9D7E14}
constexpr CLSID kClassId = {
    0x3c7b9e21, 0x8d4f, 0x4a6b, {0xb1, 0xe3, 0x5f, 0x0a, 0x2c, 0x9d, 0x7e, 0x14}};
constexpr const wchar_t* kProgId = L"Z917.TestExcel";
constexpr const wchar_t* kClassIdText = L"{3C7B9E21-8D4F-4A6B-B1E3-5F0A2C9D7E14}";

// The engine's application, with the process id for the tests to watch.
class TestApplication : public z917::automation::AutomationObject {
 public:
  explicit TestApplication(ObjectRef engine) : engine_(std::move(engine)) {}
  Variant GetProperty(std::string_view member, const Arguments& args) override {
    if (member == "ProcessId") return Variant(static_cast<std::uint32_t>(::GetCurrentProcessId()));
    return engine_->GetProperty(member, args);
  }
  void SetProperty(std::string_view member, const Arguments& args, const Variant& v) override {
    engine_->SetProperty(member, args, v);
  }
  Variant CallMethod(std::string_view member, const Arguments& args) override {
    return engine_->CallMethod(member, args);
  }

 private:
  ObjectRef engine_;
};

class Factory final : public IClassFactory {
 public:
  explicit Factory(DWORD thread) : thread_(thread) {}
  bool Used() const { return used_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the stack of wWinMain for the life of the process.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    used_ = true;
    const DWORD thread = thread_;
    // The last object of the server gone, the server ends, as Excel does.
    com::AdapterContext context{std::make_shared<com::NameTable>(),
                                std::shared_ptr<void>(nullptr, [thread](void*) {
                                  ::PostThreadMessageW(thread, WM_QUIT, 0, 0);
                                })};
    IDispatch* app = com::NewDispatchAdapter(
        std::make_shared<TestApplication>(z917::workbook::StartWorkbookEngine()), context);
    const HRESULT hr = app->QueryInterface(iid, out);
    app->Release();
    return hr;
  }

 private:
  DWORD thread_;
  bool used_ = false;
};

bool SetKey(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG set =
      ::RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(handle);
  return set == ERROR_SUCCESS;
}

int Register() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return 1;
  const std::wstring classKey = std::wstring(L"CLSID\\") + kClassIdText;
  const bool done =
      SetKey(std::wstring(kProgId) + L"\\CLSID", nullptr, kClassIdText) &&
      SetKey(classKey, nullptr, kProgId) && SetKey(classKey + L"\\ProgID", nullptr, kProgId) &&
      SetKey(classKey + L"\\LocalServer32", nullptr, L"\"" + std::wstring(path, length) + L"\"");
  return done ? 0 : 1;
}

int Serve() {
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  Factory factory(::GetCurrentThreadId());
  DWORD cookie = 0;
  if (FAILED(::CoRegisterClassObject(kClassId, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE,
                                     &cookie))) {
    ::CoUninitialize();
    return 1;
  }
  // A client that never asks for the application leaves after a minute.
  for (;;) {
    const DWORD woke = ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 60000, QS_ALLINPUT);
    if (woke == WAIT_TIMEOUT && !factory.Used()) break;
    MSG message;
    bool quit = false;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) quit = true;
      ::DispatchMessageW(&message);
    }
    if (quit) break;
  }
  ::CoRevokeClassObject(cookie);
  ::CoUninitialize();
  return 0;
}

}  // namespace

int main() {
  const std::wstring line = ::GetCommandLineW();
  if (line.find(L"RegServer") != std::wstring::npos) return Register();
  return Serve();
}
