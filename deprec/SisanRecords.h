// The linkage's own records of one asset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <list>

#include "platform/records.h"

// A kept asset: the first 545 bytes of its StKOTEISHISANINFO, then the first
// 80 bytes of its StKOTEINENINFO.  Master offsets are record offsets; year
// offset k is record offset 545 + k.
struct StSISANREC {
    unsigned char bytes[625];
};
static_assert(sizeof(StSISANREC) == 625);

constexpr size_t SISANREC_MASTER_BYTES = 545;
constexpr size_t SISANREC_YEAR_OFFSET = 545;
constexpr size_t SISANREC_YEAR_BYTES = 80;

// Reads a field of a packed record at its byte offset.
template <class T>
inline T SisanField(const StSISANREC& rec, size_t offset) {
    T value;
    std::memcpy(&value, rec.bytes + offset, sizeof value);
    return value;
}
inline const char* SisanText(const StSISANREC& rec, size_t offset) {
    return reinterpret_cast<const char*>(rec.bytes + offset);
}

// One line of the depreciation schedule: 26 NUL-terminated cp932 fields,
// named after their XML tags.
struct StSISANDATA {
    char SISANMEI[33];
    char SUURYO[12];
    char SUURYOTANI[5];
    char SYUTOKUNENGETU_GENGO[7];
    char SYUTOKUNENGETU_NEN[3];
    char SYUTOKUNENGETU_TUKI[3];
    char SYUTOKUKINGAKU[13];
    char SYOUKYAKUHOSYOUGAKU[13];
    char KISYUTYOUBOKAKAKU[13];
    char SYOUKYAKUKISOKINGAKU[13];
    char SYOUKYAKUHOUHOU[2];
    char SYOUKYAKUMEI[7];
    char KEIKASOTI[2];
    char TAIYOUNENSU[4];
    char SYOUKYAKURITU[6];
    char KAITEISYOUKYAKURITU[6];
    char KAITEISYUTOKUKAGAKU[13];
    char SYOUKYAKUKIKAN[3];
    char CHOUSEIMAESYOUKYAKUGAKU[13];
    char FUTUUSYOUKYAKUHI[13];
    char WARIMASISYOUKYAKUHI[13];
    char JIGYOUSENYUWARIAI[6];
    char HITUYOUKEIHISANNYUUGAKU[13];
    char MISYOUKYAKUZANDAKA[13];
    char TEKIYOU_JYOUDAN[21];
    char TEKIYOU_GEDAN[22];
};
static_assert(sizeof(StSISANDATA) == 272);
static_assert(offsetof(StSISANDATA, SUURYO) == 33);
static_assert(offsetof(StSISANDATA, TEKIYOU_GEDAN) == 250);

// The application's lists; the owner frees every record when it empties one.
using SisanRecList = std::list<StSISANREC*>;
using SisanDataList = std::list<StSISANDATA*>;

// The fields of a schedule line in file order, with their tag names.
struct SisanFieldInfo {
    const char* name;
    size_t offset;
    size_t width;
};
inline constexpr SisanFieldInfo g_SisanDataFields[26] = {
    {"SISANMEI", offsetof(StSISANDATA, SISANMEI), 33},
    {"SUURYO", offsetof(StSISANDATA, SUURYO), 12},
    {"SUURYOTANI", offsetof(StSISANDATA, SUURYOTANI), 5},
    {"SYUTOKUNENGETU_GENGO", offsetof(StSISANDATA, SYUTOKUNENGETU_GENGO), 7},
    {"SYUTOKUNENGETU_NEN", offsetof(StSISANDATA, SYUTOKUNENGETU_NEN), 3},
    {"SYUTOKUNENGETU_TUKI", offsetof(StSISANDATA, SYUTOKUNENGETU_TUKI), 3},
    {"SYUTOKUKINGAKU", offsetof(StSISANDATA, SYUTOKUKINGAKU), 13},
    {"SYOUKYAKUHOSYOUGAKU", offsetof(StSISANDATA, SYOUKYAKUHOSYOUGAKU), 13},
    {"KISYUTYOUBOKAKAKU", offsetof(StSISANDATA, KISYUTYOUBOKAKAKU), 13},
    {"SYOUKYAKUKISOKINGAKU", offsetof(StSISANDATA, SYOUKYAKUKISOKINGAKU), 13},
    {"SYOUKYAKUHOUHOU", offsetof(StSISANDATA, SYOUKYAKUHOUHOU), 2},
    {"SYOUKYAKUMEI", offsetof(StSISANDATA, SYOUKYAKUMEI), 7},
    {"KEIKASOTI", offsetof(StSISANDATA, KEIKASOTI), 2},
    {"TAIYOUNENSU", offsetof(StSISANDATA, TAIYOUNENSU), 4},
    {"SYOUKYAKURITU", offsetof(StSISANDATA, SYOUKYAKURITU), 6},
    {"KAITEISYOUKYAKURITU", offsetof(StSISANDATA, KAITEISYOUKYAKURITU), 6},
    {"KAITEISYUTOKUKAGAKU", offsetof(StSISANDATA, KAITEISYUTOKUKAGAKU), 13},
    {"SYOUKYAKUKIKAN", offsetof(StSISANDATA, SYOUKYAKUKIKAN), 3},
    {"CHOUSEIMAESYOUKYAKUGAKU", offsetof(StSISANDATA, CHOUSEIMAESYOUKYAKUGAKU), 13},
    {"FUTUUSYOUKYAKUHI", offsetof(StSISANDATA, FUTUUSYOUKYAKUHI), 13},
    {"WARIMASISYOUKYAKUHI", offsetof(StSISANDATA, WARIMASISYOUKYAKUHI), 13},
    {"JIGYOUSENYUWARIAI", offsetof(StSISANDATA, JIGYOUSENYUWARIAI), 6},
    {"HITUYOUKEIHISANNYUUGAKU", offsetof(StSISANDATA, HITUYOUKEIHISANNYUUGAKU), 13},
    {"MISYOUKYAKUZANDAKA", offsetof(StSISANDATA, MISYOUKYAKUZANDAKA), 13},
    {"TEKIYOU_JYOUDAN", offsetof(StSISANDATA, TEKIYOU_JYOUDAN), 21},
    {"TEKIYOU_GEDAN", offsetof(StSISANDATA, TEKIYOU_GEDAN), 22},
};
