#include "automation/com/com_object.h"

#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <vector>

#include "automation/automation_error.h"
#include "automation/com/com_variant.h"
#include "automation/com/dispatch_adapter.h"
#include "platform/cancellation.h"
#include "platform/win32/wide_text.h"

namespace z917::automation::com {

namespace {

// Excel reads the texts of a late-bound call (number formats, range
// unions) in the call's locale: ours are in US English notation whatever
// the user's settings.
constexpr LCID kCallLocale = 1033;

thread_local std::uint64_t invokeCount = 0;
thread_local std::uint64_t lookupCount = 0;

// The VARIANTs of one call, cleared however the call ends.
class CallArguments {
 public:
  explicit CallArguments(std::size_t count) : values_(count) {
    for (VARIANT& v : values_) ::VariantInit(&v);
  }
  ~CallArguments() {
    for (VARIANT& v : values_) ::VariantClear(&v);
  }
  VARIANT& operator[](std::size_t i) { return values_[i]; }
  VARIANT* data() { return values_.data(); }

 private:
  std::vector<VARIANT> values_;
};

// The server's own words when it gave any, else the system's for the code.
std::string ExceptionText(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
  std::string text;
  if (info.bstrDescription != nullptr) {
    text = platform::Utf8FromWide(
        std::wstring_view(info.bstrDescription, ::SysStringLen(info.bstrDescription)));
  }
  const HRESULT code = info.scode != 0 ? info.scode : MAKE_HRESULT(1, FACILITY_ITF, info.wCode);
  ::SysFreeString(info.bstrDescription);
  ::SysFreeString(info.bstrSource);
  ::SysFreeString(info.bstrHelpFile);
  return text.empty() ? ResultText(code) : text;
}

// Makes `call` until the server takes it. A server that says it is busy
// gets it again every kBusyRetryMs while KeepTryingBusyServer allows:
// Windows asks our message filter for that, Wine hands the answer back.
template <typename Call>
HRESULT WhenNotBusy(Call call) {
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    const HRESULT hr = call();
    if (hr != RPC_E_SERVERCALL_RETRYLATER) return hr;
    if (!KeepTryingBusyServer(::GetTickCount64() - start)) return RPC_E_CALL_REJECTED;
    ::Sleep(kBusyRetryMs);
  }
}

// Whether `hr` says the server takes no such type or argument.
bool IsRefusal(HRESULT hr) {
  switch (hr) {
    case DISP_E_TYPEMISMATCH:
    case DISP_E_BADVARTYPE:
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTFOUND:
    case DISP_E_PARAMNOTOPTIONAL:
    case E_INVALIDARG:
      return true;
    default:
      return false;
  }
}

bool CarriesTypedArray(const DISPPARAMS& params) {
  for (UINT i = 0; i < params.cArgs; ++i) {
    const VARTYPE type = params.rgvarg[i].vt;
    if ((type & VT_ARRAY) && type != (VT_ARRAY | VT_VARIANT)) return true;
  }
  return false;
}

// The error of a failed call: a server that never took it is busy; one
// that took no such type or argument refused it.
AutomationError CallError(const std::string& text, HRESULT hr) {
  if (hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER) {
    return AutomationError(kServerBusy, AutomationError::Reason::kBusy);
  }
  return AutomationError(
      text, IsRefusal(hr) ? AutomationError::Reason::kRefused : AutomationError::Reason::kFailed);
}

// What Russian Windows says for the failures a start or a call meets most,
// for a system that has no text for them (Wine has none for several).
const char* KnownResultText(HRESULT hr) {
  switch (hr) {
    case CO_E_CLASSSTRING:
      return "Недопустимая строка с указанием класса";
    case REGDB_E_CLASSNOTREG:
      return "Класс не зарегистрирован";
    case CO_E_SERVER_EXEC_FAILURE:
      return "Ошибка выполнения сервера";
    case RPC_E_DISCONNECTED:
      return kObjectDisconnected;
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
      return "Удаленный вызов процедуры завершился неудачей";
    case DISP_E_UNKNOWNNAME:
      return "Неизвестное имя";
    case DISP_E_MEMBERNOTFOUND:
      return "Элемент не найден";
    case DISP_E_TYPEMISMATCH:
      return "Несовпадение типа";
    default:
      return nullptr;
  }
}

}  // namespace

bool KeepTryingBusyServer(unsigned long long elapsedMs) {
  constexpr unsigned long long kBusyLimitMs = 60000;
  return elapsedMs < kBusyLimitMs && !platform::Cancellation::Requested();
}

std::uint64_t InvokeCount() { return invokeCount; }

std::uint64_t LookupCount() { return lookupCount; }

std::string ResultText(long hr) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) {
    text = platform::Utf8FromWide(std::wstring_view(buffer, length));
  }
  if (buffer != nullptr) ::LocalFree(buffer);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  if (!text.empty()) return text;
  if (const char* known = KnownResultText(hr)) return known;
  char code[32];
  std::snprintf(code, sizeof code, "код ошибки 0x%08lX", static_cast<unsigned long>(hr));
  return code;
}

