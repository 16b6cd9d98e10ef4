// ClFixDec's text constructor and FormatInteger: any text (up to its first
// NUL, which is the last byte before a guard page) reads as a value whose
// fields keep their invariant, or throws the int -1; FormatInteger writes
// only within its buffer, and exactly the value rounded half up to whole
// yen or, when that does not fit, nothing.

#include <cmath>
#include <string>

#include "FuzzSupport.h"
#include "decimal/ClFixDec.h"

void fuzz::FuzzOne(const std::string& testCase) {
    const std::string text = fuzz::UpToNul(testCase.substr(0, 512));
    const fuzz::GuardedBuffer source = fuzz::GuardedBuffer::Text(text);

    ClFixDec value;
    try {
        value = ClFixDec(source.Data());
    } catch (int thrown) {
        FUZZ_CHECK(thrown == -1);
        return;
    }
    FUZZ_CHECK(value.sign == 1 || value.sign == -1);
    FUZZ_CHECK(value.integer >= 0);
    FUZZ_CHECK(value.fraction <= 10000);
    FUZZ_CHECK(!std::isnan(value.ToDouble()));

    // Half up to whole yen; a fraction of 10000 is the next whole number.
    const unsigned __int128 whole = static_cast<unsigned __int128>(value.integer) + (value.fraction >= 5000 ? 1 : 0);
    char digits[48];
    char* at = digits + sizeof digits;
    *--at = '\0';
    unsigned __int128 rest = whole;
    do {
        *--at = static_cast<char>('0' + static_cast<int>(rest % 10));
        rest /= 10;
    } while (rest > 0);
    if (whole != 0 && value.sign < 0) *--at = '-';
    const std::string expected(at);
    const bool inRange = whole < static_cast<unsigned __int128>(1000000000000000000LL);

    // Every buffer size, the buffer always ending at the guard page.
    static const fuzz::GuardedBuffer out(32);
    for (unsigned size = 1; size <= out.Size(); ++size) {
        char* buffer = out.Data() + out.Size() - size;
        FormatInteger(value, buffer, size);
        const std::string written(buffer, strnlen(buffer, size));
        FUZZ_CHECK(written.size() < size);
        if (inRange && expected.size() < size)
            FUZZ_CHECK(written == expected);
        else
            FUZZ_CHECK(written.empty());
    }

    // Every rounding either refuses, throws -1, or keeps the invariant.
    for (short mode = -1; mode <= 3; ++mode) {
        for (short position = -13; position <= 5; ++position) {
            ClFixDec rounded(value);
            try {
                const int done = rounded.Round(mode, position);
                const bool valid = mode >= 0 && mode <= 2 && position >= -12 && position <= 4;
                FUZZ_CHECK(done == (valid ? 1 : 0));
                FUZZ_CHECK(rounded.fraction <= 10000);
                FUZZ_CHECK(rounded.sign == value.sign);
                if (!valid) FUZZ_CHECK(rounded.integer == value.integer && rounded.fraction == value.fraction);
            } catch (int thrown) {
                FUZZ_CHECK(thrown == -1);
            }
        }
    }
}
