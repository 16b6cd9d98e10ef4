// What differs between the two builds of the program.  Each program links
// one of the two edition libraries made from Edition.cpp.
#pragma once

#include <string>

struct StEdition {
    int nAppType;                       // ClSysEnvMgr::_AppType: 0 standard, 3 PRO
    const char* pszProgramName;         // "DeprLinkStd" / "DeprLinkPro"
    const char* pszEnvFileName;         // the remembered-path file
    const char* pszDefaultProductName;  // PROGRAMNAME without a support-info file
};

const StEdition& CurrentEdition();

// The program's string resources; false for an id it does not have.
constexpr unsigned IDS_VERSION = 1;  // the program's own version text
bool LoadStringResource(unsigned id, std::string& text);
