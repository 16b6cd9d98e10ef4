// The readable import format: sections of "key = value" lines, UTF-8.
//
// The whole file is parsed first (sections and keys), then every section
// is checked and written inside one transaction, so that a refusal at any
// line leaves the store as it was.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "compat/mbcs.h"
#include "platform/AssetColumns.h"
#include "platform/BokAdmin.h"
#include "platform/Store.h"
#include "platform/records.h"

using bok::detail::AssetColumn;
using bok::detail::AssetColumnList;
using bok::detail::AssetIntHigh;
using bok::detail::AssetIntLow;
using bok::detail::AssetTextMax;
using bok::detail::AssetType;
using bok::detail::kAssetColumnCount;
using bok::detail::kAssetColumns;
using bok::detail::Statement;

namespace bok {
namespace {

// Longest cp932 texts that fit their record fields with a terminator.  The
// quantity is a fixed nine-byte field that needs none.
constexpr size_t kMaxDataId = sizeof StDATAINFO::szDataID - 1;
constexpr size_t kMaxDataName = sizeof StDATAINFO::szJigyoName - 1;
constexpr size_t kMaxUserId = 64;
constexpr size_t kMaxEraName = sizeof StGENGOINFO::szName - 1;
constexpr size_t kMaxFolderPath = 260;

constexpr int64_t kInt16Min = -32768, kInt16Max = 32767;
constexpr int64_t kInt32Min = -2147483648LL, kInt32Max = 2147483647LL;

struct SectionKind {
    const char* name;
    std::vector<const char*> keys;
};

// An asset's keys: its data set and code, then its columns.
std::vector<const char*> AssetKeys() {
    std::vector<const char*> keys = {"data", "code"};
    for (const AssetColumn& column : kAssetColumns) keys.push_back(column.pszName);
    return keys;
}

const SectionKind kSections[] = {
    {"data", {"id", "number", "name", "period", "genka", "kind", "business", "fraction"}},
    {"user", {"id", "first", "selected", "current"}},
    {"era", {"start", "name", "number"}},
    {"folder", {"type", "path"}},
    {"asset", AssetKeys()},
};

struct Field {
    std::string key;
    std::string value;
    int line;
};

struct Section {
    const SectionKind* kind;
    int line;
    std::vector<Field> fields;

    const Field* Find(const char* key) const {
        for (const Field& field : fields)
            if (field.key == key) return &field;
        return nullptr;
    }
};

// The length of the UTF-8 sequence at text[i] with its code point in
// *code, or 0 where none starts there: a lead byte without its
// continuation bytes, an overlong form, a surrogate or a code point beyond
// U+10FFFF.
size_t Utf8Sequence(const std::string& text, size_t i, uint32_t* code) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    if (c < 0x80) {
        length = 1;
        *code = c;
    } else if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        *code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        *code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        *code = c & 0x07;
    }
    if (length == 0 || i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        *code = *code << 6 | (next & 0x3F);
    }
    if (length == 3 && (*code < 0x800 || (*code >= 0xD800 && *code <= 0xDFFF))) return 0;
    if (length == 4 && (*code < 0x10000 || *code > 0x10FFFF)) return 0;
    return length;
}

// The text as a message may show it: valid UTF-8 stays as it is, while
// control characters (NUL included) and bytes that are no UTF-8 appear as
// \xNN escapes, so that a message is never cut short or garbles the
// terminal that prints it.
std::string Shown(const std::string& text) {
    std::string shown;
    char escape[16];
    for (size_t i = 0; i < text.size();) {
        uint32_t code = 0;
        const size_t length = Utf8Sequence(text, i, &code);
        if (length == 0) {
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[i]));
            shown += escape;
            ++i;
        } else if (code < 0x20 || code == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(code));
            shown += escape;
            ++i;
        } else if (code >= 0x80 && code <= 0x9F) {
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(code));
            shown += escape;
            i += length;
        } else {
            shown.append(text, i, length);
            i += length;
        }
    }
    return shown;
}

// The pieces of the message come from the input as it was read; they are
// shown escaped where they hold what a message cannot carry.
bool Refuse(AdminError* error, int line, const std::string& field, const std::string& what) {
    if (error != nullptr) {
        error->line = line;
        error->field = Shown(field);
        std::string message = line > 0 ? "line " + std::to_string(line) + ": " : std::string();
        if (!field.empty()) message += "field \"" + error->field + "\": ";
        error->message = message + Shown(what);
    }
    return false;
}

