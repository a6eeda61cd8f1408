// A C stream on a file named by a UTF-8 path, for the tools that write
// plain files (the programs' own outputs go through their writers).
#pragma once

#include <cstdio>
#include <string>

namespace z917::platform {

// fopen with `utf8Path` handed to the system in its own form (wide on
// Windows, where a narrow path loses every character outside the ANSI
// code page). Null, with errno set, when it cannot be opened.
std::FILE* OpenFileStream(const std::string& utf8Path, const char* mode);

}  // namespace z917::platform
