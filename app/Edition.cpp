#include "app/Edition.h"

namespace {
#if defined(DEPRLINK_EDITION_PRO)
const StEdition g_edition = {3, "DeprLinkPro", "DeprLinkPro.env", "ミルダン１９ PRO"};
#else
const StEdition g_edition = {0, "DeprLinkStd", "DeprLinkStd.env", "ミルダン１９"};
#endif
}  // namespace

const StEdition& CurrentEdition() { return g_edition; }

bool LoadStringResource(unsigned id, std::string& text) {
    if (id == IDS_VERSION) {
        text = "19.01.00";
        return true;
    }
    text.clear();
    return false;
}