// The first control character of a text (U+0000..U+001F, tab included, and
// U+007F), or -1.  No byte of a UTF-8 multibyte sequence lies in that range.
int FirstControl(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return c;
    return -1;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

const SectionKind* FindSectionKind(const std::string& name) {
    for (const SectionKind& kind : kSections)
        if (name == kind.name) return &kind;
    return nullptr;
}

// The next line of text from *at, without its end: LF, CR LF, or a CR on
// its own (as old editors end lines), so that no line end is ever taken
// for part of a line.  False at the end of the text.
bool NextLine(const std::string& text, size_t* at, std::string* line) {
    if (*at >= text.size()) return false;
    const size_t end = text.find_first_of("\r\n", *at);
    if (end == std::string::npos) {
        line->assign(text, *at, std::string::npos);
        *at = text.size();
        return true;
    }
    line->assign(text, *at, end - *at);
    *at = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    return true;
}

// A line "[name]" opens a section of a known kind.
bool ParseSectionHeader(const std::string& line, int lineNo, std::vector<Section>* sections, AdminError* error) {
    if (line.back() != ']') return Refuse(error, lineNo, "", "a section header must end in \"]\"");
    const std::string name = Trim(line.substr(1, line.size() - 2));
    const SectionKind* kind = FindSectionKind(name);
    if (kind == nullptr)
        return Refuse(error, lineNo, "", "unknown section [" + name + "] (known: data, user, era, folder, asset)");
    sections->push_back(Section{kind, lineNo, {}});
    return true;
}

// A line "key = value" gives the open section one of its keys, once.
bool ParseField(const std::string& line, int lineNo, std::vector<Section>* sections, AdminError* error) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return Refuse(error, lineNo, "", "expected \"key = value\"");
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = Trim(line.substr(equals + 1));
    if (sections->empty()) return Refuse(error, lineNo, key, "a key outside any section");
    Section& section = sections->back();
    bool known = false;
    for (const char* candidate : section.kind->keys) known = known || key == candidate;
    if (!known) return Refuse(error, lineNo, key, std::string("unknown key in [") + section.kind->name + "]");
    if (section.Find(key.c_str()) != nullptr) return Refuse(error, lineNo, key, "given twice in one section");
    section.fields.push_back(Field{key, value, lineNo});
    return true;
}

bool Parse(const std::string& text, std::vector<Section>* sections, AdminError* error) {
    std::string raw;
    size_t at = 0;
    int lineNo = 0;
    while (NextLine(text, &at, &raw)) {
        ++lineNo;
        if (lineNo == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const bool parsed = line[0] == '[' ? ParseSectionHeader(line, lineNo, sections, error)
                                           : ParseField(line, lineNo, sections, error);
        if (!parsed) return false;
    }
    // A file of comments and blanks (or one whose lines the reader could
    // not tell apart) must not pass for a successful import.
    if (sections->empty())
        return Refuse(error, 0, "",
                      "the file defines nothing: it has no [data], [user], [era], [folder] or [asset] section");
    return true;
}

// Numbers -------------------------------------------------------------------

bool ParseInteger(const std::string& text, int64_t* out) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    __int128 value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<__int128>(INT64_MAX) + 1) return false;
    }
    if (negative) value = -value;
    if (value > INT64_MAX || value < INT64_MIN) return false;
    *out = static_cast<int64_t>(value);
    return true;
}

// Decimal yen with up to four decimals, as a count of ten-thousandths.
bool ParseAmount(const std::string& text, int64_t* out) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    __int128 value = 0;
    int wholeDigits = 0, fractionDigits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++wholeDigits) {
        value = value * 10 + (text[i] - '0');
        if (value > INT64_MAX) return false;
    }
    if (wholeDigits == 0) return false;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (++fractionDigits > 4) return false;
            value = value * 10 + (text[i] - '0');
        }
        if (fractionDigits == 0) return false;
    }
    if (i != text.size()) return false;
    for (int pad = fractionDigits; pad < 4; ++pad) value *= 10;
    if (negative) value = -value;
    if (value > INT64_MAX || value < INT64_MIN) return false;
    *out = static_cast<int64_t>(value);
    return true;
}

