#include "decimal/ClFixDec.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Magnitudes and scaled values are computed in 128 bits: a product or a
// quotient may hold an integer part whose scaled value no longer fits in
// 64 bits, and such a value must still add, compare and divide correctly
// instead of wrapping around.
using Wide = __int128;
using UWide = unsigned __int128;

constexpr uint32_t kScale = 10000;
constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();
constexpr double kDoubleLimit = 1e14;
constexpr Wide kSumLimit = Wide{1000000000000000000};            // scaled, 10^18
constexpr uint64_t kRoundLimit = UINT64_C(1000000000000000000);  // integer, 10^18

// Step of Round at positions 0..4, in ten-thousandths.
constexpr uint32_t kFractionStep[] = {10000, 10000, 1000, 100, 10};

// Step of Round at positions -1..-12, indexed by the negated position.
constexpr uint64_t kPowerOfTen[] = {
    UINT64_C(1),           UINT64_C(10),           UINT64_C(100),           UINT64_C(1000),      UINT64_C(10000),
    UINT64_C(100000),      UINT64_C(1000000),      UINT64_C(10000000),      UINT64_C(100000000), UINT64_C(1000000000),
    UINT64_C(10000000000), UINT64_C(100000000000), UINT64_C(1000000000000),
};

[[noreturn]] void Fail() { throw -1; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

UWide Magnitude(const ClFixDec& v) { return UWide(static_cast<uint64_t>(v.integer)) * kScale + v.fraction; }

Wide Scaled(const ClFixDec& v) {
    Wide m = static_cast<Wide>(Magnitude(v));
    return v.sign < 0 ? -m : m;
}

bool IsNegativeProduct(const ClFixDec& a, const ClFixDec& b) { return (a.sign < 0) != (b.sign < 0); }

// Every arithmetic result goes through here, so that a zero never carries a
// minus.  The caller has checked that the integer part fits.
ClFixDec MakeResult(UWide whole, uint32_t fraction, bool negative) {
    ClFixDec r;
    r.integer = static_cast<int64_t>(whole);
    r.fraction = fraction;
    r.sign = (negative && (whole != 0 || fraction != 0)) ? -1 : 1;
    return r;
}

// Splits a magnitude in ten-thousandths; the 64-bit path avoids the slow
// 128-bit library division for every value of ordinary size.
void SplitScaled(UWide m, UWide& whole, uint32_t& fraction) {
    if ((m >> 64) == 0) {
        uint64_t n = static_cast<uint64_t>(m);
        whole = n / kScale;
        fraction = static_cast<uint32_t>(n % kScale);
    } else {
        whole = m / kScale;
        fraction = static_cast<uint32_t>(m % kScale);
    }
}

ClFixDec FromScaled(Wide s) {
    bool negative = s < 0;
    UWide whole;
    uint32_t fraction;
    SplitScaled(negative ? UWide(-s) : UWide(s), whole, fraction);
    return MakeResult(whole, fraction, negative);
}

void AssignCount(ClFixDec& v, int64_t count) {
    // Negating in unsigned arithmetic keeps INT64_MIN representable.
    uint64_t m = count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
    v.sign = count < 0 ? -1 : 1;
    v.integer = static_cast<int64_t>(m / kScale);
    v.fraction = static_cast<uint32_t>(m % kScale);
}

void AssignDouble(ClFixDec& v, double x) {
    // NaN passes every comparison below as false and would truncate to an
    // arbitrary integer.
    if (std::isnan(x)) Fail();
    int16_t sign = 1;
    if (x < 0) {
        sign = -1;
        x = -x;
    }
    if (x >= kDoubleLimit) Fail();
    int64_t whole = static_cast<int64_t>(x);
    // x - whole is exact; the product decides the fifth decimal of the
    // double as stored, which is why 2.00005 (stored just below) gives 2.
    double rest = (x - static_cast<double>(whole)) * 100000.0;
    v.sign = sign;
    v.integer = whole;
    v.fraction = static_cast<uint32_t>((static_cast<int64_t>(rest) + 5) / 10);
}

}  // namespace

ClFixDec::ClFixDec() : integer(0), fraction(0), sign(1) {}

ClFixDec::ClFixDec(double value) { AssignDouble(*this, value); }

