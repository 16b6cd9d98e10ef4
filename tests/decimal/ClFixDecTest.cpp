#include "decimal/ClFixDec.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();

// The three fields a value is made of, as the rules give them.
struct Parts {
    int64_t integer;
    uint32_t fraction;
    int sign;
};

void ExpectParts(const ClFixDec& v, const Parts& want) {
    EXPECT_EQ(v.integer, want.integer);
    EXPECT_EQ(v.fraction, want.fraction);
    EXPECT_EQ(v.sign, want.sign);
}

// True when the operation throws the int -1, the only failure there is.
template <typename F>
bool ThrowsMinusOne(F operation) {
    try {
        operation();
    } catch (int code) {
        return code == -1;
    } catch (...) {
        return false;
    }
    return false;
}

std::string Format(const ClFixDec& v, unsigned size = 32) {
    char buffer[64];
    std::memset(buffer, 'X', sizeof buffer);
    FormatInteger(v, buffer, size);
    return buffer;
}

// ---------------------------------------------------------------- construction

TEST(ClFixDecConstruct, DefaultIsPositiveZero) {
    ClFixDec v;
    ExpectParts(v, {0, 0, 1});
}

struct DoubleCase {
    double input;
    Parts want;
};

TEST(ClFixDecConstruct, FromDoubleRoundsAtTheFifthDecimalWithoutCarry) {
    const DoubleCase cases[] = {
        {0.1234567, {0, 1235, 1}},
        {1.00005, {1, 1, 1}},
        {2.00005, {2, 0, 1}},  // stored just below 2.00005
        {0.99995, {0, 10000, 1}},
        {185.99999999999997, {185, 10000, 1}},
        {278.9, {278, 9000, 1}},
        {-2.5, {2, 5000, -1}},
        {-0.00001, {0, 0, -1}},  // a negative zero
        {-0.0, {0, 0, 1}},       // not below zero
        {0.0, {0, 0, 1}},
        // The double nearest is 99999999999999.984375.
        {99999999999999.99, {99999999999999, 9844, 1}},
        {-99999999999999.99, {99999999999999, 9844, -1}},
    };
    for (const DoubleCase& c : cases) {
        SCOPED_TRACE(c.input);
        ExpectParts(ClFixDec(c.input), c.want);
    }
}

TEST(ClFixDecConstruct, FromDoubleOutOfRangeOrNaNThrows) {
    const double cases[] = {
        1e14,
        -1e14,
        1e300,
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
    };
    for (double x : cases) {
        SCOPED_TRACE(x);
        EXPECT_TRUE(ThrowsMinusOne([x] { ClFixDec v(x); }));
    }
}

struct TextCase {
    const char* input;
    Parts want;
};

TEST(ClFixDecConstruct, FromText) {
    const TextCase cases[] = {
        {"1,234.5", {1234, 5000, 1}},
        {"0.123456", {0, 1235, 1}},  // the sixth decimal is never read
        {"0.99995", {0, 10000, 1}},
        {"1.00005", {1, 1, 1}},
        {"2.00005", {2, 1, 1}},  // unlike the double, the text is exact
        {"+5", {0, 0, 1}},
        {"12a", {12, 0, 1}},
        {"-0", {0, 0, -1}},
        {"- 5", {0, 0, 1}},
        {"-.5", {0, 5000, 1}},
        {"   -42.25", {42, 2500, -1}},
        {"\t7", {0, 0, 1}},  // only the space is a blank
        {"1,2,3", {123, 0, 1}},
        {"1.2.3", {1, 2000, 1}},
        {"12.3x9", {12, 3000, 1}},
        {".5", {0, 5000, 1}},
        {"5.", {5, 0, 1}},
        {"", {0, 0, 1}},
        {nullptr, {0, 0, 1}},
        {"\x82\x50", {0, 0, 1}},  // a full-width digit is no digit
        {"99999999999999.9999", {99999999999999, 9999, 1}},
        {"100000000000000", {100000000000000, 0, 1}},  // texts have no 10^14 limit
        {"922337203685477.5807", {922337203685477, 5807, 1}},
        {"-922337203685477.5807", {922337203685477, 5807, -1}},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.input ? c.input : "(null)");
        ExpectParts(ClFixDec(c.input), c.want);
    }
}

