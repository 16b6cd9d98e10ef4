#include "decimal/GuaranteeTables.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The statutory listings, life 1 first, ten lives to a row.
const char* const kExpected250[GUARANTEE_TABLE_SIZE] = {
    "0",     "0",     "278.9", "527.4", "624.9", "577.6", "549.6", "511.1", "473.1", "444.8", "412.3", "387.0", "363.3",
    "338.9", "321.7", "306.3", "290.5", "275.7", "261.6", "251.7", "240.8", "229.6", "222.6", "215.7", "205.8", "198.9",
    "190.2", "186.6", "180.3", "176.6", "168.8", "165.5", "158.5", "153.2", "153.2", "149.4", "142.5", "139.3", "137.0",
    "131.7", "130.6", "126.1", "124.8", "121.0", "117.5", "117.5", "115.3", "112.6", "110.2", "107.2", "105.3", "103.6",
    "102.8", "101.5", "100.7", "96.1",  "95.2",  "94.5",  "93.4",  "89.5",  "89.2",  "88.2",  "84.7",  "84.7",  "84.7",
    "82.8",  "82.8",  "81.0",  "80.0",  "77.1",  "77.1",  "75.1",  "75.1",  "73.8",  "73.8",  "72.6",  "72.6",  "71.6",
    "69.3",  "69.3",  "68.3",  "68.3",  "67.3",  "65.3",  "65.3",  "64.5",  "62.7",  "62.7",  "62.0",  "60.3",  "64.9",
    "63.2",  "61.5",  "59.8",  "59.4",  "57.8",  "56.3",  "54.9",  "54.9",  "54.6",  "54.6",
};

const char* const kExpected200[GUARANTEE_TABLE_SIZE] = {
    "0",     "0",     "1108.9", "1249.9", "1080.0", "991.1", "868.0", "790.9", "712.6", "655.2", "599.2", "556.6",
    "518.0", "485.4", "456.5",  "429.4",  "403.8",  "388.4", "369.3", "348.6", "333.5", "318.2", "305.2", "296.9",
    "284.1", "271.6", "262.4",  "256.8",  "246.3",  "236.6", "228.6", "221.6", "216.1", "209.7", "205.1", "197.4",
    "195.0", "188.2", "186.0",  "179.1",  "174.1",  "169.4", "166.4", "166.4", "163.4", "160.1", "153.2", "149.9",
    "147.5", "144.0", "142.2",  "142.2",  "137.0",  "137.0", "133.7", "128.8", "128.1", "128.1", "124.0", "124.0",
    "120.1", "120.1", "116.5",  "116.5",  "113.0",  "113.0", "109.7", "109.7", "106.5", "103.4", "103.4", "100.6",
    "106.3", "103.5", "100.7",  "98.0",   "95.4",   "92.9",  "92.9",  "90.7",  "88.4",  "92.9",  "90.7",  "88.5",
    "86.4",  "88.5",  "86.4",   "84.4",   "86.3",   "84.4",  "82.5",  "80.7",  "79.0",  "80.7",  "79.0",  "77.3",
    "75.7",  "77.3",  "75.7",   "74.2",   "74.2",
};

struct TableCase {
    const char* name;
    const ClFixDec* table;
    const char* const* expected;
};

const TableCase kTables[] = {
    {"250%", GuaranteeTable250, kExpected250},
    {"200%", GuaranteeTable200, kExpected200},
};

bool IsCarriedEntry(const ClFixDec* table, int life) {
    return table == GuaranteeTable200 && (life == 39 || life == 65 || life == 66);
}

TEST(GuaranteeTables, EveryEntryAsListed) {
    for (const TableCase& t : kTables) {
        for (int life = 1; life <= GUARANTEE_TABLE_SIZE; ++life) {
            SCOPED_TRACE(std::string(t.name) + " life " + std::to_string(life));
            const ClFixDec& entry = t.table[life - 1];
            ClFixDec want(t.expected[life - 1]);
            EXPECT_EQ(entry > want, 0);
            EXPECT_EQ(entry < want, 0);
            EXPECT_EQ(entry.sign, 1);
            if (IsCarriedEntry(t.table, life)) {
                EXPECT_EQ(entry.integer, want.integer - 1);
                EXPECT_EQ(entry.fraction, 10000u);
            } else {
                EXPECT_EQ(entry.integer, want.integer);
                EXPECT_EQ(entry.fraction, want.fraction);
            }
        }
    }
}

TEST(GuaranteeTables, ShortLivesHaveNoRateAndLife101RepeatsLife100) {
    for (const TableCase& t : kTables) {
        SCOPED_TRACE(t.name);
        for (int life : {1, 2}) {
            EXPECT_EQ(t.table[life - 1].integer, 0);
            EXPECT_EQ(t.table[life - 1].fraction, 0u);
        }
        EXPECT_EQ(t.table[100].integer, t.table[99].integer);
        EXPECT_EQ(t.table[100].fraction, t.table[99].fraction);
    }
}

TEST(GuaranteeTables, CarriedEntriesHoldTheNextWholeNumber) {
    const struct {
        int life;
        int64_t integer;
        const char* formatted;
    } cases[] = {
        {39, 185, "186"},
        {65, 112, "113"},
        {66, 112, "113"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.life);
        const ClFixDec& entry = GuaranteeTable200[c.life - 1];
        EXPECT_EQ(entry.integer, c.integer);
        EXPECT_EQ(entry.fraction, 10000u);
        ClFixDec whole(int64_t{(c.integer + 1) * 10000});
        EXPECT_EQ(entry > whole, 0);
        EXPECT_EQ(entry < whole, 0);
        char buffer[8];
        FormatInteger(entry, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, c.formatted);
    }
}

TEST(GuaranteeTables, GuaranteeAmountOfAnAsset) {
    // Acquisition value x entry, then / 10000, each step rounded to four
    // decimals: 1,000,000 yen over 39 years at 0.01860.
    ClFixDec amount = ClFixDec("1000000") * GuaranteeTable200[38] / ClFixDec("10000");
    EXPECT_EQ(amount.integer, 18600);
    EXPECT_EQ(amount.fraction, 0u);
    amount = ClFixDec("1234567") * GuaranteeTable250[2] / ClFixDec("10000");
    EXPECT_EQ(amount.integer, 34432);  // 34432.07363 -> 34432.0736
    EXPECT_EQ(amount.fraction, 736u);
}

}  // namespace
