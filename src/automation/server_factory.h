// Starting an automation server by its class name (ProgID).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "automation/dispatch.h"

namespace z917::automation {

// Starts a new instance of the server registered under `progId` and
// returns its main object. "Excel.Application" starts the built-in
// workbook engine (defined with the engine, in z917_engine). Throws AutomationError whose message
// is the system's message for the failure, then ", ProgID: " and the ProgID in double quotation
// marks.
Dispatch StartServer(std::string_view progId);

// Whether StartServer(progId) answers with a server in this process (the
// built-in engine), which converting threads may each start and drive at
// once; false for a server over COM (Excel itself runs one at a time).
// Never throws.
bool StartsInProcess(std::string_view progId);

// What a client uses to start servers; StartServer unless a test or a
// platform supplies another.
using ServerStarter = std::function<Dispatch(std::string_view progId)>;

// Whether `progId` names Excel ("Excel.Application"), compared without
// regard to ASCII letter case as the registry compares class names.
bool IsExcelProgId(std::string_view progId);

// The message of a failed start: `systemMessage`, ", ProgID: ", and the
// ProgID in double quotation marks.
std::string StartFailureMessage(std::string_view systemMessage, std::string_view progId);

}  // namespace z917::automation
