#include "automation/com/dispatch_adapter.h"

#include <oleauto.h>
#include <windows.h>

#include <atomic>
#include <exception>
#include <mutex>
#include <new>
#include <set>

#include "automation/automation_error.h"
#include "common/ascii.h"
#include "platform/win32/wide_text.h"

namespace z917::automation::com {

namespace {

// The adapters alive in this process. An object a client hands back
// arrives as the very pointer we gave out (COM unmarshals within the
// apartment to the original), so a look-up tells ours from a proxy
// without a call across processes.
std::mutex liveMutex;
std::set<const IDispatch*> live;

class DispatchAdapter final : public IDispatch {
 public:
  DispatchAdapter(ObjectRef object, AdapterContext context)
      : object_(std::move(object)), context_(std::move(context)) {
    const std::lock_guard<std::mutex> lock(liveMutex);
    live.insert(this);
  }
  ~DispatchAdapter() {
    const std::lock_guard<std::mutex> lock(liveMutex);
    live.erase(this);
  }

  const ObjectRef& Object() const { return object_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      AddRef();
      *out = static_cast<IDispatch*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  // Every name gets a DISPID: whether the object answers to it is for the
  // object to say when it is called, in its own words.
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    try {
      if (context_.screen && count > 0) {
        const HRESULT hr = context_.screen(platform::Utf8FromWide(names[0]), locale, nullptr);
        if (hr != S_OK) return hr;
      }
      for (UINT i = 0; i < count; ++i) {
        ids[i] = context_.names->IdOf(platform::Utf8FromWide(names[i]));
      }
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override;

 private:
  std::atomic<ULONG> references_{1};
  ObjectRef object_;
  AdapterContext context_;
};

HRESULT Fail(EXCEPINFO* exception, const std::string& message) {
  if (exception == nullptr) return E_FAIL;
  *exception = EXCEPINFO{};
  exception->scode = E_FAIL;
  const std::wstring wide = platform::WideFromUtf8(message);
  exception->bstrDescription = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  exception->bstrSource = ::SysAllocString(L"z917");
  return DISP_E_EXCEPTION;
}

HRESULT DispatchAdapter::Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* exception, UINT*) {
  const std::string* member = context_.names->NameOf(id);
  if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
  if (context_.screen) {
    const HRESULT hr = context_.screen(*member, locale, params);
    if (hr != S_OK) return hr;
  }
  const UINT count = params != nullptr ? params->cArgs : 0;
  const UINT namedCount = params != nullptr ? params->cNamedArgs : 0;
  try {
    std::vector<Variant> positional;
    std::vector<NamedArgument> named;
    const Variant* assigned = nullptr;
    Variant value;
    // Named arguments lead; the positional ones follow, last to first.
    for (UINT i = 0; i < namedCount; ++i) {
      Variant argument = FromComVariant(params->rgvarg[i]);
      if (params->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) {
        value = std::move(argument);
        assigned = &value;
        continue;
      }
      const std::string* name = context_.names->NameOf(params->rgdispidNamedArgs[i]);
      if (name == nullptr) return DISP_E_PARAMNOTFOUND;
      named.push_back(NamedArgument{*name, std::move(argument)});
    }
    for (UINT i = count; i > namedCount; --i) {
      positional.push_back(FromComVariant(params->rgvarg[i - 1]));
    }
    const Arguments args{positional, named};
    Variant answer;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      if (assigned == nullptr) return DISP_E_PARAMNOTOPTIONAL;
      object_->SetProperty(*member, args, *assigned);
    } else if (flags & DISPATCH_METHOD) {
      answer = object_->CallMethod(*member, args);
    } else {
      answer = object_->GetProperty(*member, args);
    }
    if (result != nullptr) {
      ::VariantInit(result);
      ToComVariant(answer, *result, context_);
    }
  } catch (const std::exception& error) {
    return Fail(exception, error.what());
  }
  return S_OK;
}

}  // namespace

long NameTable::IdOf(std::string_view name) {
  const std::string lower = AsciiLower(name);
  const auto found = ids_.find(lower);
  if (found != ids_.end()) return found->second;
  names_.emplace_back(name);
  const long id = static_cast<long>(names_.size());
  ids_.emplace(lower, id);
  return id;
}

const std::string* NameTable::NameOf(long id) const {
  if (id < 1 || static_cast<std::size_t>(id) > names_.size()) return nullptr;
  return &names_[static_cast<std::size_t>(id) - 1];
}

IDispatch* NewDispatchAdapter(ObjectRef object, const AdapterContext& context) {
  AdapterContext full = context;
  if (!full.names) full.names = std::make_shared<NameTable>();
  auto* adapter = new (std::nothrow) DispatchAdapter(std::move(object), std::move(full));
  if (adapter == nullptr) throw AutomationError("Недостаточно памяти");
  return adapter;
}

ObjectRef AdaptedObject(IDispatch* dispatch) {
  const std::lock_guard<std::mutex> lock(liveMutex);
  if (live.count(dispatch) == 0) return nullptr;
  return static_cast<DispatchAdapter*>(dispatch)->Object();
}

}  // namespace z917::automation::com