ClFixDec::ClFixDec(const char* text) : integer(0), fraction(0), sign(1) {
    if (text == nullptr) return;
    const char* p = text;
    while (*p == ' ') ++p;
    // "-.5" and "- 5" keep the plus: only a minus followed by a digit counts.
    if (*p == '-') {
        ++p;
        if (IsDigit(*p)) sign = -1;
    }

    // Beyond this the scaled value cannot fit in 64 bits.
    constexpr uint64_t kMaxWhole = static_cast<uint64_t>(kInt64Max) / kScale;
    uint64_t whole = 0;
    for (;; ++p) {
        if (IsDigit(*p)) {
            whole = whole * 10 + static_cast<uint64_t>(*p - '0');
            if (whole > kMaxWhole) Fail();
        } else if (*p != ',') {
            break;
        }
    }

    uint32_t tenThousandths = 0;
    if (*p == '.') {
        ++p;
        uint32_t digits = 0;
        int count = 0;
        for (; count < 5 && IsDigit(*p); ++count, ++p) digits = digits * 10 + static_cast<uint32_t>(*p - '0');
        for (; count < 5; ++count) digits *= 10;
        tenThousandths = (digits + 5) / 10;
    }
    if (whole * kScale + tenThousandths > static_cast<uint64_t>(kInt64Max)) Fail();
    integer = static_cast<int64_t>(whole);
    fraction = tenThousandths;
}

ClFixDec::ClFixDec(int integerPart, unsigned int tenThousandths) {
    sign = integerPart < 0 ? -1 : 1;
    integer = integerPart < 0 ? -static_cast<int64_t>(integerPart) : integerPart;
    if (tenThousandths >= kScale) {
        integer += tenThousandths / kScale;
        fraction = tenThousandths % kScale;
    } else {
        fraction = tenThousandths;
    }
}

ClFixDec::ClFixDec(int64_t count) { AssignCount(*this, count); }

ClFixDec::ClFixDec(const ClFixDec& other) : integer(other.integer), fraction(other.fraction), sign(other.sign) {
    std::memcpy(text, other.text, sizeof text);
}

ClFixDec::~ClFixDec() = default;

ClFixDec& ClFixDec::operator=(const ClFixDec& other) {
    if (this == &other) return *this;
    integer = other.integer;
    fraction = other.fraction;
    sign = other.sign;
    return *this;
}

ClFixDec& ClFixDec::operator=(int value) {
    sign = value < 0 ? -1 : 1;
    integer = value < 0 ? -static_cast<int64_t>(value) : value;
    fraction = 0;
    return *this;
}

ClFixDec& ClFixDec::operator=(int64_t count) {
    AssignCount(*this, count);
    return *this;
}

ClFixDec operator+(const ClFixDec& a, const ClFixDec& b) {
    Wide s = Scaled(a) + Scaled(b);
    if (s >= kSumLimit || s <= -kSumLimit) Fail();
    return FromScaled(s);
}

ClFixDec operator-(const ClFixDec& a, const ClFixDec& b) {
    // No range check of the sum's kind (99999999999999 - -1 stands), only
    // the one that keeps the result's scaled value a 64-bit number.
    Wide d = Scaled(a) - Scaled(b);
    if (d > kInt64Max || d < kInt64Min) Fail();
    return FromScaled(d);
}

ClFixDec operator*(const ClFixDec& a, const ClFixDec& b) {
    uint64_t ai = static_cast<uint64_t>(a.integer);
    uint64_t bi = static_cast<uint64_t>(b.integer);
    UWide whole = UWide(ai) * bi;
    if (whole > static_cast<UWide>(kInt64Max)) Fail();
    // The cross terms are exact; only the product of the two fractions is
    // rounded, which rounds the whole product half up at four decimals.
    UWide cross = UWide(a.fraction) * bi + UWide(b.fraction) * ai +
                  (static_cast<uint64_t>(a.fraction) * b.fraction + kScale / 2) / kScale;
    UWide carry;
    uint32_t fraction;
    SplitScaled(cross, carry, fraction);
    whole += carry;
    if (whole > static_cast<UWide>(kInt64Max)) Fail();
    return MakeResult(whole, fraction, IsNegativeProduct(a, b));
}

ClFixDec operator*(const ClFixDec& a, int n) {
    uint64_t m = n < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(n)) : static_cast<uint64_t>(n);
    // At most (2^32 - 1) x 2^31, so 64 bits hold it.
    uint64_t f = static_cast<uint64_t>(a.fraction) * m;
    UWide whole = UWide(static_cast<uint64_t>(a.integer)) * m;
    if (whole > static_cast<UWide>(kInt64Max)) Fail();
    whole += f / kScale;
    if (whole > static_cast<UWide>(kInt64Max)) Fail();
    return MakeResult(whole, static_cast<uint32_t>(f % kScale), (a.sign < 0) != (n < 0));
}

