// What only the POSIX file pieces need beside the shared path checks
// (platform/path_checks.h): symbolic links followed by hand, and a kind
// told from what stat gave.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/path_checks.h"

namespace z917::platform::posix {

// `path` with symbolic links at its end followed to what they point to,
// also when that does not exist. Throws FileError when the links go round
// in a circle.
std::string FollowLinks(const std::string& path);

// What `info` (from stat) says stands at its path. Never fails.
PathKind KindOf(const struct stat& info);

}  // namespace z917::platform::posix
