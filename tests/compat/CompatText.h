// Text helpers of the compat tests.
#pragma once

#include <string>

namespace compat_test {

// UTF-8 text of a u8 literal (narrow literals are code page 932 here).
inline std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

}  // namespace compat_test