bool IsCalendarDate(int64_t date) {
    if (date < 10101 || date > 99991231) return false;
    const int64_t year = date / 10000, month = date / 100 % 100, day = date % 100;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

// Fields of one section, each checked against its type; the first problem
// is kept in the AdminError and every later read fails at once.
class FieldReader {
public:
    FieldReader(const Section& section, AdminError* error) : m_section(section), m_pError(error) {}
    bool Failed() const { return m_bFailed; }

    bool Has(const char* key) const { return m_section.Find(key) != nullptr; }

    int64_t Integer(const char* key, int64_t low, int64_t high, const int64_t* fallback) {
        const Field* field = Lookup(key, fallback == nullptr);
        if (field == nullptr) return fallback != nullptr ? *fallback : 0;
        int64_t value = 0;
        if (!ParseInteger(field->value, &value)) return Fail(field, "\"" + field->value + "\" is not a whole number");
        if (value < low || value > high)
            return Fail(field,
                        field->value + " is out of range (" + std::to_string(low) + ".." + std::to_string(high) + ")");
        return value;
    }
    int64_t Required(const char* key, int64_t low, int64_t high) { return Integer(key, low, high, nullptr); }
    int64_t Optional(const char* key, int64_t low, int64_t high, int64_t fallback) {
        return Integer(key, low, high, &fallback);
    }

    // YYYYMMDD; an optional date may also be 0 (none).
    int64_t Date(const char* key, bool required) {
        const Field* field = Lookup(key, required);
        if (field == nullptr) return 0;
        int64_t value = 0;
        if (!ParseDate(field->value, !required, &value))
            return Fail(field, "\"" + field->value + "\" is not a date YYYYMMDD");
        return value;
    }

    void Period(const char* key, int64_t* from, int64_t* to) {
        *from = *to = 0;
        const Field* field = Lookup(key, true);
        if (field == nullptr) return;
        std::istringstream words(field->value);
        std::string first, last, extra;
        words >> first >> last >> extra;
        if (!extra.empty() || !ParseDate(first, false, from) || !ParseDate(last, false, to)) {
            Fail(field, "\"" + field->value + "\" is not a period FROM TO (YYYYMMDD YYYYMMDD)");
        } else if (*from > *to) {
            Fail(field, "the period ends before it starts");
        }
    }

    int64_t Amount(const char* key) {
        const Field* field = Lookup(key, false);
        if (field == nullptr) return 0;
        int64_t value = 0;
        if (!ParseAmount(field->value, &value))
            return Fail(field, "\"" + field->value + "\" is not an amount (decimal yen, up to four decimals)");
        return value;
    }
    int64_t RequiredAmount(const char* key) {
        if (Lookup(key, true) == nullptr) return 0;
        return Amount(key);
    }

    bool YesNo(const char* key, bool fallback) {
        const Field* field = Lookup(key, false);
        if (field == nullptr) return fallback;
        if (field->value == "yes") return true;
        if (field->value == "no") return false;
        Fail(field, "\"" + field->value + "\" is neither yes nor no");
        return false;
    }

    // The value in cp932; refused when it does not convert or does not fit
    // maxBytes.  A required text must not be empty.
    std::string Text(const char* key, size_t maxBytes, bool required) {
        const Field* field = Lookup(key, required);
        if (field == nullptr) return {};
        if (required && field->value.empty()) {
            Fail(field, "must not be empty");
            return {};
        }
        // A control byte would reach the records and the report, and a NUL
        // would end the text early, so that one ID could read as another.
        const int control = FirstControl(field->value);
        if (control >= 0) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(control));
            Fail(field, "\"" + field->value + "\" holds the control character " + code +
                            "; texts may hold no control characters, tabs included");
            return {};
        }
        bool ok = false;
        std::string converted = compat::Utf8ToSjis(field->value, &ok);
        if (!ok) {
            Fail(field, "\"" + field->value + "\" has characters that code page 932 cannot hold");
            return {};
        }
        if (converted.size() > maxBytes) {
            Fail(field, "the text takes " + std::to_string(converted.size()) + " bytes in code page 932; at most " +
                            std::to_string(maxBytes) + " fit");
            return {};
        }
        return converted;
    }

    const Field* Lookup(const char* key, bool required) {
        if (m_bFailed) return nullptr;
        const Field* field = m_section.Find(key);
        if (field == nullptr && required) {
            m_bFailed = true;
            Refuse(m_pError, m_section.line, key,
                   std::string("[") + m_section.kind->name + "] lacks this required field");
        }
        return field;
    }

    int64_t Fail(const Field* field, const std::string& what) {
        if (!m_bFailed) Refuse(m_pError, field->line, field->key, what);
        m_bFailed = true;
        return 0;
    }

