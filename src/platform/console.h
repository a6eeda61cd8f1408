// Text for the user on a standard stream, and the program's arguments:
// UTF-8 inside the program, whatever the system's own form.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace z917::platform {

// Writes UTF-8 `text` to `stream` as it is, or, when the stream is a
// Windows console, as wide text the console shows whatever its code page.
// False when the system refused the text.
bool WriteText(std::FILE* stream, std::string_view text);

// The program's arguments after its name, as UTF-8: `argv` as it is on
// POSIX systems, the wide command line on Windows (where `argv` holds
// the ANSI code page's approximation). Never fails.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace z917::platform
