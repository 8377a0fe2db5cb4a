// Level operations that keep every table in step. A level is its name, its
// file, its picture (when the picture list has exactly one entry per level),
// its script slot (slot i + 1 belongs to level i; slot 0, the title, never
// moves) and its line in each key-string table of its layout (ten; sixteen
// in the PlayStation beta). The description bytes shown in Memo12 never move.
// Every "Play level" and "Play demo level" operand, and every demo list
// entry, that names a level that moved names its new number; when pictures
// move with their levels, every "Show Chapter screen" operand follows its
// picture in the same way. Operands that named no level (or picture) stay as
// they were.
//
// An operation is first planned: a list of small changes, each applied to
// the record as the changes before it left it. The command line applies the
// plan to its record at once; the window records each change as an undo step
// of its own, so that its views learn exactly what changed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
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
// Whether the picture list holds one entry per level: pictures then move
// with their levels, and the chapter screens that show them follow.
bool pictures_move_with_levels(const Ttombpcdat& doc);

// What an operand naming a deleted level (or its picture) becomes: a number
// that names nothing, so that the command lists with "(?)" and the check
// warns about it.
inline constexpr std::uint16_t kNamesNoLevel = 0xFFFF;

// ---- the changes a level operation is made of -----------------------------
namespace change {
// An entry of a table moves from `from` to `to`; the ones between shift by one.
struct move_entry {
    table_id table;
    int from;
    int to;
};
// `lines` go in before entry `at` (at the end for the entry count).
struct insert_entries {
    table_id table;
    int at;
    std::vector<std::string> lines;
};
struct remove_entry {
    table_id table;
    int at;
};
// A script slot moves from `from` to `to`; the ones between shift by one.
struct move_slot {
    int from;
    int to;
};
struct insert_slot {
    int at;
    script_slot value;
};
struct remove_slot {
    int at;
};
// The commands of slots first .. first + values.size() - 1, with the
// operands that follow the levels renumbered.
struct replace_slots {
    int first;
    std::vector<script_slot> values;
};
// The new demo list; kept[i] is the number of the old entry that entry i was.
struct set_demo_levels {
    std::vector<std::uint16_t> levels;
    std::vector<int> kept;
};
}  // namespace change

using level_change = std::variant<change::move_entry, change::insert_entries, change::remove_entry,
                                  change::move_slot, change::insert_slot, change::remove_slot, change::replace_slots,
                                  change::set_demo_levels>;

struct level_plan {
    std::vector<level_change> changes;
};

// The plans. Each throws script_error, naming the level count, when a level
// number is out of range; moving a level to its own place is an empty plan.
//
// A table too short for a move (key strings not typed for every level yet)
// is first completed with empty entries to one per level, as a save
// completes it. An insert or delete leaves a table that does not reach the
// level as it is.
level_plan plan_move_level(const Ttombpcdat& doc, int from, int to);
// A new level at `at` (0 to the level count): the name and file given, an
// empty picture, a slot holding only "End of set", empty key strings.
level_plan plan_insert_level(const Ttombpcdat& doc, int at, const std::string& name = {},
                             const std::string& file = {});
// Commands that named the level (or its picture) name nothing; demo entries
// naming it go.
level_plan plan_delete_level(const Ttombpcdat& doc, int level);

// Makes the changes of a plan on a record that is as the plan found it.
void apply(Ttombpcdat& doc, const level_plan& plan);

// The number a slot has after the plan, or -1 when the plan removes it; and
// the number it had before the plan, or -1 for a slot the plan inserted.
int slot_after(const level_plan& plan, int slot);
int slot_before(const level_plan& plan, int slot);

// The operations on a record, as `vellumark-cli level` makes them: the plan,
// applied.
void move_level(Ttombpcdat& doc, int from, int to);
void insert_level(Ttombpcdat& doc, int at, const std::string& name = {}, const std::string& file = {});
void delete_level(Ttombpcdat& doc, int level);

// Where a level is named outside its own slot: commands of other slots (its
// chapter screens too, when pictures move with levels), and demo list
// entries.
struct level_references {
    std::vector<std::pair<int, int>> commands;  // slot, command line
    std::vector<int> demo_entries;
};
level_references references_to_level(const Ttombpcdat& doc, int level);

}  // namespace vellumark
