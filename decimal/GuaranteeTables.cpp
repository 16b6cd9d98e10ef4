#include "decimal/GuaranteeTables.h"

// Each entry goes through the double constructor, which rounds at the fifth
// decimal without carrying.  The 200% entries of lives 39, 65 and 66 are
// written as the double just below the whole number, so that they hold
// integer 185 or 112 with fraction 10000.  Every operation reads that as the
// next whole number, 186 or 113, and the figures computed from these entries
// depend on exactly this state (Round in mode 2 keeps such a fraction).
//
// 185.99999999999997 is the double 186 - 2^-45; 112.99999999999999 is the
// double 113 - 2^-46.
constexpr double kJustBelow186 = 185.99999999999997;
constexpr double kJustBelow113 = 112.99999999999999;
static_assert(kJustBelow186 < 186.0 && kJustBelow186 > 185.9999);
static_assert(kJustBelow113 < 113.0 && kJustBelow113 > 112.9999);

// Element n - 1 is useful life n; lives 1 and 2 have no guarantee rate.
//
// The priority builds both tables before the static objects of every other
// file, whatever the link order, so a start-up initialiser elsewhere may
// already read them.
#define DEPRLINK_EARLY_INIT __attribute__((init_priority(1000)))

DEPRLINK_EARLY_INIT ClFixDec GuaranteeTable250[GUARANTEE_TABLE_SIZE] = {
    0.0,   0.0,   278.9, 527.4, 624.9, 577.6, 549.6, 511.1, 473.1, 444.8,  // 1-10
    412.3, 387.0, 363.3, 338.9, 321.7, 306.3, 290.5, 275.7, 261.6, 251.7,  // 11-20
    240.8, 229.6, 222.6, 215.7, 205.8, 198.9, 190.2, 186.6, 180.3, 176.6,  // 21-30
    168.8, 165.5, 158.5, 153.2, 153.2, 149.4, 142.5, 139.3, 137.0, 131.7,  // 31-40
    130.6, 126.1, 124.8, 121.0, 117.5, 117.5, 115.3, 112.6, 110.2, 107.2,  // 41-50
    105.3, 103.6, 102.8, 101.5, 100.7, 96.1,  95.2,  94.5,  93.4,  89.5,   // 51-60
    89.2,  88.2,  84.7,  84.7,  84.7,  82.8,  82.8,  81.0,  80.0,  77.1,   // 61-70
    77.1,  75.1,  75.1,  73.8,  73.8,  72.6,  72.6,  71.6,  69.3,  69.3,   // 71-80
    68.3,  68.3,  67.3,  65.3,  65.3,  64.5,  62.7,  62.7,  62.0,  60.3,   // 81-90
    64.9,  63.2,  61.5,  59.8,  59.4,  57.8,  56.3,  54.9,  54.9,  54.6,   // 91-100
    54.6,                                                                  // 101
};

DEPRLINK_EARLY_INIT ClFixDec GuaranteeTable200[GUARANTEE_TABLE_SIZE] = {
    0.0,   0.0,   1108.9, 1249.9, 1080.0,        991.1,         868.0, 790.9, 712.6,         655.2,  // 1-10
    599.2, 556.6, 518.0,  485.4,  456.5,         429.4,         403.8, 388.4, 369.3,         348.6,  // 11-20
    333.5, 318.2, 305.2,  296.9,  284.1,         271.6,         262.4, 256.8, 246.3,         236.6,  // 21-30
    228.6, 221.6, 216.1,  209.7,  205.1,         197.4,         195.0, 188.2, kJustBelow186, 179.1,  // 31-40
    174.1, 169.4, 166.4,  166.4,  163.4,         160.1,         153.2, 149.9, 147.5,         144.0,  // 41-50
    142.2, 142.2, 137.0,  137.0,  133.7,         128.8,         128.1, 128.1, 124.0,         124.0,  // 51-60
    120.1, 120.1, 116.5,  116.5,  kJustBelow113, kJustBelow113, 109.7, 109.7, 106.5,         103.4,  // 61-70
    103.4, 100.6, 106.3,  103.5,  100.7,         98.0,          95.4,  92.9,  92.9,          90.7,   // 71-80
    88.4,  92.9,  90.7,   88.5,   86.4,          88.5,          86.4,  84.4,  86.3,          84.4,   // 81-90
    82.5,  80.7,  79.0,   80.7,   79.0,          77.3,          75.7,  77.3,  75.7,          74.2,   // 91-100
    74.2,                                                                                            // 101
};
