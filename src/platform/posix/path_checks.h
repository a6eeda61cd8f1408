// What the POSIX file pieces share: paths taken apart, links followed,
// and the refusals of a path that is no place for an output file.
#pragma once

#include <sys/stat.h>

#include <string>

namespace z917::platform::posix {

// The folder part of `path`: "." for a bare name, "/" for a name at the root.
std::string FolderOf(const std::string& path);
// `name` inside `folder`, without doubling a slash.
std::string InFolder(const std::string& folder, const std::string& name);
// `path` in the quotes our messages put around names.
std::string Quoted(const std::string& path);

// `path` with symbolic links at its end followed to what they point to,
// also when that does not exist. Throws FileError when the links go round
// in a circle.
std::string FollowLinks(const std::string& path);

// Throws FileError naming `shown` when `info` is not a regular file: a
// folder, a device, a FIFO or a socket.
void RefuseNonRegular(const std::string& shown, const struct stat& info);

}  // namespace z917::platform::posix
