// Checks and folder operations for the report's output destination.
//
// Paths are Windows paths in code page 932.  A 0x5C byte that is the second
// byte of a double-byte character (as in "表" 0x95 0x5C) is never taken for
// a separator, and neither is a "|" (0x7C) or any other byte inside such a
// character taken for a refused character.
#pragma once

#include <cstddef>
#include <string>

#include "compat/win32.h"

// Working buffers hold MAX_PATH bytes of text and a terminator; a path
// longer than that cannot be checked or created and is refused.
constexpr size_t kOutputPathBufferSize = MAX_PATH + 1;

// Text up to and including the last "\\"; empty when there is none.
std::string FolderPart(const std::string& path);
// Text after the last "\\"; the whole text when there is none.
std::string FileNamePart(const std::string& path);
// Text up to and including the last ":"; empty when there is none.
std::string DrivePart(const std::string& path);
// Text after the last ":"; the whole text when there is none.
std::string AfterDrivePart(const std::string& path);

// True when the path holds a doubled "\\" (past a network path's leading
// pair) or, after its drive or server prefix, one of / : , ; * ? " > < |.
bool HasInvalidChars(const char* path);

// True when the path's drive letter, or a network path's share, is there
// and can be read and written.
bool IsDriveUsable(const char* path);

// True when the drive of letter ("A".."Z", either case) is removable, fixed
// or remote with a root accessible in mode (as _access), or of a type this
// program does not know; false for unknown, rootless, CD-ROM and RAM-disk
// drives and for anything that is not a letter.
bool CheckDriveLetter(int letter, int mode);

// Keeps only the drive and directory of path (in place, a buffer of size
// bytes) and makes it end in "\\" when there is room; false when nothing is
// left.
bool NormaliseFolder(char* path, size_t size = kOutputPathBufferSize);

// True when the folder of path (as NormaliseFolder leaves it) is a directory.
bool FolderExists(const char* path);

// Creates every missing level of folder.  On failure the levels this call
// created are removed again and false is returned; folders that were there
// before are never touched.
bool EnsureFolder(const char* folder);

// Removes, deepest first, each existing level of path below stopFolder.
// False when the two do not share a root and prefix, or a removal fails.
bool RemoveCreatedFolders(const char* path, const char* stopFolder);
