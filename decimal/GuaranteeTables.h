// Statutory guarantee rates x 10000, by useful life: element n - 1 is life n.
//
// The rates have five decimals, so an entry holds 0.02789 as 278.9: callers
// multiply by the entry and then divide by 10000.  Lives 1 and 2 hold 0.
// There is no entry beyond life 101; callers check the life before a lookup.
// Built before main by start-up initialisers and only read afterwards.
#pragma once

#include "decimal/ClFixDec.h"

constexpr int GUARANTEE_TABLE_SIZE = 101;
extern ClFixDec GuaranteeTable250[GUARANTEE_TABLE_SIZE];
extern ClFixDec GuaranteeTable200[GUARANTEE_TABLE_SIZE];
