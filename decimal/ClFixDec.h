// A signed decimal with four places after the point on 64-bit integers.
//
// Every money amount and rate of the depreciation figures is held in one:
// results do not depend on floating-point rounding.  Doubles enter only
// through one constructor and one division and leave through ToDouble.
// Failures throw an int of -1.
#pragma once

#include <cstdint>

class ClFixDec {
public:
    ClFixDec();
    ClFixDec(double value);
    ClFixDec(const char* text);
    ClFixDec(int integerPart, unsigned int tenThousandths);
    ClFixDec(int64_t count);  // count of ten-thousandths
    ClFixDec(const ClFixDec& other);
    virtual ~ClFixDec();

    ClFixDec& operator=(const ClFixDec& other);
    ClFixDec& operator=(int value);
    ClFixDec& operator=(int64_t count);

    friend ClFixDec operator+(const ClFixDec& a, const ClFixDec& b);
    friend ClFixDec operator-(const ClFixDec& a, const ClFixDec& b);
    friend ClFixDec operator*(const ClFixDec& a, const ClFixDec& b);
    friend ClFixDec operator*(const ClFixDec& a, int n);
    friend ClFixDec operator/(const ClFixDec& a, const ClFixDec& b);
    friend ClFixDec operator/(const ClFixDec& a, double b);
    friend int operator>(const ClFixDec& a, const ClFixDec& b);
    friend int operator<(const ClFixDec& a, const ClFixDec& b);
    friend int operator>(int64_t count, const ClFixDec& b);

    // mode 0 half up, 1 up, 2 down; position 4..0 (3, 2, 1 decimals, whole)
    // and -1..-12 (tens .. 10^12).  1 done, 0 refused.
    int Round(short mode, short position);
    double ToDouble() const;

    int64_t integer;    // magnitude of the integer part
    uint32_t fraction;  // ten-thousandths, 0..9999 (10000 after a carry left by the double and text constructors)
    int16_t sign;       // +1 or -1
    char text[30];      // scratch space of FormatInteger
};

void FormatInteger(ClFixDec value, char* buffer, unsigned size);
void FormatInteger(int64_t count, char* buffer, unsigned size);
