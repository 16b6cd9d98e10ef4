#pragma once
// GetPrivateProfileStringA is declared in win32.h; this header exists for
// the ini parser shared with the platform's tools.
#include <optional>
#include <string>
namespace compat {
// The value of key in [section] of ini text (cp932 bytes), as
// GetPrivateProfileStringA finds it; nullopt when absent.
std::optional<std::string> FindProfileValue(const std::string& iniText, const char* section, const char* key);
}  // namespace compat
