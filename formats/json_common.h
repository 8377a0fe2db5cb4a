// What the writer, the reader and the parser of the JSON form share: the
// members the tables stand as, the layout names, and the paths of values as
// refusals name them (`slots[3][2].operand`, `flags["Demo Version"]`,
// "(top level)").
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/sections.h"
#include "codec/tables.h"
#include "formats/json_form.h"

namespace vellumark::json_form {

// The tables that stand as members of their own (the ten key-string tables
// stand together under "key_strings", the PlayStation beta's six more under
// "secret_strings" and "special_strings").
inline bool own_member(table_id id) { return !is_key_table(id); }

// The members that the key-string tables stand together under, in the order
// they are written ("key_strings", and in the PlayStation beta
// "secret_strings" and "special_strings"), made from the tables' own JSON
// names: each with the number of its tables and the first of them.
struct table_group {
    std::string_view member;
    std::size_t tables;
    table_id first;
};
const std::vector<table_group>& table_groups();
// The index in table_groups() of the group a key-string table stands in.
std::size_t group_of(table_id id);
// Whether a layout has the tables of a group.
inline bool has_group(script_layout layout, const table_group& g) {
    return key_index(g.first) < key_table_count(layout);
}

// The values of the "layout" member.
inline constexpr std::string_view kLayoutPc = "pc";
inline constexpr std::string_view kLayoutPlayStation = "playstation";
inline constexpr std::string_view kLayoutPlayStationBeta = "playstation-beta";

// Every section the JSON form of a script in `layout` holds, in file order:
// the console's list for a PC script too, which is the PC's with the movie
// records added (a PC script may give them, as an empty list).
inline std::span<const section> every_section(script_layout layout) {
    return file_sections(layout == script_layout::pc ? script_layout::playstation : layout);
}
// The sections of every layout, as `diff` walks two scripts: the beta's.
inline std::span<const section> every_section() { return file_sections(script_layout::playstation_beta); }

std::string member_path(const std::string& path, std::string_view key);
std::string index_path(const std::string& path, std::size_t i);

// Refuses the value at path ("(top level)" for the empty path).
[[noreturn]] void fail(const std::string& path, const std::string& reason);

}  // namespace vellumark::json_form
