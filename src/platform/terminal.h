// Whether a stream is shown to a person.
#pragma once

#include <cstdio>

namespace z917::platform {

// True when `stream` writes to a terminal (a console window on Windows),
// false for files, pipes and closed streams.
bool IsTerminal(std::FILE* stream);

}  // namespace z917::platform
