// This test program is the PRO build: the edition is chosen before any
// test runs, as DeprLinkPro's main does.
#include "edition/Edition.h"

namespace {
[[maybe_unused]] const bool g_bProSelected = (SelectEdition(g_editionPro), true);
}  // namespace
