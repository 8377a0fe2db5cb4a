// Level operations that keep every table in step. A level is its name, its
// file, its picture (when the picture list has exactly one entry per level),
// its script slot (slot i + 1 belongs to level i; slot 0, the title, never
// moves) and its line in each of the ten key-string tables. The description
// bytes shown in Memo12 never move. Every "Play level" and "Play demo level"
// operand, and every demo list entry, that names a level that moved names its
// new number; operands that named no level stay as they were.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "codec/tables.h"
#include "codec/tombpcdat.h"

namespace vellumark {

// Moves one element of v from `from` to `to`, shifting the ones between.
template <class T>
void move_element(std::vector<T>& v, std::size_t from, std::size_t to) {
    if (from < to)
        std::rotate(v.begin() + std::ptrdiff_t(from), v.begin() + std::ptrdiff_t(from + 1),
                    v.begin() + std::ptrdiff_t(to + 1));
    else
        std::rotate(v.begin() + std::ptrdiff_t(to), v.begin() + std::ptrdiff_t(from),
                    v.begin() + std::ptrdiff_t(from + 1));
}

// The tables that hold one entry per level and move with the levels.
std::vector<table_id> tables_moving_with_levels(const Ttombpcdat& doc);

// The new number of every old level; kLevelDeleted for a deleted one.
using level_map = std::vector<int>;
inline constexpr int kLevelDeleted = -1;
level_map level_moved(int levels, int from, int to);
level_map level_inserted(int levels, int at);
level_map level_deleted(int levels, int level);

// What an operand naming a deleted level becomes: a number that names no
// level, so that the command lists with "(?)".
inline constexpr std::uint16_t kNamesNoLevel = 0xFFFF;

// The slots whose "Play level" or "Play demo level" operands the map changes,
// each with its renumbered commands.
std::vector<std::pair<int, script_slot>> renumbered_slots(const std::vector<script_slot>& slots,
                                                          const level_map& map);
// The demo list renumbered; entries naming a deleted level are left out.
std::vector<std::uint16_t> renumbered_demo_levels(const std::vector<std::uint16_t>& demo, const level_map& map);

// Where a level is named outside its own slot: commands of other slots, and
// demo list entries.
struct level_references {
    std::vector<std::pair<int, int>> commands;  // slot, command line
    std::vector<int> demo_entries;
};
level_references references_to_level(const Ttombpcdat& doc, int level);

// The operations on a record, as `vellumark-cli level` makes them. Each
// throws script_error, changing nothing, when a level number is out of range.
void move_level(Ttombpcdat& doc, int from, int to);
// A new level at `at` (0 to the level count): the name and file given, an
// empty picture, a slot holding only "End of set", empty key strings.
void insert_level(Ttombpcdat& doc, int at, const std::string& name = {}, const std::string& file = {});
void delete_level(Ttombpcdat& doc, int level);

}  // namespace vellumark
