// A platform home of its own for one test: a fresh temporary folder with
// an empty store, named by BOK_HOME while the object lives.
#pragma once

#include <string>
#include <string_view>

#include "platform/BokAdmin.h"
#include "tests/TestEnvironment.h"

class BokTestHome {
public:
    BokTestHome() {
        m_strHome = test_env::MakeTempFolder("deprlink-bok-");
        test_env::SetVariable("BOK_HOME", m_strHome);
        bok::ResetForTests();
        m_bReady = !m_strHome.empty() && bok::CreateStore(m_strHome, &m_error);
    }
    ~BokTestHome() {
        bok::ResetForTests();
        test_env::SetVariable("BOK_HOME", "");
        test_env::RemoveTree(m_strHome);
    }
    BokTestHome(const BokTestHome&) = delete;
    BokTestHome& operator=(const BokTestHome&) = delete;

    bool IsReady() const { return m_bReady; }
    const std::string& Home() const { return m_strHome; }

    // Imports UTF-8 text in the platform's readable format.
    bool Import(std::u8string_view text) {
        return bok::ImportText(m_strHome, std::string(text.begin(), text.end()), &m_error);
    }
    bool SetFault(const char* pszOperation, long lStatus, long lAtIndex) {
        return bok::SetFault(m_strHome, pszOperation, lStatus, lAtIndex, &m_error);
    }
    // The last refusal, for failure messages.
    std::string Error() const {
        return "line " + std::to_string(m_error.line) + " " + m_error.field + ": " + m_error.message;
    }

private:
    std::string m_strHome;
    bok::AdminError m_error;
    bool m_bReady = false;
};
