// The import loader: any text in, and the store afterwards is either what
// it was (a refusal, which names a line of the text and shows nothing a
// message cannot carry) or a store the platform still describes.

#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "FuzzSupport.h"
#include "platform/BokAdmin.h"

namespace {

// The store every case starts from.
const char kBase[] =
    "[data]\nid = D1\nnumber = 1\nname = Shop\nperiod = 20240101 20241231\n"
    "[user]\nid = u\nselected = 1\n"
    "[era]\nstart = 20190501\nname = R\n"
    "[folder]\ntype = 1\npath = C:\\ENV\n"
    "[asset]\nname = A\nquantity = 2 pcs\nacquired = 20240101\ncost = 100\nmethod = 1\n";

const char* const kTables[] = {"meta", "data_sets", "users", "eras", "folders", "assets", "faults"};

// Every row of every table, typed and byte for byte.
std::string Dump(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fuzz::Broken("the store cannot be opened", __FILE__, __LINE__);
    std::string dump;
    for (const char* table : kTables) {
        dump += std::string("\n[") + table + "]";
        sqlite3_stmt* rows = nullptr;
        const std::string sql = std::string("SELECT * FROM ") + table + " ORDER BY rowid";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &rows, nullptr) != SQLITE_OK)
            fuzz::Broken(sqlite3_errmsg(db), __FILE__, __LINE__);
        while (sqlite3_step(rows) == SQLITE_ROW) {
            dump += "\n";
            for (int i = 0; i < sqlite3_column_count(rows); ++i) {
                const int type = sqlite3_column_type(rows, i);
                const void* bytes = sqlite3_column_blob(rows, i);
                const int size = sqlite3_column_bytes(rows, i);
                dump += std::to_string(type) + ":" + std::to_string(size) + ":";
                if (bytes != nullptr) dump.append(static_cast<const char*>(bytes), static_cast<size_t>(size));
                dump += "|";
            }
        }
        sqlite3_finalize(rows);
    }
    sqlite3_close_v2(db);
    return dump;
}

int CountLines(const std::string& text) {
    int lines = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++lines;
    }
    return lines;
}

}  // namespace

void fuzz::FuzzOne(const std::string& testCase) {
    const std::string input = testCase.substr(0, 1 << 16);
    const std::string home = fuzz::Home("import");
    const std::string base = home + "/base.db", store = home + "/bok.db";
    bok::AdminError error;
    if (!fuzz::Exists(base)) {
        std::remove(store.c_str());
        if (!bok::CreateStore(home, &error) || !bok::ImportText(home, kBase, &error))
            fuzz::Broken(error.message.c_str(), __FILE__, __LINE__);
        // Closed, the store has taken its log back in: the file is whole.
        // Renamed into place, so that a case stopped half way through
        // leaves no half base behind.
        fuzz::WriteFile(base + ".new", fuzz::ReadFile(store));
        std::rename((base + ".new").c_str(), base.c_str());
    }
    fuzz::WriteFile(store, fuzz::ReadFile(base));
    std::remove((store + "-wal").c_str());
    std::remove((store + "-shm").c_str());

    const std::string before = Dump(store);
    const bool imported = bok::ImportText(home, input, &error);
    const std::string after = Dump(store);
    if (!imported) {
        FUZZ_CHECK(after == before);
        FUZZ_CHECK(!error.message.empty());
        FUZZ_CHECK(error.line >= 0 && error.line <= CountLines(input));
        FUZZ_CHECK(fuzz::IsPrintableUtf8(error.message));
        FUZZ_CHECK(fuzz::IsPrintableUtf8(error.field));
    } else {
        FUZZ_CHECK(error.message.empty());
        std::string listing;
        FUZZ_CHECK(bok::DescribeStore(home, &listing, &error));
    }
}