TEST(ClFixDecConstruct, FromTextBeyondTheScaledRangeThrows) {
    const char* cases[] = {
        "922337203685477.5808",    "-922337203685477.5808", "1000000000000000",
        "99999999999999999999999", "922337203685477.99995",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(ThrowsMinusOne([text] { ClFixDec v(text); }));
    }
}

struct PartsCase {
    int integerPart;
    unsigned int tenThousandths;
    Parts want;
};

TEST(ClFixDecConstruct, FromParts) {
    const PartsCase cases[] = {
        {-3, 2500, {3, 2500, -1}}, {0, 2500, {0, 2500, 1}},           {1, 12345, {2, 2345, 1}},
        {-1, 10000, {2, 0, -1}},   {INT_MIN, 0, {2147483648, 0, -1}}, {5, 4294967295u, {429501, 7295, 1}},
    };
    for (const PartsCase& c : cases) {
        SCOPED_TRACE(c.integerPart);
        ExpectParts(ClFixDec(c.integerPart, c.tenThousandths), c.want);
    }
}

struct CountCase {
    int64_t count;
    Parts want;
};

TEST(ClFixDecConstruct, FromAndAssignedCount) {
    const CountCase cases[] = {
        {12345, {1, 2345, 1}},
        {-5000, {0, 5000, -1}},
        {0, {0, 0, 1}},
        {kInt64Max, {922337203685477, 5807, 1}},
        {kInt64Min, {922337203685477, 5808, -1}},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.count);
        ExpectParts(ClFixDec(c.count), c.want);
        ClFixDec assigned(1.5);
        ExpectParts(assigned = c.count, c.want);
        ExpectParts(assigned, c.want);
    }
}

TEST(ClFixDecConstruct, AssignedInt) {
    const struct {
        int value;
        Parts want;
    } cases[] = {
        {-7, {7, 0, -1}},
        {0, {0, 0, 1}},
        {INT_MIN, {2147483648, 0, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ClFixDec v(-0.5);
        ExpectParts(v = c.value, c.want);
    }
}

TEST(ClFixDecConstruct, CopyTakesTheScratchTextAssignmentDoesNot) {
    ClFixDec source(-1.25);
    std::memcpy(source.text, "source", 7);
    ClFixDec copy(source);
    ExpectParts(copy, {1, 2500, -1});
    EXPECT_STREQ(copy.text, "source");

    ClFixDec target(3.0);
    std::memcpy(target.text, "target", 7);
    target = source;
    ExpectParts(target, {1, 2500, -1});
    EXPECT_STREQ(target.text, "target");
}

// ---------------------------------------------------------------- addition

struct BinaryCase {
    const char* a;
    const char* b;
    Parts want;
};

TEST(ClFixDecAddSubtract, Addition) {
    const BinaryCase cases[] = {
        {"1.5", "2.75", {4, 2500, 1}},
        {"-1.5", "1.5", {0, 0, 1}},
        {"-0", "-0", {0, 0, 1}},
        {"-1.5", "0.25", {1, 2500, -1}},
        {"0.99995", "0", {1, 0, 1}},  // the carried fraction is settled
        {"99999999999999.9999", "0", {99999999999999, 9999, 1}},
    };
    for (const BinaryCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " + " + c.b);
        ExpectParts(ClFixDec(c.a) + ClFixDec(c.b), c.want);
    }
}

TEST(ClFixDecAddSubtract, Subtraction) {
    const BinaryCase cases[] = {
        {"1", "2.5", {1, 5000, -1}},
        {"2.5", "2.5", {0, 0, 1}},
        {"99999999999999", "-1", {100000000000000, 0, 1}},  // no range check
        {"-922337203685477.5807", "0.0001", {922337203685477, 5808, -1}},
        {"922337203685477.5807", "0", {922337203685477, 5807, 1}},
    };
    for (const BinaryCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " - " + c.b);
        ExpectParts(ClFixDec(c.a) - ClFixDec(c.b), c.want);
    }
}

