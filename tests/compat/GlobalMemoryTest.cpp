// GlobalAlloc and its companions, and the hook that makes them fail.

#include <gtest/gtest.h>

#include "compat/testhooks.h"
#include "compat/win32.h"

namespace {

TEST(GlobalMemory, ZeroInitLockAndFree) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 30000);
    ASSERT_NE(mem, nullptr);
    unsigned char* data = static_cast<unsigned char*>(GlobalLock(mem));
    ASSERT_NE(data, nullptr);
    for (int i = 0; i < 30000; ++i) ASSERT_EQ(data[i], 0) << i;
    EXPECT_EQ(GlobalLock(mem), data);
    EXPECT_TRUE(GlobalUnlock(mem));   // still locked once
    EXPECT_FALSE(GlobalUnlock(mem));  // now unlocked
    EXPECT_FALSE(GlobalUnlock(mem));
    EXPECT_EQ(GlobalFree(mem), nullptr);
    // A freed handle is refused, not dereferenced.
    EXPECT_EQ(GlobalLock(mem), nullptr);
    EXPECT_EQ(GlobalFree(mem), mem);
}

TEST(GlobalMemory, HookFailsTheNextAllocations) {
    compat::FailNextGlobalAllocs(2);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 16), nullptr);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 16), nullptr);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 16);
    EXPECT_NE(mem, nullptr);
    GlobalFree(mem);

    compat::FailNextGlobalAllocs(5);
    compat::FailNextGlobalAllocs(0);
    mem = GlobalAlloc(GMEM_MOVEABLE, 16);
    EXPECT_NE(mem, nullptr);
    GlobalFree(mem);
}

}  // namespace
