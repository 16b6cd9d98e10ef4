// A platform home of its own for each test (tests/support), whose store
// the test makes; a refused import or fault fails the test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/TestEnvironment.h"
#include "tests/support/PlatformStore.h"

class TestHome : public testsupport::ScopedPlatformStore {
public:
    TestHome() : ScopedPlatformStore("bokhome", Store::kNone) { EXPECT_TRUE(IsReady()); }

    void Import(const std::string& text) { ASSERT_TRUE(ScopedPlatformStore::Import(text)) << Error(); }
    void Fault(const std::string& operation, long status, long atIndex = -1) {
        ASSERT_TRUE(SetFault(operation, status, atIndex)) << Error();
    }
};

// A data set, a signed-in user who selected it, and nothing else.
inline const char* const kOneDataSet = R"(
[data]
id = D1
number = 1
name = Shop
period = 20240101 20241231
[user]
id = tanaka
selected = 1
)";