struct ThrowCase {
    const char* a;
    const char* b;
};

TEST(ClFixDecAddSubtract, SumOutOfRangeThrows) {
    const ThrowCase cases[] = {
        {"99999999999999", "1"},
        {"-99999999999999", "-1"},
        {"99999999999999.9999", "0.0001"},
        {"100000000000000", "0"},
    };
    for (const ThrowCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " + " + c.b);
        EXPECT_TRUE(ThrowsMinusOne([&c] { ClFixDec(c.a) + ClFixDec(c.b); }));
    }
}

TEST(ClFixDecAddSubtract, DifferenceBeyondTheScaledRangeThrows) {
    const ThrowCase cases[] = {
        {"922337203685477.5807", "-0.0001"},
        {"-922337203685477.5807", "0.0002"},
        {"922337203685477", "-922337203685477"},
    };
    for (const ThrowCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " - " + c.b);
        EXPECT_TRUE(ThrowsMinusOne([&c] { ClFixDec(c.a) - ClFixDec(c.b); }));
    }
}

// ---------------------------------------------------------------- multiplication

TEST(ClFixDecMultiply, TwoValuesRoundHalfUpAtFourDecimals) {
    const BinaryCase cases[] = {
        {"0.0005", "0.1", {0, 1, 1}},
        {"1.0001", "1.0001", {1, 2, 1}},
        {"0.005", "0.01", {0, 1, 1}},   // 0.00005 goes up
        {"0.0049", "0.01", {0, 0, 1}},  // 0.000049 goes down
        {"12345.6789", "2.5", {30864, 1973, 1}},
        {"-2.5", "4", {10, 0, -1}},
        {"-2.5", "-4", {10, 0, 1}},
        {"-0.0001", "0.0004", {0, 0, 1}},  // a zero product has no minus
        {"0.99995", "3", {3, 0, 1}},       // the carried fraction is a whole unit
        {"3037000499", "3037000499", {9223372030926249001, 0, 1}},
        // Beyond the 64-bit scaled range, but the integer part fits.
        {"900000000000000", "1249.9", {1124910000000000000, 0, 1}},
    };
    for (const BinaryCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " * " + c.b);
        ExpectParts(ClFixDec(c.a) * ClFixDec(c.b), c.want);
    }
}

TEST(ClFixDecMultiply, IntegerPartBeyond64BitsThrows) {
    const ThrowCase cases[] = {
        {"3037000500", "3037000500"},            // the integer parts alone
        {"3037000499.9999", "3037000499.9999"},  // only with the carry
        {"922337203685477", "-100000"},
    };
    for (const ThrowCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " * " + c.b);
        EXPECT_TRUE(ThrowsMinusOne([&c] { ClFixDec(c.a) * ClFixDec(c.b); }));
    }
}

struct IntMultiplyCase {
    const char* a;
    int n;
    Parts want;
};

TEST(ClFixDecMultiply, ByAnIntIsExact) {
    const IntMultiplyCase cases[] = {
        {"1.2345", 3, {3, 7035, 1}},
        {"-0.5", 3, {1, 5000, -1}},
        {"0.5", -3, {1, 5000, -1}},
        {"-0.5", -3, {1, 5000, 1}},
        {"-0.0001", 0, {0, 0, 1}},
        {"0.99995", 2, {2, 0, 1}},
        {"3.5", INT_MIN, {7516192768, 0, -1}},
        {"4294967296", INT_MAX, {9223372032559808512, 0, 1}},
    };
    for (const IntMultiplyCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " * " + std::to_string(c.n));
        ExpectParts(ClFixDec(c.a) * c.n, c.want);
    }
}

TEST(ClFixDecMultiply, ByAnIntBeyond64BitsThrows) {
    EXPECT_TRUE(ThrowsMinusOne([] { ClFixDec("4294967296") * INT_MIN; }));
    EXPECT_TRUE(ThrowsMinusOne([] { ClFixDec("922337203685477") * 100000; }));
}

