// Paths as the wide API takes them past MAX_PATH (260 characters): in the
// "\\?\" form, which the system passes on without reading it, so that it
// must be absolute and spelled as the file system keeps it already.
#pragma once

#include <string>

namespace z917::platform {

// `path` in the extended form: "C:\…" as "\\?\C:\…", "\\server\share\…"
// as "\\?\UNC\server\share\…". It is made absolute first, as Windows reads
// it: '/' as '\', "." and ".." resolved, the dots and spaces that end it
// dropped. Paths already in that form or naming a device ("\\.\") stay as
// they are; so do "" and a path the system cannot make absolute. Never fails.
std::wstring ExtendedPath(const std::wstring& path);

// The UTF-8 `path` of our interfaces as the wide API is to be given it:
// ExtendedPath of its UTF-16. Never fails.
std::wstring SystemPath(const std::string& path);

}  // namespace z917::platform
