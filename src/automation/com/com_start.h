// Starting a COM automation server by its ProgID on the calling thread.
#pragma once

#include <string_view>

#include "automation/dispatch.h"

namespace z917::automation::com {

// Makes sure COM is initialised on this thread as a single-threaded
// apartment (once per thread, undone when the thread ends). False when
// the thread already has COM in another mode, which works as well for
// calls out. Never throws.
bool EnterApartment();

// Whether a server is registered under `progId`. Never throws.
bool IsRegistered(std::string_view progId);

// A new instance of the local server registered under `progId`, through
// its IDispatch. Throws AutomationError whose message is the system's
// text for the failure, ", ProgID: " and the ProgID in double quotation
// marks.
Dispatch StartComServer(std::string_view progId);

}  // namespace z917::automation::com
