// Whether a stream is shown to a person.
#pragma once

#include <cstdio>

namespace z917::platform {

// True when `stream` writes to a terminal (a console window on Windows),
// false for files, pipes and closed streams.
bool IsTerminal(std::FILE* stream);

// Readies the terminal behind `stream` for the sequence that erases the rest
// of a line (ESC [ K): on Windows turns on the console's virtual-terminal
// processing, which Windows 10 added. False when the terminal cannot take
// it (an older console, a file); the caller then wipes with spaces.
bool EnableLineErasing(std::FILE* stream);

}  // namespace z917::platform