// ---------------------------------------------------------------- division

TEST(ClFixDecDivide, RoundsHalfUpAtTheFifthDecimal) {
    const BinaryCase cases[] = {
        {"1", "3", {0, 3333, 1}},          {"2", "3", {0, 6667, 1}},
        {"9999.9999", "10000", {1, 0, 1}},  // carry out of the fifth decimal
        {"1", "0.0003", {3333, 3333, 1}},  {"0.0001", "3", {0, 0, 1}},
        {"-0.0001", "3", {0, 0, 1}},       {"1", "20000", {0, 1, 1}},  // 0.00005
        {"1", "20001", {0, 0, 1}},                                     // 0.0000499...
        {"-7", "2", {3, 5000, -1}},        {"-7", "-2", {3, 5000, 1}},
        {"7", "-2", {3, 5000, -1}},        {"6667", "100", {66, 6700, 1}},
        {"0.99995", "1", {1, 0, 1}},       {"100000000000000", "0.0001", {1000000000000000000, 0, 1}},
    };
    for (const BinaryCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        ExpectParts(ClFixDec(c.a) / ClFixDec(c.b), c.want);
    }
}

TEST(ClFixDecDivide, ValuesBeyondTheScaledRangeDivideCorrectly) {
    // An amount times a guarantee entry, then divided by 10000: the product's
    // scaled value no longer fits in 64 bits.
    ClFixDec product = ClFixDec("900000000000000") * ClFixDec("1249.9");
    ExpectParts(product / ClFixDec("10000"), {112491000000000, 0, 1});
    // A divisor whose remainder times ten needs more than 64 bits.
    ExpectParts(ClFixDec("900000000000000") / ClFixDec("300000000000000.0001"), {3, 0, 1});
    ExpectParts(ClFixDec("1") / ClFixDec("922337203685477.5807"), {0, 0, 1});
}

TEST(ClFixDecDivide, ByADouble) {
    const struct {
        const char* a;
        double b;
        Parts want;
    } cases[] = {
        {"1", 0.0003, {3333, 3333, 1}},
        {"10000", 100.0, {100, 0, 1}},
        {"5", -2.0, {2, 5000, -1}},
        {"1", 0.99995, {1, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a);
        ExpectParts(ClFixDec(c.a) / c.b, c.want);
    }
}

TEST(ClFixDecDivide, ByZeroOrABadDoubleThrows) {
    EXPECT_TRUE(ThrowsMinusOne([] { ClFixDec("1") / ClFixDec("0"); }));
    EXPECT_TRUE(ThrowsMinusOne([] { ClFixDec("1") / ClFixDec("-0"); }));
    EXPECT_TRUE(ThrowsMinusOne([] { ClFixDec("0") / ClFixDec("0"); }));
    const double divisors[] = {
        0.0,  0.00004,  // both become zero
        1e14, -1e14,   std::numeric_limits<double>::quiet_NaN(),
    };
    for (double b : divisors) {
        SCOPED_TRACE(b);
        EXPECT_TRUE(ThrowsMinusOne([b] { ClFixDec("1") / b; }));
    }
    // A quotient whose integer part does not fit in 64 bits.
    ClFixDec huge = ClFixDec("3037000499") * ClFixDec("3037000499");
    EXPECT_TRUE(ThrowsMinusOne([&huge] { huge / ClFixDec("0.0001"); }));
}

// ---------------------------------------------------------------- comparison

struct CompareCase {
    const char* a;
    const char* b;
    int greater;
    int less;
};

TEST(ClFixDecCompare, ScaledValues) {
    const CompareCase cases[] = {
        {"-0", "0", 0, 0},      {"0", "-0", 0, 0},           {"-0", "-0", 0, 0},
        {"0.99995", "1", 0, 0}, {"1", "0.9999", 1, 0},       {"-1", "0", 0, 1},
        {"-1", "-2", 1, 0},     {"0.0001", "-0.0001", 1, 0}, {"922337203685477.5807", "-922337203685477.5807", 1, 0},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " ? " + c.b);
        ClFixDec a(c.a), b(c.b);
        EXPECT_EQ(a > b, c.greater);
        EXPECT_EQ(a < b, c.less);
    }
}

