// A signed decimal with four places after the point on 64-bit integers.
//
// Every money amount and rate of the depreciation figures is held in one:
// results do not depend on floating-point rounding.  Doubles enter only
// through one constructor and one division and leave through ToDouble.
//
// The value is sign x (integer + fraction / 10000); its scaled value is
// sign x (integer x 10000 + fraction).  Zero results of arithmetic carry
// sign +1, but the double and text constructors and Round may leave a
// negative zero, which compares equal to zero and formats without a minus.
//
// Failures throw an int of -1, never anything else:
//  - a double (constructor or divisor) of magnitude 10^14 or more, or NaN;
//  - a sum of magnitude 10^14 or more;
//  - a difference, or a text, whose scaled value does not fit in 64 bits;
//  - a product or quotient whose integer part does not fit in 64 bits;
//  - division by zero;
//  - Round leaving an integer part of 10^18 or more.
// A value that throws is left unchanged.
//
// Overloads: ClFixDec(0) is ambiguous (double, count or null text); write
// 0.0, int64_t{0} or ClFixDec(0, 0u).
#pragma once

#include <cstdint>

class ClFixDec {
public:
    ClFixDec();
    // Rounded half up at the fifth decimal of the double's stored value.
    // The rounding does not carry: 0.99995 gives integer 0, fraction 10000.
    ClFixDec(double value);
    // Blanks, an optional "-", digits with "," anywhere before the point, then
    // up to five decimals rounded at the fifth.  Any other character ends the
    // number.  A null pointer reads as 0, like an empty text.
    ClFixDec(const char* text);
    // The sign of integerPart applies to the whole value: (-3, 2500) is -3.25.
    ClFixDec(int integerPart, unsigned int tenThousandths);
    ClFixDec(int64_t count);          // count of ten-thousandths
    ClFixDec(const ClFixDec& other);  // copies the scratch text as well
    virtual ~ClFixDec();

    ClFixDec& operator=(const ClFixDec& other);  // leaves the scratch text
    ClFixDec& operator=(int value);
    ClFixDec& operator=(int64_t count);

    friend ClFixDec operator+(const ClFixDec& a, const ClFixDec& b);
    friend ClFixDec operator-(const ClFixDec& a, const ClFixDec& b);
    // Exact product rounded half up to four decimals.
    friend ClFixDec operator*(const ClFixDec& a, const ClFixDec& b);
    friend ClFixDec operator*(const ClFixDec& a, int n);
    // Quotient rounded half up at the fifth decimal.
    friend ClFixDec operator/(const ClFixDec& a, const ClFixDec& b);
    friend ClFixDec operator/(const ClFixDec& a, double b);
    friend int operator>(const ClFixDec& a, const ClFixDec& b);
    friend int operator<(const ClFixDec& a, const ClFixDec& b);
    friend int operator>(int64_t count, const ClFixDec& b);

    // mode 0 half up, 1 up, 2 down; position 4..0 (3, 2, 1 decimals, whole)
    // and -1..-12 (tens .. 10^12).  1 done, 0 refused (value unchanged).
    int Round(short mode, short position);
    double ToDouble() const;

    int64_t integer;    // magnitude of the integer part
    uint32_t fraction;  // ten-thousandths, 0..9999 (10000 after a carry left by the double and text constructors)
    int16_t sign;       // +1 or -1
    char text[30];      // scratch space of FormatInteger
};

// Whole yen rounded half up, "-" before negatives, no separators.  The
// buffer is left empty when the text with its terminator needs more than
// size bytes or the value is out of range; nothing is written when size is 0.
void FormatInteger(ClFixDec value, char* buffer, unsigned size);
void FormatInteger(int64_t count, char* buffer, unsigned size);
