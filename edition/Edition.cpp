#include "edition/Edition.h"

const StEdition g_editionStd = {0, "DeprLinkStd", "DeprLinkStd.env", "ミルダン１９"};
const StEdition g_editionPro = {3, "DeprLinkPro", "DeprLinkPro.env", "ミルダン１９ PRO"};

namespace {
// Constant-initialised, so that it holds the standard edition before any
// static constructor of the program could ask.
constinit const StEdition* g_pCurrent = &g_editionStd;
}  // namespace

const StEdition& CurrentEdition() { return *g_pCurrent; }

void SelectEdition(const StEdition& edition) { g_pCurrent = &edition; }

bool LoadStringResource(unsigned id, std::string& text) {
    if (id == IDS_VERSION) {
        text = "19.01.00";
        return true;
    }
    text.clear();
    return false;
}
