// GlobalAlloc and its companions over the C heap.

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "compat/testhooks.h"
#include "compat/win32.h"

namespace {

struct Block {
    void* data;
    int locks;
};

// Handles are checked against the live ones, so a stale or made-up handle
// is refused instead of being dereferenced.
std::mutex g_mutex;
std::unordered_map<HGLOBAL, Block> g_blocks;
int g_failuresLeft = 0;

}  // namespace

namespace compat {

void FailNextGlobalAllocs(int count) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_failuresLeft = count > 0 ? count : 0;
}

bool RunningUnderWine() { return false; }

}  // namespace compat

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_failuresLeft > 0) {
        --g_failuresLeft;
        return nullptr;
    }
    // One byte at least, so that every block has an address of its own.
    size_t size = bytes > 0 ? bytes : 1;
    void* data = (flags & GMEM_ZEROINIT) != 0 ? calloc(1, size) : malloc(size);
    if (data == nullptr) return nullptr;
    // The handle is the block's address with the low bit set: code that
    // takes a handle for the data pointer without GlobalLock fails loudly.
    HGLOBAL handle = reinterpret_cast<HGLOBAL>(reinterpret_cast<uintptr_t>(data) | 1);
    g_blocks[handle] = Block{data, 0};
    return handle;
}

void* GlobalLock(HGLOBAL mem) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_blocks.find(mem);
    if (it == g_blocks.end()) return nullptr;
    ++it->second.locks;
    return it->second.data;
}

BOOL GlobalUnlock(HGLOBAL mem) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_blocks.find(mem);
    if (it == g_blocks.end() || it->second.locks == 0) return FALSE;
    --it->second.locks;
    return it->second.locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL mem) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_blocks.find(mem);
    if (it == g_blocks.end()) return mem;
    free(it->second.data);
    g_blocks.erase(it);
    return nullptr;
}
