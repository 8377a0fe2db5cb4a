// The string tables of a script, described once. Loading, checking, the
// window's headings, the JSON form and `diff` all go through these tables, so
// no list of tables is written out anywhere else.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "codec/tombpcdat.h"

namespace vellumark {

// The eighteen tables of the PC and PlayStation layouts in file order, then
// the six that only the PlayStation beta has.
enum class table_id : std::uint8_t {
    level_names,
    pic_files,
    title_files,
    fmv_files,
    level_files,
    cutscene_files,
    game_strings1,
    game_strings2,
    key_strings1,  // key_strings1 + n for table n + 1, n from 0 to 9: Puzzle 1-4, Pickup 1-2, Key 1-4;
                   // n from 10 to 15: the beta's Secret 1-4 and Special 1-2
};

inline constexpr std::size_t kTableCount = 18;
inline constexpr int kKeyStringTables = 10;
inline constexpr int kBetaKeyStringTables = 6;
// Every table_id, the beta's six included.
inline constexpr std::size_t kTableIds = kTableCount + kBetaKeyStringTables;

struct table_info {
    table_id id;
    std::string_view heading;  // as the window shows it
    std::string_view json;     // the JSON member ("key_strings" for all ten key-string tables)
    bool per_level;            // one entry per level
};

// The eighteen tables of the PC and PlayStation layouts, in file order.
extern const std::array<table_info, kTableCount> kTables;
// The six tables of the PlayStation beta alone: Secret 1-4, Special 1-2.
extern const std::array<table_info, kBetaKeyStringTables> kBetaTables;

// Every table of a layout, in its file order: kTables, and in the PlayStation
// beta the six of kBetaTables after the fourth key-string table.
std::span<const table_info> tables_of(script_layout layout);

inline const table_info& info(table_id id) {
    const auto i = static_cast<std::size_t>(id);
    return i < kTableCount ? kTables[i] : kBetaTables[i - kTableCount];
}

// The key-string tables of a layout: key_table(0) .. key_table(n - 1).
inline constexpr int key_table_count(script_layout layout) {
    return layout == script_layout::playstation_beta ? kKeyStringTables + kBetaKeyStringTables : kKeyStringTables;
}

inline constexpr table_id key_table(int n) {  // n from 0 to 15
    return static_cast<table_id>(static_cast<int>(table_id::key_strings1) + n);
}
// The per-level tables shown as memos, the beta's six included.
inline constexpr bool is_key_table(table_id id) { return id >= table_id::key_strings1; }
// 0 to 15 for a key-string table: the memo's number less one.
inline constexpr int key_index(table_id id) {
    return static_cast<int>(id) - static_cast<int>(table_id::key_strings1);
}

// The place of a key-string table among the tables of its JSON member: 0 to
// 9 under "key_strings", 0 to 3 under "secret_strings", 0 or 1 under
// "special_strings".
int member_index(table_id id);

// The JSON path of a table: "level_names", ..., "key_strings[2]",
// "secret_strings[0]", "special_strings[1]".
std::string json_path(table_id id);

list_strings& table(Ttombpcdat& doc, table_id id);
const list_strings& table(const Ttombpcdat& doc, table_id id);

// The number of levels: the entries of the level descriptions.
inline int level_total(const Ttombpcdat& doc) { return static_cast<int>(doc.level_names.strings.size()); }

}  // namespace vellumark
