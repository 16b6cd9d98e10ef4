// Ini files as GetPrivateProfileStringA reads them.

#include "compat/profile.h"

#include <cstring>
#include <functional>
#include <vector>

#include "compat/mbcs.h"
#include "compat/pathmap.h"
#include "compat/win32.h"

namespace {

struct IniLine {
    bool isSection = false;
    std::string name;  // section name or key
    std::string value;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

// 0x5D can be the trail byte of a double-byte character.
size_t FindCloseBracket(const std::string& line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (IsDbcsByte(line.c_str(), static_cast<int>(i)))
            ++i;
        else if (line[i] == ']')
            return i;
    }
    return std::string::npos;
}

// Calls visit for each section head and key line, in file order; stops
// when visit answers false.
void ScanIni(const std::string& text, const std::function<bool(const IniLine&)>& visit) {
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // UTF-8 mark
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string raw = text.substr(pos, end - pos);
        pos = end + 1;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        IniLine entry;
        if (line[0] == '[') {
            size_t close = FindCloseBracket(line);
            entry.isSection = true;
            entry.name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        } else {
            size_t equals = line.find('=');
            entry.name = Trim(line.substr(0, equals));
            if (equals != std::string::npos) entry.value = Unquote(Trim(line.substr(equals + 1)));
        }
        if (!visit(entry)) return;
    }
}

std::optional<std::string> ReadIniFile(const char* fileName) {
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(fileName);
    if (!resolved) return std::nullopt;
    std::string text;
    if (!compat::ReadHostFile(resolved->host, text)) return std::nullopt;
    return text;
}

// Names as Windows lists them: each one NUL-terminated, the list ended by
// one more NUL; a list that does not fit is cut and ends in two NULs.
DWORD CopyList(const std::vector<std::string>& names, char* out, DWORD size) {
    if (size < 2) {
        if (size == 1) out[0] = '\0';
        return 0;
    }
    DWORD used = 0;
    for (const std::string& name : names) {
        if (used + name.size() + 1 > size - 1) {
            size_t room = size - 2 - used;
            memcpy(out + used, name.data(), room);
            out[size - 2] = '\0';
            out[size - 1] = '\0';
            return size - 2;
        }
        memcpy(out + used, name.c_str(), name.size() + 1);
        used += static_cast<DWORD>(name.size() + 1);
    }
    out[used] = '\0';
    return used;
}

DWORD CopyValue(const std::string& value, char* out, DWORD size) {
    size_t n = value.size() < size - 1 ? value.size() : size - 1;
    memcpy(out, value.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

}  // namespace

namespace compat {

std::optional<std::string> FindProfileValue(const std::string& iniText, const char* section, const char* key) {
    if (section == nullptr || key == nullptr) return std::nullopt;
    std::string wantSection = FoldCase(section);
    std::string wantKey = FoldCase(key);
    bool inSection = false;
    std::optional<std::string> found;
    ScanIni(iniText, [&](const IniLine& line) {
        if (line.isSection) {
            inSection = FoldCase(line.name) == wantSection;
        } else if (inSection && FoldCase(line.name) == wantKey) {
            found = line.value;
            return false;
        }
        return true;
    });
    return found;
}

}  // namespace compat

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* out, DWORD size,
                               const char* fileName) {
    if (out == nullptr || size == 0) return 0;
    std::optional<std::string> text = ReadIniFile(fileName);

    if (section == nullptr || key == nullptr) {
        std::vector<std::string> names;
        if (text) {
            std::string wantSection = section != nullptr ? compat::FoldCase(section) : std::string();
            bool inSection = false;
            ScanIni(*text, [&](const IniLine& line) {
                // Without a section the sections are listed, with one its keys.
                if (section != nullptr && line.isSection)
                    inSection = compat::FoldCase(line.name) == wantSection;
                else if (line.isSection || (section != nullptr && inSection && !line.name.empty()))
                    names.push_back(line.name);
                return true;
            });
        }
        return CopyList(names, out, size);
    }

    std::optional<std::string> value;
    if (text) value = compat::FindProfileValue(*text, section, key);
    if (!value) {
        // Windows drops trailing blanks of the default, too.
        std::string fallback = defaultValue != nullptr ? defaultValue : "";
        while (!fallback.empty() && IsBlank(fallback.back())) fallback.pop_back();
        value = fallback;
    }
    return CopyValue(*value, out, size);
}
