// The eighteen string tables of a script, described once. Loading, checking,
// the window's headings, the JSON form and `diff` all go through this table,
// so no list of tables is written out anywhere else.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/tombpcdat.h"

namespace vellumark {

// In file order.
enum class table_id : std::uint8_t {
    level_names,
    pic_files,
    title_files,
    fmv_files,
    level_files,
    cutscene_files,
    game_strings1,
    game_strings2,
    key_strings1,  // key_strings1 + n for table n + 1, n from 0 to 9
};

inline constexpr std::size_t kTableCount = 18;
inline constexpr int kKeyStringTables = 10;

struct table_info {
    table_id id;
    std::string_view heading;  // as the window shows it
    std::string_view json;     // the JSON member ("key_strings" for all ten key-string tables)
    bool per_level;            // one entry per level
};

// Every table, in file order.
extern const std::array<table_info, kTableCount> kTables;

inline const table_info& info(table_id id) { return kTables[static_cast<std::size_t>(id)]; }

inline constexpr table_id key_table(int n) {  // n from 0 to 9
    return static_cast<table_id>(static_cast<int>(table_id::key_strings1) + n);
}
inline constexpr bool is_key_table(table_id id) { return id >= table_id::key_strings1; }
// 0 to 9 for a key-string table.
inline constexpr int key_index(table_id id) {
    return static_cast<int>(id) - static_cast<int>(table_id::key_strings1);
}

// The JSON path of a table: "level_names", ..., "key_strings[2]".
std::string json_path(table_id id);

list_strings& table(Ttombpcdat& doc, table_id id);
const list_strings& table(const Ttombpcdat& doc, table_id id);

// The number of levels: the entries of the level descriptions.
inline int level_total(const Ttombpcdat& doc) { return static_cast<int>(doc.level_names.strings.size()); }

}  // namespace vellumark
