// The drive table most compat tests start from, in a platform home of the
// test's own (tests/support).
#pragma once

#include "tests/support/TestSupport.h"

namespace compat_test {

// The table most tests use: C: fixed, D: a CD-ROM, M: a drive whose folder
// is missing, R: read-only, one share.
inline const char* StandardDrives() {
    return "# test drives\n"
           "C:              fixed      drive_c\n"
           "D:              cdrom      drive_d\n"
           "M:              fixed      missing\n"
           "R:              removable  \"read only\"  ro\n"
           "\\\\FILESV\\share  remote     share\n";
}

inline void SetUpStandardDrives(const testsupport::ScopedPlatformHome& home) {
    home.MakeDir("drive_c");
    home.MakeDir("drive_d");
    home.MakeDir("read only");
    home.MakeDir("share");
    home.WriteDrives(StandardDrives());
}

}  // namespace compat_test
