// The access and share modes of a CFile open, read once for both backends.

#include "compat/backend.h"
#include "compat/file.h"

namespace compat {

OpenShare OpenShareOf(UINT openFlags) {
    OpenShare modes;
    switch (openFlags & 3) {
    case CFile::modeWrite:
        modes.write = true;
        break;
    case CFile::modeReadWrite:
        modes.read = modes.write = true;
        break;
    default:
        modes.read = true;
        break;
    }
    switch (openFlags & 0x70) {
    case CFile::shareDenyNone:
        break;
    case CFile::shareDenyWrite:
        modes.deniesWrite = true;
        break;
    case CFile::shareDenyRead:
        modes.deniesRead = true;
        break;
    default:  // shareExclusive, shareCompat
        modes.deniesRead = modes.deniesWrite = true;
        break;
    }
    return modes;
}

}  // namespace compat
