#include "tests/support/PlatformStore.h"

namespace testsupport {

ScopedPlatformStore::ScopedPlatformStore(std::string_view name, Store store) : ScopedPlatformHome(name) {
    bok::ResetForTests();
    m_bReady = Ok() && (store == Store::kNone || bok::CreateStore(Path(), &m_error));
}

ScopedPlatformStore::~ScopedPlatformStore() { bok::ResetForTests(); }

bool ScopedPlatformStore::Import(std::string_view text) { return bok::ImportText(Path(), std::string(text), &m_error); }

bool ScopedPlatformStore::SetFault(const std::string& operation, long status, long atIndex) {
    return bok::SetFault(Path(), operation, status, atIndex, &m_error);
}

std::string ScopedPlatformStore::Error() const {
    return "line " + std::to_string(m_error.line) + " " + m_error.field + ": " + m_error.message;
}

}  // namespace testsupport
