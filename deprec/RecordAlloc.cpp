#include "deprec/RecordAlloc.h"

#include "deprec/ClGenkashokyakuProc.h"

namespace {

// Allocations left before the injected failure; -1 when none is injected.
long g_nAllocsBeforeFailure = -1;

}  // namespace

void SetRecordAllocFailureForTests(long nIndex) { g_nAllocsBeforeFailure = nIndex; }

bool RecordAllocAllowed() {
    if (g_nAllocsBeforeFailure < 0) return true;
    if (g_nAllocsBeforeFailure == 0) return false;
    --g_nAllocsBeforeFailure;
    return true;
}