private:
    static bool ParseDate(const std::string& text, bool allowZero, int64_t* out) {
        int64_t value = 0;
        if (!ParseInteger(text, &value)) return false;
        if (!(allowZero && value == 0) && !IsCalendarDate(value)) return false;
        *out = value;
        return true;
    }

    const Section& m_section;
    AdminError* m_pError;
    bool m_bFailed = false;
};

// The value of an asset column that is no text, checked as its type and
// field allow.
int64_t ReadNumber(FieldReader& read, const AssetColumn& column) {
    const char* key = column.pszName;
    switch (column.eType) {
    case AssetType::Int:
        if (column.bRequired) return read.Required(key, AssetIntLow(column), AssetIntHigh(column));
        return read.Optional(key, AssetIntLow(column), AssetIntHigh(column), column.llDefault);
    case AssetType::Date:
        return read.Date(key, column.bRequired);
    case AssetType::Amount:
        return column.bRequired ? read.RequiredAmount(key) : read.Amount(key);
    case AssetType::Text:
        break;
    }
    return 0;
}

// The type and default of an asset column as the README's table gives them.
void DescribeColumn(const AssetColumn& column, std::string* type, std::string* fallback) {
    *fallback = column.bRequired ? "required" : "0";
    switch (column.eType) {
    case AssetType::Int:
        if (!column.bSigned)
            *type = "int 0.." + std::to_string(AssetIntHigh(column));
        else
            *type = column.nSize == 2 ? "int (16-bit)" : "int";
        if (!column.bRequired) *fallback = std::to_string(column.llDefault);
        break;
    case AssetType::Date:
        *type = column.bRequired ? "date" : "date or 0";
        break;
    case AssetType::Amount:
        *type = "amount";
        break;
    case AssetType::Text:
        *type = std::string("text, ") + (column.bRequired ? "1" : "0") + ".." + std::to_string(AssetTextMax(column)) +
                " bytes";
        if (!column.bRequired) *fallback = "empty";
        break;
    }
}

