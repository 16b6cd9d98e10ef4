// A platform home with the platform's store, for the tests of the platform
// and of the layers above it.
#pragma once

#include <string>
#include <string_view>

#include "platform/BokAdmin.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

// The platform's singletons are forgotten before and after, so that each
// test opens its own home's store afresh.  The store is created empty
// unless the test makes it itself.
class ScopedPlatformStore : public ScopedPlatformHome {
public:
    enum class Store { kCreate, kNone };

    explicit ScopedPlatformStore(std::string_view name = "deprlink-bok", Store store = Store::kCreate);
    ~ScopedPlatformStore();

    // The store was created (or, with kNone, the home was).
    bool IsReady() const { return m_bReady; }

    // Text in the platform's readable import format (UTF-8).
    bool Import(std::string_view text);
    bool Import(std::u8string_view text) {
        return Import(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    }
    bool SetFault(const std::string& operation, long status, long atIndex = -1);
    // The last refusal, for failure messages.
    std::string Error() const;

private:
    bok::AdminError m_error;
    bool m_bReady = false;
};

}  // namespace testsupport
