// What the writer, the reader and the parser of the JSON form share: the
// members the tables stand as, the layout names, and the paths of values as
// refusals name them (`slots[3][2].operand`, `flags["Demo Version"]`,
// "(top level)").
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "codec/sections.h"
#include "codec/tables.h"
#include "formats/json_form.h"

namespace vellumark::json_form {

// The tables that stand as members of their own (the ten key-string tables
// stand together under "key_strings").
inline bool own_member(table_id id) { return !is_key_table(id); }

// The values of the "layout" member.
inline constexpr std::string_view kLayoutPc = "pc";
inline constexpr std::string_view kLayoutPlayStation = "playstation";

// Every section the JSON form holds, in file order: the PlayStation layout's
// list, which is the PC's with the movie records added (a PC script may give
// them too, as an empty list).
inline std::span<const section> every_section() { return file_sections(script_layout::playstation); }

std::string member_path(const std::string& path, std::string_view key);
std::string index_path(const std::string& path, std::size_t i);

// Refuses the value at path ("(top level)" for the empty path).
[[noreturn]] void fail(const std::string& path, const std::string& reason);

}  // namespace vellumark::json_form
