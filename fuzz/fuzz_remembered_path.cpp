// The remembered-path file parser: any file content is read without
// writing past the 261-byte path buffer (which ends at a guard page); the
// entry found is the first line that starts with the key, its path the
// text after the value's third "/" cut on a whole character; and a save
// afterwards keeps every other line byte for byte.

#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "compat/drives.h"
#include "compat/mbcs.h"
#include "platform/BokAdmin.h"
#include "ui/ConditionsDlg.h"

namespace {

const char kKey[] = "u/1/1:";
const char kSavedPath[] = "C:\\OUT\\x.xml";

size_t FindEntry(const std::string& content) {
    for (size_t line = 0; line < content.size();) {
        if (content.compare(line, sizeof kKey - 1, kKey) == 0) return line;
        const size_t lf = content.find('\n', line);
        if (lf == std::string::npos) break;
        line = lf + 1;
    }
    return std::string::npos;
}

}  // namespace

void fuzz::FuzzOne(const std::string& testCase) {
    const std::string content = testCase.substr(0, 1 << 16);
    const std::string home = fuzz::Home("remembered_path");
    const std::string envFile = home + "/drive_c/ENV/DeprLinkStd.env";
    // Made once, by the first case; the mark comes last, so that a case
    // stopped half way through leaves the next one to start again.
    if (!fuzz::Exists(home + "/ready")) {
        std::remove((home + "/bok.db").c_str());
        mkdir((home + "/drive_c").c_str(), 0755);
        mkdir((home + "/drive_c/ENV").c_str(), 0755);
        fuzz::WriteFile(home + "/drives.conf", "C: fixed drive_c\n");
        bok::AdminError error;
        if (!bok::CreateStore(home, &error) ||
            !bok::ImportText(home, "[folder]\ntype = 1\npath = C:\\ENV\\\n[user]\nid = u\nfirst = 1\nselected = 1\n",
                             &error))
            fuzz::Broken(error.message.c_str(), __FILE__, __LINE__);
        fuzz::WriteFile(home + "/ready", "");
    }
    compat::ReloadDriveTable();
    fuzz::WriteFile(envFile, content);
    std::remove((envFile + ".tmp").c_str());

    StDATAINFO info{};
    CConditionsDlg dialog(nullptr, &info, nullptr);
    short category = -1;
    int reservedA = -1, reservedB = -1;
    const fuzz::GuardedBuffer path(MAX_PATH + 1);
    const BOOL found = dialog.LoadRememberedPath(&category, path.Data(), &reservedA, &reservedB);
    const size_t length = strnlen(path.Data(), path.Size());
    FUZZ_CHECK(length < path.Size());

    const size_t entry = FindEntry(content);
    std::string value;
    if (entry != std::string::npos) {
        const size_t start = entry + sizeof kKey - 1;
        const size_t lf = content.find('\n', start);
        value = content.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
    }
    size_t slash = std::string::npos;
    int slashes = 0;
    for (size_t i = 0; i < value.size() && slashes < 3; ++i)
        if (value[i] == '/' && ++slashes == 3) slash = i;
    FUZZ_CHECK((found != FALSE) == (entry != std::string::npos && slashes == 3));
    if (found) {
        const std::string rest = fuzz::UpToNul(value.substr(slash + 1));
        const std::string got(path.Data(), length);
        FUZZ_CHECK(rest.compare(0, got.size(), got) == 0);
        // Cut only where the buffer ends, and then never inside a character;
        // or short of a lead byte that ends the path without its trail byte.
        if (got.size() < rest.size()) {
            const unsigned char* bytes = reinterpret_cast<const unsigned char*>(rest.c_str());
            const bool danglingLead = got.size() + 1 == rest.size() && _mbsbtype(bytes, got.size()) == _MBC_LEAD;
            FUZZ_CHECK(danglingLead || got.size() >= MAX_PATH - 1);
            FUZZ_CHECK(!_ismbstrail(bytes, bytes + got.size()));
        }
        FUZZ_CHECK(category ==
                   static_cast<short>(std::atoi(value.substr(value.find('/', value.find('/') + 1) + 1).c_str())));
    } else {
        FUZZ_CHECK(length == 0 && category == 0 && reservedA == 0 && reservedB == 0);
    }

    // The entry moves to the end; everything else stays as it was.
    std::string expected = content;
    if (entry != std::string::npos) {
        const size_t lf = expected.find('\n', entry);
        expected.erase(entry, lf == std::string::npos ? std::string::npos : lf - entry + 1);
    }
    if (!expected.empty() && expected.back() != '\n') expected += '\n';
    expected += std::string(kKey) + "0/0/2/" + kSavedPath + "\n";
    FUZZ_CHECK(dialog.SaveRememberedPath(2, kSavedPath, 0, 0) == TRUE);
    FUZZ_CHECK(fuzz::ReadFile(envFile) == expected);
}