ComObject::ComObject(IDispatch* dispatch, std::shared_ptr<DispatchIds> ids)
    : dispatch_(dispatch), ids_(std::move(ids)) {
  dispatch_->AddRef();
}

ComObject::~ComObject() { dispatch_->Release(); }

Variant ComObject::GetProperty(std::string_view member, const Arguments& args) {
  return Invoke(member, DISPATCH_PROPERTYGET, args, nullptr);
}

void ComObject::SetProperty(std::string_view member, const Arguments& args, const Variant& value) {
  Invoke(member, DISPATCH_PROPERTYPUT, args, &value);
}

Variant ComObject::CallMethod(std::string_view member, const Arguments& args) {
  return Invoke(member, DISPATCH_METHOD, args, nullptr);
}

const std::vector<long>& ComObject::IdsOf(std::string_view member, const Arguments& args) {
  std::string key(member);
  for (const NamedArgument& named : args.named) key += '\n' + named.name;
  const auto found = ids_->ids.find(key);
  if (found != ids_->ids.end()) return found->second;
  std::vector<std::wstring> names{platform::WideFromUtf8(member)};
  for (const NamedArgument& named : args.named) names.push_back(platform::WideFromUtf8(named.name));
  std::vector<LPOLESTR> pointers;
  for (std::wstring& name : names) pointers.push_back(name.data());
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  ++lookupCount;
  const HRESULT hr = WhenNotBusy([&] {
    return dispatch_->GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(pointers.size()),
                                    kCallLocale, ids.data());
  });
  if (FAILED(hr)) throw CallError(std::string(member) + ": " + ResultText(hr), hr);
  return ids_->ids.emplace(std::move(key), std::vector<long>(ids.begin(), ids.end())).first->second;
}

Variant ComObject::Returned(std::string_view member, const Arguments& args, const VARIANT& result) {
  if (result.vt != VT_DISPATCH || result.pdispVal == nullptr || AdaptedObject(result.pdispVal)) {
    return FromComVariant(result);
  }
  std::string key = std::string(member) + '(' + std::to_string(args.positional.size());
  for (const NamedArgument& named : args.named) key += ',' + named.name;
  std::shared_ptr<DispatchIds>& kind = ids_->returned[key];
  if (!kind) {
    kind = std::make_shared<DispatchIds>();
    kind->server = ids_->server;
  }
  return Variant(ObjectRef(std::make_shared<ComObject>(result.pdispVal, kind)));
}

Variant ComObject::Invoke(std::string_view member, unsigned short flags, const Arguments& args,
                          const Variant* value) {
  const std::vector<long>& ids = IdsOf(member, args);
  // Named arguments come first, the assigned value first of all, then the
  // positional ones last to first.
  const std::size_t namedCount = args.named.size() + (value != nullptr ? 1 : 0);
  for (;;) {
    CallArguments values(namedCount + args.positional.size());
    std::vector<DISPID> namedIds;
    AdapterContext context;
    context.typedArrays = ids_->server->typedArrays;
    if (value != nullptr) {
      namedIds.push_back(DISPID_PROPERTYPUT);
      ToComVariant(*value, values[namedIds.size() - 1], context);
    }
    for (std::size_t i = 0; i < args.named.size(); ++i) {
      namedIds.push_back(ids[i + 1]);
      ToComVariant(args.named[i].value, values[namedIds.size() - 1], context);
    }
    for (std::size_t i = 0; i < args.positional.size(); ++i) {
      ToComVariant(args.positional[i], values[namedCount + args.positional.size() - 1 - i],
                   context);
    }
    DISPPARAMS params{values.data(), namedIds.data(),
                      static_cast<UINT>(namedCount + args.positional.size()),
                      static_cast<UINT>(namedCount)};
    ComVariant result;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    ++invokeCount;
    const HRESULT hr = WhenNotBusy([&] {
      return dispatch_->Invoke(ids[0], IID_NULL, kCallLocale, flags, &params,
                               value != nullptr ? nullptr : result.out(), &exception, &badArgument);
    });
    const HRESULT code = hr == DISP_E_EXCEPTION ? exception.scode : hr;
    // A server that takes no typed arrays gets arrays of VARIANT, this
    // call again and every later one.
    if (IsRefusal(code) && context.typedArrays && CarriesTypedArray(params)) {
      ids_->server->typedArrays = false;
      if (hr == DISP_E_EXCEPTION) ExceptionText(exception);  // frees its texts
      continue;
    }
    if (hr == DISP_E_EXCEPTION) throw CallError(ExceptionText(exception), code);
    if (FAILED(hr)) throw CallError(ResultText(hr), hr);
    return Returned(member, args, result.get());
  }
}

}  // namespace z917::automation::com
