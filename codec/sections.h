// The sections of a script in the order its file holds them, described once.
// The reader, the writer, the check, `diff` and the JSON form all walk this
// list, so the order (the script slots wedged in before game strings 1, the
// consoles' movie records after the demo list, the beta's six more tables)
// is written nowhere else.
#pragma once

#include <cstdint>
#include <span>

#include "codec/tables.h"
#include "codec/tombpcdat.h"

namespace vellumark {

enum class section_kind : std::uint8_t {
    header,         // the 390-byte header: options, flags and the leading counts
    table,          // a string table; game strings 1 with its count word ahead of it
    sequences,      // the script slots: level count + 1 offsets, the block size, the commands
    demo_levels,    // the demo level list
    movie_records,  // the console layouts: one record of two 32-bit values per movie
};

struct section {
    section_kind kind;
    table_id table = table_id::level_names;  // the table of section_kind::table

    bool operator==(const section&) const = default;
};

// Every section of a script in `layout`, in file order.
std::span<const section> file_sections(script_layout layout);

}  // namespace vellumark
