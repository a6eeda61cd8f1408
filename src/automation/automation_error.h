// How failures cross the automation interface.
#pragma once

#include <stdexcept>
#include <string>

namespace z917::automation {

// A failed start or a failed call: the message is the server's (or the
// system's) description of the failure, UTF-8, ready to be shown behind a
// caller's own prefix.
class AutomationError : public std::runtime_error {
 public:
  // Why a call failed, as far as a caller acts on it.
  enum class Reason {
    kFailed,   // anything else
    kRefused,  // the server takes no such type or argument: another form may do
    kBusy,     // the server did not take the call in time, or a stop was asked for
  };

  explicit AutomationError(const std::string& message, Reason reason = Reason::kFailed)
      : std::runtime_error(message), reason_(reason) {}
  Reason reason() const { return reason_; }

 private:
  Reason reason_;
};

// What Windows says of a call to a server that has quit or died
// (RPC_E_DISCONNECTED); the engine says the same after Quit.
inline constexpr const char* kObjectDisconnected = "Вызванный объект был отключен от клиентов";

// Throws the error of a call through an object variable that holds no
// object.
[[noreturn]] void ThrowObjectNotSet();

}  // namespace z917::automation
