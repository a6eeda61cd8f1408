// A COM local server for the tests: the built-in workbook engine behind
// IDispatch, reached from another process as a real Excel would be.
// "/RegServer [WORD...]" registers it in the classes of the running prefix
// (HKCR; Wine reads no per-user classes), the words for COM to start it
// with; started by COM it serves one application, then ends when the last
// of its objects is released. "strict" answers as Excel is documented to
// (see Strictness); without it the server takes whatever it is sent, as
// the speed benchmark wants.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

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

// What a strict server refuses, as Excel does: a call in a locale other
// than 1033 (Excel reads some texts in the call's locale), an array of
// VARIANT holding an element type Excel does not document for cells, a
// date Excel cannot hold; and every tenth call it is busy. Asked to, it
// refuses the writer's shortcuts too (RefusesShortcut). Wine's COM
// hands RPC_E_SERVERCALL_RETRYLATER to the client as the call's result
// instead of asking the client's message filter.
// Relative SaveAs names land in the server's own folder, as Excel's do.
class Strictness {
 public:
  explicit Strictness(std::wstring_view words) : words_(words) {}
  bool Has(std::wstring_view word) const {
    return (L" " + words_ + L" ").find(L" " + std::wstring(word) + L" ") != std::wstring::npos;
  }

  HRESULT Screen(std::string_view member, LCID locale, const DISPPARAMS* params,
                 const com::NameTable& names) {
    if (locale != 1033) return DISP_E_UNKNOWNLCID;
    if (params != nullptr && RefusesShortcut(member, *params, names)) return DISP_E_TYPEMISMATCH;
    // Busy now and then, as Excel is while a dialog is open; "stuck" always.
    if (params != nullptr && (++calls_ % 10 == 0 || Has(L"stuck"))) {
      return RPC_E_SERVERCALL_RETRYLATER;
    }
    for (UINT i = 0; params != nullptr && i < params->cArgs; ++i) {
      if (!CellTypesDocumented(params->rgvarg[i])) return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
  }

 private:
  // The shortcuts a server may refuse as a type or argument it does not
  // take, each when asked to: "refuse-typed" an array of one type,
  // "refuse-union" a range of several areas, "refuse-count" Add(Count:=).
  bool RefusesShortcut(std::string_view member, const DISPPARAMS& params,
                       const com::NameTable& names) const {
    for (UINT i = 0; i < params.cArgs; ++i) {
      const VARIANT& arg = params.rgvarg[i];
      if (Has(L"refuse-typed") && (arg.vt & VT_ARRAY) && arg.vt != (VT_ARRAY | VT_VARIANT)) {
        return true;
      }
      if (Has(L"refuse-union") && member == "Range" && arg.vt == VT_BSTR &&
          std::wstring_view(arg.bstrVal).find(L',') != std::wstring_view::npos) {
        return true;
      }
    }
    for (UINT i = 0; i < params.cNamedArgs && Has(L"refuse-count"); ++i) {
      const std::string* name = names.NameOf(params.rgdispidNamedArgs[i]);
      if (member == "Add" && name != nullptr && *name == "Count") return true;
    }
    return false;
  }

  // Excel keeps a date before 1900-03-01 as a bare time, a day off, or
  // fails; the strict server fails.
  static bool DateExcelHolds(DATE date) { return date >= 61; }

  static bool CellTypesDocumented(const VARIANT& value) {
    if (value.vt == VT_DATE) return DateExcelHolds(value.date);
    if (value.vt != (VT_ARRAY | VT_VARIANT) && value.vt != (VT_ARRAY | VT_DATE)) return true;
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(value.parray, &data))) return false;
    ULONG count = 1;
    for (UINT d = 0; d < ::SafeArrayGetDim(value.parray); ++d) {
      count *= value.parray->rgsabound[d].cElements;
    }
    bool documented = true;
    for (ULONG i = 0; i < count && documented; ++i) {
      if (value.vt == (VT_ARRAY | VT_DATE)) {
        documented = DateExcelHolds(static_cast<const DATE*>(data)[i]);
        continue;
      }
      const VARIANT& cell = static_cast<const VARIANT*>(data)[i];
      switch (cell.vt) {
        case VT_DATE:
          documented = DateExcelHolds(cell.date);
          break;
        case VT_EMPTY:
        case VT_BOOL:
        case VT_CY:
        case VT_R8:
        case VT_I2:
        case VT_I4:
        case VT_R4:
        case VT_BSTR:
          break;
        default:
          documented = false;
      }
    }
    ::SafeArrayUnaccessData(value.parray);
    return documented;
  }

  std::wstring words_;
  unsigned calls_ = 0;
};

// The folder a strict server saves relative names in: its own, never the
// client's current one.
void EnterOwnFolder() {
  wchar_t temp[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder =
      std::filesystem::path(std::wstring(temp, length)) / L"z917-test-server";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  ::SetCurrentDirectoryW(folder.c_str());
}

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
  Factory(DWORD thread, Strictness& strictness) : thread_(thread), strictness_(strictness) {}
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
    com::AdapterContext context{
        std::make_shared<com::NameTable>(),
        std::shared_ptr<void>(nullptr,
                              [thread](void*) { ::PostThreadMessageW(thread, WM_QUIT, 0, 0); }),
        {}};
    if (strictness_.Has(L"strict")) {
      context.screen = [this, names = context.names](std::string_view member, LCID locale,
                                                     const DISPPARAMS* params) {
        return strictness_.Screen(member, locale, params, *names);
      };
    }
    IDispatch* app = com::NewDispatchAdapter(
        std::make_shared<TestApplication>(z917::workbook::StartWorkbookEngine()), context);
    const HRESULT hr = app->QueryInterface(iid, out);
    app->Release();
    return hr;
  }

 private:
  DWORD thread_;
  Strictness& strictness_;
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

int Register(std::wstring_view words) {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return 1;
  const std::wstring classKey = std::wstring(L"CLSID\\") + kClassIdText;
  const bool done = SetKey(std::wstring(kProgId) + L"\\CLSID", nullptr, kClassIdText) &&
                    SetKey(classKey, nullptr, kProgId) &&
                    SetKey(classKey + L"\\ProgID", nullptr, kProgId) &&
                    SetKey(classKey + L"\\LocalServer32", nullptr,
                           L"\"" + std::wstring(path, length) + L"\" " + std::wstring(words));
  return done ? 0 : 1;
}

int Serve(Strictness strictness) {
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  if (strictness.Has(L"strict")) EnterOwnFolder();
  Factory factory(::GetCurrentThreadId(), strictness);
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

// The words after the program's own name (and after "/RegServer").
std::wstring WordsOf(std::wstring_view line) {
  std::size_t start = 0;
  if (!line.empty() && line[0] == L'"') {
    start = line.find(L'"', 1);
    start = start == std::wstring_view::npos ? line.size() : start + 1;
  } else {
    start = std::min(line.find(L' '), line.size());
  }
  std::wstring words(line.substr(start));
  const std::size_t reg = words.find(L"/RegServer");
  if (reg != std::wstring::npos) words.erase(reg, std::wstring_view(L"/RegServer").size());
  return words;
}

}  // namespace

int main() {
  const std::wstring line = ::GetCommandLineW();
  const std::wstring words = WordsOf(line);
  if (line.find(L"/RegServer") != std::wstring::npos) return Register(words);
  return Serve(Strictness(words));
}
