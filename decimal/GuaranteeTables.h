// Statutory guarantee rates x 10000, by useful life: element n - 1 is life n.
#pragma once

#include "decimal/ClFixDec.h"

constexpr int GUARANTEE_TABLE_SIZE = 101;
extern ClFixDec GuaranteeTable250[GUARANTEE_TABLE_SIZE];
extern ClFixDec GuaranteeTable200[GUARANTEE_TABLE_SIZE];
