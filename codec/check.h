// What a save refuses, found in one place. Every problem carries its place in
// the document, so the window can point at it and the JSON reader can name
// its path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/codepage.h"
#include "codec/tables.h"
#include "codec/tombpcdat.h"

namespace vellumark {

enum class severity : std::uint8_t { error, warning };

enum class problem_kind : std::uint8_t {
    // Errors: the file could not hold the document, or would read back as
    // something else. A save refuses them.
    too_many_entries,       // a table, or the demo list, over 32767 entries
    wrong_entry_count,      // level file names not one per level; game strings 2 not 41 (80, 79 on the consoles)
    string_too_long,        // over 255 bytes
    string_has_nul,         // a NUL byte would end the stored string
    table_too_large,        // a string block over 65535 bytes
    demo_names_no_level,    // a demo entry past the levels
    slot_too_long,          // a slot count over 64
    command_after_end,      // a command after "End of set"
    full_slot_without_end,  // 64 commands and no "End of set"
    sequences_too_large,    // the sequence block over 65535 bytes
    wrong_record_count,     // movie records not one per movie (the consoles), or any on the PC
    table_not_in_layout,    // text in a table of the PlayStation beta alone, in another layout

    // Warnings: the file can hold it, but the game needs something else.
    operand_names_nothing,  // a level, movie, cut-scene or picture that is not there
    slot_plays_no_level,    // a level's slot with no "Play level" or "Play demo level:"
    slot_plays_other_level, // such a command naming another level than the slot's own
    key_lines_dropped,      // key-string lines past the last level, which a save drops; the place is
                            // the first of them, the value one past the last that holds text
    game_strings1_count,    // neither Tomb Raider II's 89 nor Tomb Raider III's 92
    trailing_bytes,         // bytes after the last table of the script, which a save drops
    repaired,               // a size, offset, slot count or flag of the file that a save writes otherwise
};

// Where a problem is.
struct place {
    enum class area : std::uint8_t { document, table, slot, demo_levels, movie_records };
    area in = area::document;
    table_id table = table_id::level_names;  // area::table
    int index = -1;  // entry (line of a key-string table), slot, or demo entry; -1 for the whole
    int line = -1;   // command line within a slot

    bool operator==(const place&) const = default;
};

struct problem {
    severity level = severity::error;
    problem_kind kind{};
    place where;
    std::int64_t value = 0;  // the count, length, size or level found
    std::int64_t limit = 0;  // what it had to stay within, or had to be
    std::string message;     // as the program shows it
};

// Every problem of the document, in file order: the six leading tables, the
// slots, the demo list, the movie records, the game strings, the key strings
// (text in the beta's tables, in another layout, last of these).
// The repairs of the file opened are warnings at their places (the flags'
// first), the stray bytes after it the last warning.
std::vector<problem> check_script(const Ttombpcdat& doc);

// What opening the record's file has to tell beyond the script: the warnings
// of check_script() for its repairs and its stray bytes, in file order.
std::vector<problem> read_notices(const Ttombpcdat& doc);

// A repair in words: "the size of Level's File Names says 310 bytes, its
// strings take 309; a save writes 309".
std::string repair_message(const Ttombpcdat& doc, const read_repair& r);

// A string of a table as messages name it at the start of a sentence, levels
// counted from 0 as "Play level,3" counts them: "Entry 4 of \"RPLs File
// Names\"", "Key Strings #3, level 12".
std::string entry_text(table_id id, std::size_t index);

// Where a problem is, in words, levels counted from 0 as "Play level,3"
// counts them and the commands of a slot from 1: "slot 5, command 3",
// "Level's Description, entry 4", "Key Strings #3, level 12", "demo level
// entry 2"; empty for the whole document.
std::string place_text(const place& where);
// The same, a key-string line with its level's name in the code page cp
// (UTF-8, line breaks as their symbols; windows-1252 when cp is null) when
// the script has that level: "Key Strings #1, level 4 (Opera House)".
std::string place_text(const place& where, const Ttombpcdat& doc, const codepage::table* cp);

// A key-string line as the window names it: "Key Strings #N, level L
// (NAME)", NAME as above; without it past the last level. key: 0..9.
std::string key_line_text(const Ttombpcdat& doc, int key, int level, const codepage::table* cp);

// Throws script_error with the message of the first error, if there is one.
void refuse_errors(const std::vector<problem>& problems);

// One past the last line, after the first `levels`, of a key-string table
// that holds text: a save drops the lines from `levels` up to it and loses
// their text. `levels` or less when it drops nothing but empty lines.
std::size_t dropped_text_end(const std::vector<std::string>& lines, std::size_t levels);

// The most entries a table can have: more would read back as a negative count.
inline constexpr int kMaxEntries = 32767;

// The byte size of the sequence block once every slot is ended and the slots
// are filled up to one per level plus the title slot.
std::size_t normalised_sequence_bytes(const Ttombpcdat& doc);

}  // namespace vellumark
