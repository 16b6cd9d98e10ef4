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
#define SISAN_FIELD(tag) \
    { #tag, offsetof(StSISANDATA, tag), sizeof(StSISANDATA::tag) }
inline constexpr SisanFieldInfo g_SisanDataFields[] = {
    SISAN_FIELD(SISANMEI),
    SISAN_FIELD(SUURYO),
    SISAN_FIELD(SUURYOTANI),
    SISAN_FIELD(SYUTOKUNENGETU_GENGO),
    SISAN_FIELD(SYUTOKUNENGETU_NEN),
    SISAN_FIELD(SYUTOKUNENGETU_TUKI),
    SISAN_FIELD(SYUTOKUKINGAKU),
    SISAN_FIELD(SYOUKYAKUHOSYOUGAKU),
    SISAN_FIELD(KISYUTYOUBOKAKAKU),
    SISAN_FIELD(SYOUKYAKUKISOKINGAKU),
    SISAN_FIELD(SYOUKYAKUHOUHOU),
    SISAN_FIELD(SYOUKYAKUMEI),
    SISAN_FIELD(KEIKASOTI),
    SISAN_FIELD(TAIYOUNENSU),
    SISAN_FIELD(SYOUKYAKURITU),
    SISAN_FIELD(KAITEISYOUKYAKURITU),
    SISAN_FIELD(KAITEISYUTOKUKAGAKU),
    SISAN_FIELD(SYOUKYAKUKIKAN),
    SISAN_FIELD(CHOUSEIMAESYOUKYAKUGAKU),
    SISAN_FIELD(FUTUUSYOUKYAKUHI),
    SISAN_FIELD(WARIMASISYOUKYAKUHI),
    SISAN_FIELD(JIGYOUSENYUWARIAI),
    SISAN_FIELD(HITUYOUKEIHISANNYUUGAKU),
    SISAN_FIELD(MISYOUKYAKUZANDAKA),
    SISAN_FIELD(TEKIYOU_JYOUDAN),
    SISAN_FIELD(TEKIYOU_GEDAN),
};
#undef SISAN_FIELD

// The report writes a record's fields from g_SisanDataFields alone, so a
// field of StSISANDATA missing there would never reach the report, and one
// listed twice would be written twice.  Taken by offset, the fields must
// tile the record: each begins where the one before ends, from the first
// byte to the last.
constexpr bool SisanFieldsTileTheRecord() {
    constexpr size_t count = sizeof g_SisanDataFields / sizeof g_SisanDataFields[0];
    size_t at = 0;
    for (size_t step = 0; step < count; ++step) {
        size_t found = 0;
        size_t width = 0;
        for (const SisanFieldInfo& field : g_SisanDataFields) {
            if (field.offset == at) {
                ++found;
                width = field.width;
            }
        }
        if (found != 1 || width == 0) return false;
        at += width;
    }
    return at == sizeof(StSISANDATA);
}
static_assert(SisanFieldsTileTheRecord(), "g_SisanDataFields must hold every field of StSISANDATA exactly once");