TEST(ClFixDecCompare, CountAgainstValue) {
    const struct {
        int64_t count;
        const char* b;
        int greater;
    } cases[] = {
        {0, "-0", 0},
        {1, "0", 1},
        {1, "-0", 1},
        {-1, "-0.0001", 0},
        {10000, "0.99995", 0},
        {10001, "0.99995", 1},
        {kInt64Min, "-922337203685477.5807", 0},
        {kInt64Max, "922337203685477.5806", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " > " + c.b);
        EXPECT_EQ(c.count > ClFixDec(c.b), c.greater);
    }
}

TEST(ClFixDecCompare, ValuesBeyondTheScaledRangeCompareExactly) {
    ClFixDec huge = ClFixDec("3037000499") * ClFixDec("3037000499");
    ClFixDec largest("922337203685477.5807");
    EXPECT_EQ(huge > largest, 1);
    EXPECT_EQ(huge < largest, 0);
    EXPECT_EQ(kInt64Max > huge, 0);
}

// ---------------------------------------------------------------- Round

struct RoundCase {
    const char* input;
    short mode;
    short position;
    Parts want;
};

void CheckRound(const RoundCase& c) {
    SCOPED_TRACE(std::string(c.input) + " mode " + std::to_string(c.mode) + " position " + std::to_string(c.position));
    ClFixDec v(c.input);
    EXPECT_EQ(v.Round(c.mode, c.position), 1);
    ExpectParts(v, c.want);
}

TEST(ClFixDecRound, WorkedExamples) {
    const RoundCase cases[] = {
        {"2.5", 0, 1, {3, 0, 1}},         {"-2.5", 0, 1, {3, 0, -1}},       {"1.2399", 2, 3, {1, 2300, 1}},
        {"1.2001", 1, 2, {1, 3000, 1}},   {"149.9999", 0, -2, {100, 0, 1}}, {"150", 0, -2, {200, 0, 1}},
        {"120.0001", 1, -1, {130, 0, 1}}, {"120", 1, -1, {120, 0, 1}},      {"0.0005", 0, 4, {0, 10, 1}},
        {"-7.9999", 2, 1, {7, 0, -1}},    {"0.0001", 1, 1, {1, 0, 1}},      {"0.9999", 1, 4, {1, 0, 1}},
        {"-0.5", 2, 1, {0, 0, -1}},  // the sign stays on a zero
        {"-0.4", 0, -3, {0, 0, -1}},
    };
    for (const RoundCase& c : cases) CheckRound(c);
}

