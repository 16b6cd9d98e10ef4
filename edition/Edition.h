// What the program is: its title, its own version text, and what differs
// between its two builds, the standard and the PRO edition.
//
// Both builds link the same libraries; a program says which one it is with
// SelectEdition before it does anything else, and the layers below read the
// choice with CurrentEdition.
#pragma once

#include <string>

// The title of every message box and the platform connection's
// application title.
inline constexpr char kAppTitle[] = "所得税(減価償却)";

struct StEdition {
    int nAppType;                       // ClSysEnvMgr::_AppType: 0 standard, 3 PRO
    const char* pszProgramName;         // "DeprLinkStd" / "DeprLinkPro"
    const char* pszEnvFileName;         // the remembered-path file
    const char* pszDefaultProductName;  // PROGRAMNAME without a support-info file
};

extern const StEdition g_editionStd;
extern const StEdition g_editionPro;

// The standard edition until SelectEdition names another.
const StEdition& CurrentEdition();
void SelectEdition(const StEdition& edition);

// The program's string resources; false for an id it does not have.
constexpr unsigned IDS_VERSION = 1;  // the program's own version text
bool LoadStringResource(unsigned id, std::string& text);
