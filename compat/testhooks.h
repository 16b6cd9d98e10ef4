// Switches that let tests reach failure paths the host would not produce.
#pragma once

namespace compat {

// The next count calls of GlobalAlloc fail as on exhausted memory (0 turns
// the failures off again).
void FailNextGlobalAllocs(int count);

// True for a Windows program that runs under Wine, where some Windows calls
// answer differently (the tests say where); false elsewhere.
bool RunningUnderWine();

}  // namespace compat