ClFixDec operator/(const ClFixDec& a, const ClFixDec& b) {
    UWide dividend = Magnitude(a);
    UWide divisor = Magnitude(b);
    if (divisor == 0) Fail();
    // t holds the next five decimals of the quotient, floor(r x 10^5 / B):
    // exactly what five steps of long division produce.
    UWide q;
    uint64_t t;
    if ((dividend >> 64) == 0 && divisor <= UINT64_MAX / 100000) {
        uint64_t x = static_cast<uint64_t>(dividend);
        uint64_t y = static_cast<uint64_t>(divisor);
        q = x / y;
        t = (x % y) * 100000 / y;
    } else {
        q = dividend / divisor;
        t = static_cast<uint64_t>((dividend % divisor) * 100000 / divisor);
    }
    uint64_t f = (t + 5) / 10;
    if (f >= kScale) {
        f -= kScale;
        q += 1;
    }
    if (q > static_cast<UWide>(kInt64Max)) Fail();
    return MakeResult(q, static_cast<uint32_t>(f), IsNegativeProduct(a, b));
}

ClFixDec operator/(const ClFixDec& a, double b) {
    ClFixDec divisor(b);
    return a / divisor;
}

int operator>(const ClFixDec& a, const ClFixDec& b) { return Scaled(a) > Scaled(b) ? 1 : 0; }

int operator<(const ClFixDec& a, const ClFixDec& b) { return Scaled(a) < Scaled(b) ? 1 : 0; }

int operator>(int64_t count, const ClFixDec& b) { return Wide(count) > Scaled(b) ? 1 : 0; }

int ClFixDec::Round(short mode, short position) {
    if (mode < 0 || mode > 2 || position < -12 || position > 4) return 0;

    // Below 2^63 + 2^32, so none of the steps below can wrap.
    uint64_t whole = static_cast<uint64_t>(integer);
    uint64_t tenThousandths = fraction;
    if (position >= 0) {
        uint64_t d = kFractionStep[position];
        switch (mode) {
        case 0:
            tenThousandths = (tenThousandths + d / 2) / d * d;
            break;
        case 1:
            tenThousandths = (tenThousandths / d + (tenThousandths % d != 0)) * d;
            break;
        default:
            tenThousandths = tenThousandths / d * d;
            break;  // a carried 10000 stays
        }
        if (mode != 2 && tenThousandths >= kScale) {
            whole += tenThousandths / kScale;
            tenThousandths %= kScale;
        }
    } else {
        // A fraction of 10000 left by a constructor is a whole unit here:
        // integer 184 with 10000 is 185 and must round to 190, not 180.
        whole += tenThousandths / kScale;
        tenThousandths %= kScale;
        uint64_t d = kPowerOfTen[-position];
        switch (mode) {
        case 0:
            whole = (whole + d / 2) / d * d;
            break;
        case 1:
            if (whole % d != 0 || tenThousandths != 0) whole = (whole / d + 1) * d;
            break;
        default:
            whole = whole / d * d;
            break;
        }
        tenThousandths = 0;
    }
    if (whole >= kRoundLimit) Fail();
    integer = static_cast<int64_t>(whole);
    fraction = static_cast<uint32_t>(tenThousandths);
    return 1;
}

double ClFixDec::ToDouble() const {
    double value = static_cast<double>(integer) + static_cast<double>(fraction) * 0.0001;
    return sign < 0 ? value * -1.0 : value;
}

void FormatInteger(ClFixDec value, char* buffer, unsigned size) {
    if (buffer == nullptr || size == 0) return;
    buffer[0] = '\0';
    try {
        value.Round(0, 1);
    } catch (...) {
        return;
    }
    if (value.integer == 0) value.sign = 1;

    // Digits are built right to left at the end of the scratch text; below
    // 10^18 they take at most 18 bytes, a minus and the terminator.
    char* end = value.text + sizeof value.text;
    char* p = end;
    *--p = '\0';
    uint64_t n = static_cast<uint64_t>(value.integer);
    do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    if (value.sign < 0) *--p = '-';

    size_t length = static_cast<size_t>(end - p) - 1;
    if (length >= size) return;
    std::memcpy(buffer, p, length + 1);
}

void FormatInteger(int64_t count, char* buffer, unsigned size) { FormatInteger(ClFixDec(count), buffer, size); }
