// The columns of an asset, in one table.
//
// Internal to the platform.  The store's schema and its check, the walk's
// SELECT and the decoding of its rows, the import's [asset] keys, their
// checks and defaults, and the README's table of those keys all come from
// kAssetColumns, so that a column cannot reach one of them and miss
// another.  The asset's own keys (seq, data_id, code) are no record field
// and stay with their users.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "platform/records.h"

namespace bok::detail {

enum class AssetType : uint8_t {
    Int,     // a whole number in the range of its record field
    Date,    // YYYYMMDD; when not required it may be 0
    Amount,  // ten-thousandths of a yen
    Text,    // cp932 bytes
};

// The record of the walk that holds the field.
enum class AssetRecord : uint8_t { Master = 0, Year = 1 };

struct AssetColumn {
    const char* pszName;  // the column of assets and the key of [asset]
    AssetType eType;
    bool bRequired;
    int64_t llDefault;  // of an Int that is not required
    AssetRecord eRecord;
    size_t nOffset;
    size_t nSize;
    bool bSigned;
    const char8_t* pszMeaning;  // what the README says of the key
    bool bFillsField = false;   // a text that may fill its field without a terminator
};

#define BOK_MASTER(field)                                                                      \
    AssetRecord::Master, offsetof(StKOTEISHISANINFO, field), sizeof(StKOTEISHISANINFO::field), \
        std::is_signed_v<decltype(StKOTEISHISANINFO::field)>
#define BOK_YEAR(field)                                                                \
    AssetRecord::Year, offsetof(StKOTEINENINFO, field), sizeof(StKOTEINENINFO::field), \
        std::is_signed_v<decltype(StKOTEINENINFO::field)>

// In the order of the schema and of the README.
inline constexpr AssetColumn kAssetColumns[] = {
    {"kind", AssetType::Int, false, 0, BOK_MASTER(nShisanKind), u8"asset kind code (10, 11 have meanings)"},
    {"name", AssetType::Text, true, 0, BOK_MASTER(szName), u8"asset name"},
    // Nine bytes fill the quantity: the platform reads it as a fixed field.
    {"quantity", AssetType::Text, false, 0, BOK_MASTER(szSuuryo),
     u8"quantity with unit, e.g. `10台`; 9 bytes fill the field without a terminator", true},
    {"remarks", AssetType::Text, false, 0, BOK_MASTER(szTekiyo), u8"remarks"},
    {"disposal", AssetType::Int, false, 0, BOK_MASTER(nJyotoKubun), u8"disposal status (4, 5: left the business)"},
    {"disposal_date", AssetType::Date, false, 0, BOK_MASTER(nJyotoDate), u8"date of the disposal"},
    {"acquired", AssetType::Date, true, 0, BOK_MASTER(nShutokuDate), u8"acquisition date"},
    {"cost", AssetType::Amount, true, 0, BOK_MASTER(llShutokuKingaku), u8"acquisition cost"},
    {"deduction", AssetType::Amount, false, 0, BOK_MASTER(llKojoKingaku), u8"deduction from the acquisition cost"},
    {"opening", AssetType::Amount, false, 0, BOK_MASTER(llKishuBoka), u8"opening book value"},
    {"method", AssetType::Int, true, 0, BOK_MASTER(nShokyakuHouhou), u8"method code 1..8 (other values accepted)"},
    {"life", AssetType::Int, false, 0, BOK_MASTER(nTaiyouNensu), u8"useful life in years"},
    {"rate", AssetType::Int, false, 0, BOK_MASTER(nShokyakuRitsu), u8"rate in thousandths (200 = 0.200)"},
    {"basis_is_amount", AssetType::Int, false, 0, BOK_MASTER(nKisoFlag),
     u8"non-zero: `basis_value` is an amount, else a percentage"},
    {"basis_value", AssetType::Amount, false, 0, BOK_MASTER(llKisoValue),
     u8"amount or percentage of the equal-instalment basis"},
    {"ratio", AssetType::Int, false, 10000, BOK_MASTER(nJigyoWariai),
     u8"business-use ratio in hundredths of a percent"},
    {"months", AssetType::Int, false, 0, BOK_MASTER(nShokyakuTsuki), u8"months depreciated in the year"},
    {"basis", AssetType::Amount, false, 0, BOK_MASTER(llShokyakuKiso), u8"depreciation basis held by the platform"},
    {"balance", AssetType::Amount, false, 0, BOK_MASTER(llMishokyakuZan), u8"undepreciated balance"},
    {"category", AssetType::Int, false, 1, BOK_MASTER(nJigyoKubun), u8"1 general use, 2 real-estate use"},
    {"equal", AssetType::Int, false, 0, BOK_MASTER(nKintoFlag), u8"non-zero: equal instalments"},
    {"revised", AssetType::Amount, false, 0, BOK_MASTER(llKaiteiShutoku), u8"revised acquisition value"},
    {"ordinary", AssetType::Amount, false, 0, BOK_YEAR(llFutsuShokyaku), u8"ordinary depreciation"},
    {"additional1", AssetType::Amount, false, 0, BOK_YEAR(llWarimashi1), u8"first additional depreciation"},
    {"additional2", AssetType::Amount, false, 0, BOK_YEAR(llWarimashi2), u8"second additional depreciation"},
    {"expenses", AssetType::Amount, false, 0, BOK_YEAR(llHitsuyoKeihi), u8"amount included in necessary expenses"},
};

#undef BOK_MASTER
#undef BOK_YEAR

inline constexpr size_t kAssetColumnCount = sizeof kAssetColumns / sizeof kAssetColumns[0];

// The longest text a column takes, in bytes.
constexpr size_t AssetTextMax(const AssetColumn& column) {
    return column.bFillsField ? column.nSize : column.nSize - 1;
}

// The range of an Int column: that of its record field.
constexpr int64_t AssetIntLow(const AssetColumn& column) {
    return column.bSigned ? -(int64_t{1} << (8 * column.nSize - 1)) : 0;
}
constexpr int64_t AssetIntHigh(const AssetColumn& column) {
    return column.bSigned ? (int64_t{1} << (8 * column.nSize - 1)) - 1 : (int64_t{1} << (8 * column.nSize)) - 1;
}

// A column fits the field its type decodes into, within its record.
constexpr bool AssetColumnFits(const AssetColumn& column) {
    const size_t record = column.eRecord == AssetRecord::Master ? sizeof(StKOTEISHISANINFO) : sizeof(StKOTEINENINFO);
    if (column.nOffset + column.nSize > record) return false;
    switch (column.eType) {
    case AssetType::Int:
        return (column.nSize == 1 || column.nSize == 2 || column.nSize == 4) &&
               column.llDefault >= AssetIntLow(column) && column.llDefault <= AssetIntHigh(column);
    case AssetType::Date:
        return column.nSize == 4 && column.bSigned && column.llDefault == 0;
    case AssetType::Amount:
        return column.nSize == 8 && column.bSigned && column.llDefault == 0;
    case AssetType::Text:
        return column.nSize >= 2 && column.llDefault == 0;
    }
    return false;
}

// Two columns clash when their fields share a byte or they share a name.
constexpr bool AssetColumnsClash(const AssetColumn& a, const AssetColumn& b) {
    if (a.eRecord == b.eRecord && a.nOffset < b.nOffset + b.nSize && b.nOffset < a.nOffset + a.nSize) return true;
    const char* x = a.pszName;
    const char* y = b.pszName;
    while (*x != '\0' && *x == *y) ++x, ++y;
    return *x == *y;
}

constexpr bool AssetColumnsSound() {
    for (size_t i = 0; i < kAssetColumnCount; ++i) {
        if (!AssetColumnFits(kAssetColumns[i])) return false;
        for (size_t k = i + 1; k < kAssetColumnCount; ++k)
            if (AssetColumnsClash(kAssetColumns[i], kAssetColumns[k])) return false;
    }
    return true;
}
static_assert(AssetColumnsSound(), "an asset column overlaps another, leaves its record or repeats a name");

// "kind, name, ..., expenses": every column's name in table order, for the
// statements that read or write them all.
const std::string& AssetColumnList();

}  // namespace bok::detail
