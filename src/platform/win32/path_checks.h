// What the Windows file pieces share: paths taken apart, and the refusals
// of a path that is no place for an output file. Paths are UTF-8 here and
// widened only for the system's calls.
#pragma once

#include <string>

namespace z917::platform::win32 {

// The folder part of `path`, either slash: "." for a bare name, the root
// with its slash ("C:\", "\") for a name at a root, "C:" for "C:name".
std::string FolderOf(const std::string& path);
// `name` inside `folder`, without doubling a separator.
std::string InFolder(const std::string& folder, const std::string& name);
// `path` in the quotes our messages put around names.
std::string Quoted(const std::string& path);

// What stands at `path`, following links as opening it would.
enum class PathKind { kMissing, kFile, kFolder, kDevice, kPipe };
PathKind KindOf(const std::string& path);

// Throws FileError naming `shown` when `kind` is a folder, a device or a
// pipe, in the words the POSIX build uses.
void RefuseNonRegular(const std::string& shown, PathKind kind);

}  // namespace z917::platform::win32
