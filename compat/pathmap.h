// How this layer resolves a Windows path: the drive it lies on, its host
// path and its normalised Windows spelling.  Internal to compat.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "compat/drives.h"

namespace compat {

struct ResolvedPath {
    Drive drive;
    std::string host;     // UTF-8; ends in "/" when the Windows path ended in "\\"
    std::string windows;  // cp932: root, "\\", the components joined by "\\"
    bool isRoot = false;  // nothing below the drive's root
};

// nullopt for the cases ToHostPath documents.
std::optional<ResolvedPath> ResolvePath(const char* windowsPath);

// Length of the root at the start of a Windows path: 2 for "C:", the
// length of "\\\\server\\share" for a share, 0 when there is none.  A 0x5C
// that is the trail byte of a double-byte character ends no name.
size_t WindowsRootLength(const char* path);

// The whole content of a regular host file; false for a missing file, a
// folder or a read error.
bool ReadHostFile(const std::string& hostPath, std::string& content);

// Position of the next separator at or after from (DBCS-aware), or npos.
size_t FindSeparator(const char* path, size_t from);

}  // namespace compat
