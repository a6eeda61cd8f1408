// What the file pieces of every system share: paths taken apart, what
// stands at a path, and the refusals of a path that is no place for an
// output file. Paths are UTF-8. Each system takes paths apart and looks at
// them in its own way (posix/ and win32/path_checks.cpp); the refusals are
// worded once (path_checks.cpp), so that they read alike everywhere.
#pragma once

#include <string>
#include <string_view>

namespace z917::platform {

// The folder part of `path`: "." for a bare name; for a name at a root
// the root with its slash ("/", "C:\", "\"); "C:" for "C:name" on Windows.
std::string FolderOf(const std::string& path);
// `name` inside `folder`, without doubling a separator.
std::string InFolder(const std::string& folder, const std::string& name);
// `path` in the quotes our messages put around names.
std::string Quoted(const std::string& path);

// What stands at a path.
enum class PathKind { kMissing, kFile, kFolder, kDevice, kPipe, kSocket, kOther };
// What stands at `path`, following links as opening it would; kMissing
// when the system tells nothing. Never fails.
PathKind KindOf(const std::string& path);

// Whether Windows takes the file name `fileName` (no folders, UTF-8) for a
// device whatever its extension: CON, PRN, AUX, NUL, COM1 to COM9 and LPT1
// to LPT9 (also with the digits ¹, ² and ³), in any letter case, spaces
// before the first dot ignored. Text alone, so every system can tell.
bool IsWindowsDeviceName(std::string_view fileName);

// `path` as Windows creates it: without the dots and spaces that end its
// last part. A last part of nothing else (".", "..") stays as it is. Text
// alone, so every system can tell.
std::string AsWindowsCreates(std::string_view path);

// The path a file asked for at `path` gets: AsWindowsCreates on Windows,
// `path` itself elsewhere. Outputs are checked, and their format chosen,
// on it. Never fails.
std::string CreatedPath(const std::string& path);

// Throws FileError naming `shown` when `kind` is neither missing nor a
// regular file: a folder, a device, a pipe, a socket or anything else.
void RefuseNonRegular(const std::string& shown, PathKind kind);

// Whether another program has the file at `path` open so that it cannot be
// replaced now: on Windows open at all (a rename replaces no file that is
// open), as Excel holds a workbook it shows. False where an open file is
// replaced like any other (POSIX), when nothing is there, and when the
// system tells nothing. Never fails.
bool HeldByAnotherProgram(const std::string& path);

// Throws FileError naming `shown`: the file is open in another program,
// which must close it before it can be saved over.
[[noreturn]] void ThrowHeld(const std::string& shown);

}  // namespace z917::platform
