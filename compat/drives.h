// The drive table: how Windows paths of the program land on host folders.
//
// The table lives in the platform home, file "drives.conf", one drive a line:
//     C:                fixed      /srv/bok/drive_c
//     \\FILESV\share    remote     /srv/bok/share
//     Q:                cdrom      /media/cd
// Types: unknown, noroot, removable, fixed, remote, cdrom, ramdisk.  Host
// folders are UTF-8; a relative one lies under the platform home, and one
// holding blanks is written in double quotes.  An optional fourth column
// holds flags: "ro" makes the drive read-only for the program (writes are
// refused as on a write-protected medium, whoever runs it).  Lines starting
// with "#" are comments.  Without an entry for it, Z: is the host's
// root folder, fixed, so that every host file has a Windows name.
#pragma once

#include <optional>
#include <string>

#include "compat/win32.h"

namespace compat {

// $BOK_HOME, else $HOME/.bokhome.
std::string PlatformHome();

struct Drive {
    std::string root;  // "C:" or "\\\\SERVER\\share" as in the table (cp932)
    UINT type = DRIVE_UNKNOWN;
    std::string hostDir;    // absolute, UTF-8
    bool readOnly = false;  // flag "ro"
};

// Gives a platform home the table a new home starts with, C: on the
// folder "drive_c" under it, unless it has a table already; false with a
// message when the table cannot be written.  On Windows, whose drives are
// its own, there is nothing to write.
bool WriteDefaultDriveTable(const std::string& home, std::string* message);

// Reloads the table on the next lookup (tests change it under a running
// process).
void ReloadDriveTable();

// Host path (UTF-8) of a Windows path (cp932).  Absolute paths go through
// the drive table (letters and shares without regard to case); "." and
// ".." are resolved and ".." never climbs above a drive's root; a relative
// path is taken from the current directory ("\\x" from its drive's root).
// Only "\\" separates, and never as the trail byte of a double-byte
// character.  nullopt for an unknown drive or share, a path that is not
// valid cp932, a name Windows would refuse (< > : " | ? * "/" or a control
// byte) or the host cannot hold (longer than NAME_MAX in UTF-8), and a full
// Windows path of MAX_PATH bytes or more.  A path ending in "\\" maps to
// one ending in "/", so that only a folder answers to it.
std::optional<std::string> ToHostPath(const char* windowsPath);

// Windows path (cp932) of an absolute host path: the configured drive whose
// folder holds it (the deepest), else Z:.
std::string ToWindowsPath(const std::string& hostPath);

// The drive of a root ("C:\\", "\\\\server\\share\\"), if configured.
std::optional<Drive> FindDrive(const char* windowsRoot);

// Makes a rename in a folder (a Windows path) last: on Linux an fsync of
// the folder, through its host name; a folder the drive table cannot map is
// not on a disk the program writes to.  Windows' MoveFileEx with
// MOVEFILE_WRITE_THROUGH has done it already (CFile::Rename).
void SyncFolder(const std::string& windowsFolder);

// For tests that run the program logic in-process: the module file name
// GetModuleFileNameA reports (empty restores the real one).
void SetModuleFileNameOverride(const std::string& windowsPath);

}  // namespace compat