TEST(ClFixDecRound, EveryModeAtEveryPosition) {
    const char* v = "1234567890123.4565";
    const RoundCase cases[] = {
        {v, 0, 4, {1234567890123, 4570, 1}},
        {v, 1, 4, {1234567890123, 4570, 1}},
        {v, 2, 4, {1234567890123, 4560, 1}},
        {v, 0, 3, {1234567890123, 4600, 1}},
        {v, 1, 3, {1234567890123, 4600, 1}},
        {v, 2, 3, {1234567890123, 4500, 1}},
        {v, 0, 2, {1234567890123, 5000, 1}},
        {v, 1, 2, {1234567890123, 5000, 1}},
        {v, 2, 2, {1234567890123, 4000, 1}},
        {v, 0, 1, {1234567890123, 0, 1}},
        {v, 1, 1, {1234567890124, 0, 1}},
        {v, 2, 1, {1234567890123, 0, 1}},
        {v, 0, 0, {1234567890123, 0, 1}},
        {v, 1, 0, {1234567890124, 0, 1}},
        {v, 2, 0, {1234567890123, 0, 1}},
        {v, 0, -1, {1234567890120, 0, 1}},
        {v, 1, -1, {1234567890130, 0, 1}},
        {v, 2, -1, {1234567890120, 0, 1}},
        {v, 0, -2, {1234567890100, 0, 1}},
        {v, 1, -2, {1234567890200, 0, 1}},
        {v, 2, -2, {1234567890100, 0, 1}},
        {v, 0, -3, {1234567890000, 0, 1}},
        {v, 1, -3, {1234567891000, 0, 1}},
        {v, 2, -3, {1234567890000, 0, 1}},
        {v, 0, -4, {1234567890000, 0, 1}},
        {v, 1, -4, {1234567900000, 0, 1}},
        {v, 2, -4, {1234567890000, 0, 1}},
        {v, 0, -5, {1234567900000, 0, 1}},
        {v, 1, -5, {1234567900000, 0, 1}},
        {v, 2, -5, {1234567800000, 0, 1}},
        {v, 0, -6, {1234568000000, 0, 1}},
        {v, 1, -6, {1234568000000, 0, 1}},
        {v, 2, -6, {1234567000000, 0, 1}},
        {v, 0, -7, {1234570000000, 0, 1}},
        {v, 1, -7, {1234570000000, 0, 1}},
        {v, 2, -7, {1234560000000, 0, 1}},
        {v, 0, -8, {1234600000000, 0, 1}},
        {v, 1, -8, {1234600000000, 0, 1}},
        {v, 2, -8, {1234500000000, 0, 1}},
        {v, 0, -9, {1235000000000, 0, 1}},
        {v, 1, -9, {1235000000000, 0, 1}},
        {v, 2, -9, {1234000000000, 0, 1}},
        {v, 0, -10, {1230000000000, 0, 1}},
        {v, 1, -10, {1240000000000, 0, 1}},
        {v, 2, -10, {1230000000000, 0, 1}},
        {v, 0, -11, {1200000000000, 0, 1}},
        {v, 1, -11, {1300000000000, 0, 1}},
        {v, 2, -11, {1200000000000, 0, 1}},
        {v, 0, -12, {1000000000000, 0, 1}},
        {v, 1, -12, {2000000000000, 0, 1}},
        {v, 2, -12, {1000000000000, 0, 1}},
        // Magnitudes are rounded; the minus is put back unchanged.
        {"-1234567890123.4565", 1, 3, {1234567890123, 4600, -1}},
        {"-1234567890123.4565", 2, -5, {1234567800000, 0, -1}},
        {"-1234567890123.4565", 1, -12, {2000000000000, 0, -1}},
    };
    for (const RoundCase& c : cases) CheckRound(c);
}

TEST(ClFixDecRound, CarriedFraction) {
    const RoundCase cases[] = {
        {"0.99995", 2, 1, {0, 10000, 1}},  // round down keeps it
        {"0.99995", 2, 4, {0, 10000, 1}},
        {"0.99995", 0, 1, {1, 0, 1}},
        {"0.99995", 1, 4, {1, 0, 1}},
        // At the integer positions it counts as the next whole number.
        {"184.99995", 0, -1, {190, 0, 1}},
        {"199.99995", 2, -1, {200, 0, 1}},
        {"189.99995", 1, -1, {190, 0, 1}},
    };
    for (const RoundCase& c : cases) CheckRound(c);
}

TEST(ClFixDecRound, RefusedArgumentsChangeNothing) {
    const struct {
        short mode;
        short position;
    } cases[] = {
        {0, 5}, {3, 0}, {-1, 1}, {0, -13}, {2, SHRT_MAX}, {SHRT_MIN, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + "," + std::to_string(c.position));
        ClFixDec v("-1.23456");
        EXPECT_EQ(v.Round(c.mode, c.position), 0);
        ExpectParts(v, {1, 2346, -1});
    }
}

