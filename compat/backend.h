// What each backend answers for the code shared between them (mbcs.cpp,
// openshare.cpp).  Internal to compat.
#pragma once

#include "compat/win32.h"

namespace compat {

// What the flags of a CFile open ask for and what they deny the other
// openers, as Windows reads them: shareExclusive, shareCompat and any
// value beside the share modes deny both.  Each backend enforces it its
// own way (CreateFileA's share flags, or locks between the openers).
struct OpenShare {
    bool read = false;
    bool write = false;
    bool deniesRead = false;
    bool deniesWrite = false;
};
OpenShare OpenShareOf(UINT openFlags);

// The character (a Unicode code point) that code page 932 assigns to the
// double-byte pair lead, trail; 0 when it assigns none.  The two backends
// ask different tables: iconv's and Windows' own.
char32_t Cp932PairCharacter(unsigned lead, unsigned trail);

}  // namespace compat
