// Temporary folders and environment variables for the tests, the same on
// Linux and on Windows: folders through std::filesystem (UTF-8 names),
// variables through putenv, which both runtimes have and which Windows'
// runtime passes on to the process's own environment.
#pragma once

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <system_error>

namespace test_env {

// UTF-8 name of a path.
inline std::string Utf8(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

inline std::filesystem::path FromUtf8(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// A new folder under the temporary folder, named prefix and a random part;
// empty when none can be made.
inline std::string MakeTempFolder(const char* prefix) {
    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error) return std::string();
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path folder = temp / (std::string(prefix) + std::to_string(random() % 1000000000000ULL));
        if (std::filesystem::create_directory(folder, error)) return Utf8(folder);
    }
    return std::string();
}

inline void RemoveTree(const std::string& folder) {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(FromUtf8(folder), ignored);
}

// Sets a variable; an empty value is how the programs' readers of BOK_HOME
// and TMPDIR take an unset one, and it is what unsets it on Windows.  The
// strings putenv keeps are kept here until they are replaced.
inline void SetVariable(const char* name, const std::string& value) {
    static std::map<std::string, std::unique_ptr<char[]>> kept;
    const std::string entry = std::string(name) + "=" + value;
    std::unique_ptr<char[]> text(new char[entry.size() + 1]);
    std::memcpy(text.get(), entry.c_str(), entry.size() + 1);
    putenv(text.get());
    kept[name] = std::move(text);
}

}  // namespace test_env