TEST(ClFixDecRound, IntegerPartOf10To18Throws) {
    // 10^9 x 999999999.9999 = 999999999999900000
    const ClFixDec large = ClFixDec("1000000000") * ClFixDec("999999999.9999");
    const ClFixDec huge = ClFixDec("1000000000") * ClFixDec("1000000000");
    const struct {
        const ClFixDec* value;
        short mode;
        short position;
    } cases[] = {
        {&large, 1, -12},
        {&large, 0, -12},
        {&huge, 2, 4},
        {&huge, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + "," + std::to_string(c.position));
        ClFixDec v(*c.value);
        EXPECT_TRUE(ThrowsMinusOne([&] { v.Round(c.mode, c.position); }));
        ExpectParts(v, {c.value->integer, c.value->fraction, 1});
    }
    ClFixDec v(large);
    EXPECT_EQ(v.Round(2, -12), 1);
    ExpectParts(v, {999999000000000000, 0, 1});
}

// ---------------------------------------------------------------- ToDouble

TEST(ClFixDecToDouble, ValuesAndNegativeZero) {
    const struct {
        const char* input;
        double want;
    } cases[] = {
        {"1.5", 1.5},
        {"-2.25", -2.25},
        {"0.99995", 1.0},
        {"0", 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(ClFixDec(c.input).ToDouble(), c.want);
    }
    double negativeZero = ClFixDec("-0").ToDouble();
    EXPECT_EQ(negativeZero, 0.0);
    EXPECT_TRUE(std::signbit(negativeZero));
    EXPECT_FALSE(std::signbit(ClFixDec("0").ToDouble()));
}

// ---------------------------------------------------------------- FormatInteger

struct FormatCase {
    const char* input;
    unsigned size;
    const char* want;
};

TEST(ClFixDecFormat, WholeYenHalfUpWithinTheSize) {
    const FormatCase cases[] = {
        {"1234.5", 32, "1235"},
        {"1234.4999", 32, "1234"},
        {"-0.4", 32, "0"},
        {"-0.5", 32, "-1"},
        {"-0", 32, "0"},
        {"0.99995", 32, "1"},
        {"1234", 4, ""},
        {"1234", 5, "1234"},
        {"-1234", 5, ""},
        {"-1234", 6, "-1234"},
        {"0", 1, ""},
        {"0", 2, "0"},
        {"99999999999999.9999", 32, "100000000000000"},
        {"999999999999", 13, "999999999999"},
        {"999999999999.5", 13, ""},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " size " + std::to_string(c.size));
        EXPECT_EQ(Format(ClFixDec(c.input), c.size), c.want);
    }
}

TEST(ClFixDecFormat, CountOfTenThousandths) {
    const struct {
        int64_t count;
        const char* want;
    } cases[] = {
        {-5000, "-1"},
        {4999, "0"},
        {5000, "1"},
        {-4999, "0"},
        {12345678, "1235"},
        {kInt64Min, "-922337203685478"},
        {kInt64Max, "922337203685478"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        char buffer[32];
        std::memset(buffer, 'X', sizeof buffer);
        FormatInteger(c.count, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, c.want);
    }
}

TEST(ClFixDecFormat, LongestTextsAndOutOfRange) {
    const ClFixDec largest = ClFixDec("999999999") * ClFixDec("1000000001");
    EXPECT_EQ(Format(largest), "999999999999999999");
    EXPECT_EQ(Format(largest * -1), "-999999999999999999");
    // Rounding reaches 10^18: caught, the buffer stays empty.
    EXPECT_EQ(Format(ClFixDec("1000000000") * ClFixDec("1000000000")), "");
}

TEST(ClFixDecFormat, LeavesItsArgumentAndSmallBuffersAlone) {
    ClFixDec v("-2.5");
    std::memcpy(v.text, "mine", 5);
    char buffer[8];
    FormatInteger(v, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "-3");
    ExpectParts(v, {2, 5000, -1});
    EXPECT_STREQ(v.text, "mine");

    char untouched[4] = {'X', 'X', 'X', '\0'};
    FormatInteger(v, untouched, 0);
    EXPECT_STREQ(untouched, "XXX");
    FormatInteger(v, nullptr, 8);
    FormatInteger(int64_t{5}, nullptr, 8);
}

}  // namespace
