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
  explicit AutomationError(const std::string& message) : std::runtime_error(message) {}
};

// What Windows says of a call to a server that has quit or died
// (RPC_E_DISCONNECTED); the engine says the same after Quit.
inline constexpr const char* kObjectDisconnected = "Вызванный объект был отключен от клиентов";

// Throws the error of a call through an object variable that holds no
// object.
[[noreturn]] void ThrowObjectNotSet();

}  // namespace z917::automation