// A folder path as the platform hands it out: ending in a separator.  A
// final 0x5C that is the trail byte of a double-byte character is not one.
std::string WithFinalSeparator(const std::string& path) {
    size_t i = 0;
    bool endsInSeparator = false;
    while (i < path.size()) {
        if (_ismbblead(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            endsInSeparator = false;
            i += 2;
        } else {
            endsInSeparator = path[i] == '\\';
            ++i;
        }
    }
    return endsInSeparator ? path : path + "\\";
}

class Importer {
public:
    Importer(sqlite3* db, AdminError* error) : m_pDb(db), m_pError(error) {}

    static bool IsData(const Section& section) { return std::strcmp(section.kind->name, "data") == 0; }

    // Data sets are written before everything else, so that an asset may
    // name one that the file defines further down.
    bool ApplyDataSets(const std::vector<Section>& sections) {
        m_dataIds.assign(sections.size(), std::string());
        for (size_t i = 0; i < sections.size(); ++i)
            if (IsData(sections[i]) && !ApplyData(sections[i], &m_dataIds[i])) return false;
        return true;
    }

    // Then the other sections in file order; passing a [data] again makes
    // it the default of the assets below it.
    bool ApplyRest(const std::vector<Section>& sections) {
        for (size_t i = 0; i < sections.size(); ++i) {
            if (IsData(sections[i])) {
                m_strLastDataId = m_dataIds[i];
                continue;
            }
            if (!Apply(sections[i])) return false;
        }
        return true;
    }

private:
    bool Apply(const Section& section) {
        const std::string name = section.kind->name;
        if (name == "user") return ApplyUser(section);
        if (name == "era") return ApplyEra(section);
        if (name == "folder") return ApplyFolder(section);
        return ApplyAsset(section);
    }

    bool StoreFailed(const Section& section) {
        return Refuse(m_pError, section.line, "",
                      std::string("the store refused the section: ") + sqlite3_errmsg(m_pDb));
    }

    bool Run(Statement& statement, const Section& section) {
        const int step = statement.Step();
        statement.Reset();
        if (step != SQLITE_DONE) return StoreFailed(section);
        return true;
    }

    bool ApplyData(const Section& section, std::string* appliedId) {
        FieldReader read(section, m_pError);
        const std::string id = read.Text("id", kMaxDataId, true);
        const int64_t number = read.Required("number", kInt32Min, kInt32Max);
        const std::string dataName = read.Text("name", kMaxDataName, true);
        int64_t from = 0, to = 0;
        read.Period("period", &from, &to);
        const int64_t genka = read.Optional("genka", kInt32Min, kInt32Max, 0);
        const int64_t kind = read.Optional("kind", kInt16Min, kInt16Max, 0);
        const int64_t business = read.Optional("business", 0, 255, 3);
        const int64_t fraction = read.Optional("fraction", 0, 255, 0);
        if (read.Failed()) return false;

        // A data set read again replaces the old one with all its assets.
        Statement drop(m_pDb, "DELETE FROM assets WHERE data_id = ?1");
        drop.Bind(1, id);
        if (!Run(drop, section)) return false;
        Statement insert(m_pDb,
                         "INSERT OR REPLACE INTO data_sets(id, number, name, period_from, period_to, genka, kind,"
                         " business, fraction) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
        insert.Bind(1, id);
        insert.Bind(2, number);
        insert.Bind(3, dataName);
        insert.Bind(4, from);
        insert.Bind(5, to);
        insert.Bind(6, genka);
        insert.Bind(7, kind);
        insert.Bind(8, business);
        insert.Bind(9, fraction);
        if (!Run(insert, section)) return false;
        *appliedId = id;
        return true;
    }

    bool ApplyUser(const Section& section) {
        FieldReader read(section, m_pError);
        const std::string id = read.Text("id", kMaxUserId, true);
        const int64_t first = read.Optional("first", kInt32Min, kInt32Max, 1);
        const int64_t selected = read.Required("selected", kInt32Min, kInt32Max);
        const bool current = read.YesNo("current", true);
        if (read.Failed()) return false;

        // One user is signed in at a time.
        if (current) {
            Statement signOut(m_pDb, "UPDATE users SET current = 0");
            if (!Run(signOut, section)) return false;
        }
        Statement insert(m_pDb,
                         "INSERT OR REPLACE INTO users(id, first_no, selected_no, current) VALUES(?1, ?2, ?3, ?4)");
        insert.Bind(1, id);
        insert.Bind(2, first);
        insert.Bind(3, selected);
        insert.Bind(4, static_cast<int64_t>(current ? 1 : 0));
        return Run(insert, section);
    }

    bool ApplyEra(const Section& section) {
        FieldReader read(section, m_pError);
        const int64_t start = read.Date("start", true);
        const std::string eraName = read.Text("name", kMaxEraName, true);
        const bool numbered = read.Has("number");
        const int64_t number = read.Optional("number", kInt32Min, kInt32Max, 0);
        if (read.Failed()) return false;

        Statement insert(
            m_pDb, numbered ? "INSERT OR REPLACE INTO eras(start, name, number) VALUES(?1, ?2, ?3)"
                            : "INSERT OR REPLACE INTO eras(start, name, number)"
                              " VALUES(?1, ?2, (SELECT COALESCE(MAX(number), 0) + 1 FROM eras WHERE start != ?1))");
        insert.Bind(1, start);
        insert.Bind(2, eraName);
        if (numbered) insert.Bind(3, number);
        return Run(insert, section);
    }

    bool ApplyFolder(const Section& section) {
        FieldReader read(section, m_pError);
        const int64_t type = read.Required("type", kInt32Min, kInt32Max);
        const std::string path = read.Text("path", kMaxFolderPath, true);
        if (read.Failed()) return false;
        const std::string folder = WithFinalSeparator(path);
        if (folder.size() > kMaxFolderPath)
            return Refuse(
                m_pError, section.Find("path")->line, "path",
                "with its final \"\\\" the path takes more than " + std::to_string(kMaxFolderPath) + " bytes");

        Statement insert(m_pDb, "INSERT OR REPLACE INTO folders(type, path) VALUES(?1, ?2)");
        insert.Bind(1, type);
        insert.Bind(2, folder);
        return Run(insert, section);
    }

    bool ApplyAsset(const Section& section) {
        FieldReader read(section, m_pError);
        std::string dataId = m_strLastDataId;
        if (read.Has("data") || dataId.empty()) dataId = read.Text("data", kMaxDataId, true);
        const bool coded = read.Has("code");
        const int64_t code = read.Optional("code", kInt32Min, kInt32Max, 0);
        // Numbers, dates and amounts are checked before the texts: of
        // several faults in a section, the refusal names the first of them.
        int64_t values[kAssetColumnCount] = {};
        std::string texts[kAssetColumnCount];
        for (size_t i = 0; i < kAssetColumnCount; ++i)
            if (kAssetColumns[i].eType != AssetType::Text) values[i] = ReadNumber(read, kAssetColumns[i]);
        for (size_t i = 0; i < kAssetColumnCount; ++i) {
            const AssetColumn& column = kAssetColumns[i];
            if (column.eType == AssetType::Text)
                texts[i] = read.Text(column.pszName, AssetTextMax(column), column.bRequired);
        }
        if (read.Failed()) return false;

        if (!DataSetExists(dataId)) {
            const Field* field = section.Find("data");
            return Refuse(m_pError, field != nullptr ? field->line : section.line, "data",
                          "no data set \"" + compat::SjisToUtf8(dataId) + "\" in the file or the store");
        }

        if (!m_insertAsset) {
            std::string sql = "INSERT INTO assets(data_id, code, " + AssetColumnList() +
                              ") VALUES(?1, COALESCE(?2, (SELECT COALESCE(MAX(code), 0) + 1 FROM assets"
                              " WHERE data_id = ?1))";
            for (size_t i = 0; i < kAssetColumnCount; ++i) sql += ", ?" + std::to_string(i + 3);
            sql += ")";
            m_insertAsset = std::make_unique<Statement>(m_pDb, sql.c_str());
        }
        Statement& insert = *m_insertAsset;
        insert.Bind(1, dataId);
        // Without a code the asset follows every asset of its data set.
        if (coded) insert.Bind(2, code);
        for (size_t i = 0; i < kAssetColumnCount; ++i) {
            const int parameter = static_cast<int>(i) + 3;
            if (kAssetColumns[i].eType == AssetType::Text)
                insert.Bind(parameter, texts[i]);
            else
                insert.Bind(parameter, values[i]);
        }
        return Run(insert, section);
    }

    bool DataSetExists(const std::string& id) {
        Statement exists(m_pDb, "SELECT 1 FROM data_sets WHERE id = ?1");
        exists.Bind(1, id);
        return exists.Step() == SQLITE_ROW;
    }

    sqlite3* m_pDb;
    AdminError* m_pError;
    std::string m_strLastDataId;
    // The ID of each [data] by its index among the sections.
    std::vector<std::string> m_dataIds;
    std::unique_ptr<Statement> m_insertAsset;
};

}  // namespace

std::string AssetKeyTable() {
    std::string table = "| Key | Type | Default | Meaning |\n|---|---|---|---|\n";
    // The asset's own keys, which no record field holds.
    table += "| `data` | text, 1.." + std::to_string(kMaxDataId) +
             " bytes | the nearest `[data]` above | data ID; must exist in the file (above or below) or the store |\n";
    table +=
        "| `code` | int | one more than the highest code of the data set so far |"
        " walk order (ties keep file order) |\n";
    for (const AssetColumn& column : kAssetColumns) {
        std::string type, fallback;
        DescribeColumn(column, &type, &fallback);
        table += std::string("| `") + column.pszName + "` | " + type + " | " + fallback + " | " +
                 reinterpret_cast<const char*>(column.pszMeaning) + " |\n";
    }
    return table;
}

bool ImportText(const std::string& home, const std::string& text, AdminError* error) {
    if (error != nullptr) *error = AdminError{};
    std::vector<Section> sections;
    if (!Parse(text, &sections, error)) return false;

    sqlite3* db = nullptr;
    std::string message;
    if (!detail::OpenAdminStore(home, true, &db, &message)) return Refuse(error, 0, "", message);

    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) {
        Refuse(error, 0, "", std::string("the store is busy or unwritable: ") + sqlite3_errmsg(db));
    } else {
        {
            Importer importer(db, error);
            ok = importer.ApplyDataSets(sections) && importer.ApplyRest(sections);
        }
        if (ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            ok = Refuse(error, 0, "", std::string("the store could not commit: ") + sqlite3_errmsg(db));
        }
        if (!ok) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(db);
    return ok;
}

bool ImportFile(const std::string& home, const std::string& file, AdminError* error) {
    if (error != nullptr) *error = AdminError{};
    std::ifstream in(file, std::ios::binary);
    if (!in) return Refuse(error, 0, "", "cannot read " + file + ": " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return Refuse(error, 0, "", "cannot read " + file);
    return ImportText(home, text.str(), error);
}

}  // namespace bok
