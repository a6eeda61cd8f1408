// The journal as the system hands it over, and the checks a conversion
// makes of its two paths before it starts.
#pragma once

#include <cstdio>
#include <string>

#include "platform/file_error.h"

namespace z917::platform {

// Opens the journal at `path` (UTF-8) for binary reading. Null when it
// cannot be opened or is a folder (a folder would open on some systems and
// fail at its first read as if the journal were damaged).
std::FILE* OpenJournalFile(const std::string& path);

// Whether `first` and `second` name one existing file, through hard links
// or symbolic links alike (the same device and file number). False when
// either does not exist.
bool SameFile(const std::string& first, const std::string& second);

// Throws FileError, naming `path`, when something that is not a regular
// file stands at `path` (a folder, device, FIFO or socket), symbolic links
// followed. A missing path or a dangling link passes.
void CheckOutputPath(const std::string& path);

}  // namespace z917::platform
