// The in-memory script document: one TOMBPC.DAT file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/layout.h"

namespace vellumark {

// How the file is laid out. The PlayStation's script has the PC's sections
// in the PC's order and coding, plus one movie record per movie ahead of game
// strings 1, and 80 game strings 2 instead of 41. The script of the
// PlayStation beta is the PlayStation's up to the movie records and game
// strings 1; then come 79 game strings 2 and sixteen per-level tables: the
// ten key-string tables with six more (Secret 1-4, Special 1-2) after the
// fourth (codec/tables.h).
enum class script_layout : std::uint8_t { pc, playstation, playstation_beta };

// Every layout, in the order a file is tried in them: a reading in a later
// layout has to explain the file better to be taken (codec/script_file.h).
inline constexpr script_layout kLayouts[] = {script_layout::pc, script_layout::playstation,
                                             script_layout::playstation_beta};

// The entries of game strings 2 in a layout.
inline constexpr int game_strings2_entries(script_layout l) {
    switch (l) {
    case script_layout::playstation: return layout::kConsoleGameStrings2Count;
    case script_layout::playstation_beta: return layout::kBetaGameStrings2Count;
    default: return layout::kGameStrings2Count;
    }
}

// Whether a layout has one movie record per movie: the consoles' do.
inline constexpr bool has_movie_records(script_layout l) { return l != script_layout::pc; }

// "PC", "PlayStation" or "PlayStation beta", as the program names a layout.
inline constexpr std::string_view layout_name(script_layout l) {
    switch (l) {
    case script_layout::playstation: return "PlayStation";
    case script_layout::playstation_beta: return "PlayStation beta";
    default: return "PC";
    }
}

// One string table. Strings are raw bytes (windows-1252), without terminator.
struct list_strings {
    std::vector<std::uint16_t> offsets;  // offset of each stored string in the block
    std::uint16_t total_size = 0;        // byte length of the string block
    std::vector<std::string> strings;    // decoded strings

    bool operator==(const list_strings&) const = default;
};

struct script_command {
    std::uint16_t command = 0;
    std::uint16_t operand = 0;  // 0xFFFF when the command carries none

    bool operator==(const script_command&) const = default;
};

inline constexpr int kSlotCapacity = 64;

// One command sequence; only the first command_count entries are in use.
struct script_slot {
    std::int16_t command_count = 0;
    std::int16_t operand_count = 0;  // recomputed by the writer only
    std::array<script_command, kSlotCapacity> commands{};

    bool operator==(const script_slot&) const = default;
};

// The PlayStation layout's record of one movie: two unsigned 32-bit values,
// kept as they are read.
struct movie_record {
    std::uint32_t first = 0;
    std::uint32_t second = 0;

    bool operator==(const movie_record&) const = default;
};

// A string table (codec/tables.h).
enum class table_id : std::uint8_t;

// A value of the file opened that disagrees with what the file holds, and
// that a save therefore writes otherwise. The reader records each as it reads;
// they describe the file as read, not the record as edited since.
struct read_repair {
    enum class kind : std::uint8_t {
        flags,          // bits a save drops or sets (0x0100 and 0x0200 always; only the option flags kept)
        table_size,     // a table's total size is not the bytes its strings take
        table_offsets,  // a string's offset is not where the strings before it end
        slot_offsets,   // a slot's offset is not where the slots before it end
        slot_size,      // the size of the slot block is not the bytes its commands take
        slot_count,     // fewer slots than one per level and the title slot: a save adds slots
    };
    kind what = kind::flags;
    table_id table{};          // the table of table_size and table_offsets
    std::int32_t index = -1;   // the first entry or slot whose offset disagrees; -1 for the whole
    std::uint32_t found = 0;   // the value the file gives (flags, size, offset, slot count)
    std::uint32_t written = 0; // the value a save writes
    std::uint32_t others = 0;  // how many more offsets of the same table or block disagree

    bool operator==(const read_repair&) const = default;
};

struct Ttombpcdat {
    script_layout layout = script_layout::pc;  // as opened; a save keeps it

    std::uint32_t version = 0;
    std::array<std::uint8_t, 256> description{};  // one byte per level shown in Memo12
    std::uint16_t reserved_a = 0;
    std::int32_t first_option = 0;
    std::int32_t title_replace = 0;
    std::int32_t on_death_demo = 0;
    std::int32_t on_death_game = 0;
    std::int32_t demo_time = 0;
    std::int32_t on_interrupt = 0;
    std::int32_t on_demo_end = 0;
    std::array<std::uint8_t, 36> reserved_b{};
    std::int16_t level_count = 0;
    std::int16_t pic_count = 0;
    std::int16_t title_count = 0;
    std::int16_t fmv_count = 0;
    std::int16_t cutscene_count = 0;
    std::int16_t demo_level_count = 0;
    std::int16_t title_sound_id = 0;
    std::int16_t single_level = 0;  // -1 = none; carried
    std::array<std::uint8_t, 32> reserved_c{};
    std::uint16_t flags = 0;
    std::array<std::uint8_t, 6> reserved_d{};
    std::uint8_t cipher_byte = 0;  // XOR key of the stored strings while flag 0x100 is set
    std::uint8_t reserved_f = 0;
    std::int16_t secret_sound_id = 0;
    std::array<std::uint8_t, 4> reserved_e{};

    list_strings level_names;     // level descriptions (ListBox1)
    list_strings pic_files;       // level picture file names (ListBox3)
    list_strings title_files;     // title and legal screen file names (ListBox6)
    list_strings fmv_files;       // movie file names (ListBox4)
    list_strings level_files;     // level file names (ListBox2)
    list_strings cutscene_files;  // cut-scene file names (ListBox5)

    std::uint16_t script_count = 0;
    std::vector<std::uint16_t> script_offsets;
    std::uint16_t script_size = 0;
    std::vector<script_slot> scripts;  // slot 0 = title, slot n+1 = level n

    std::vector<std::uint16_t> demo_levels;  // level numbers counted from 0

    // The console layouts: one per movie, in the order of fmv_files; empty
    // on the PC.
    std::vector<movie_record> movie_records;

    std::int16_t game_strings1_count = 0;
    list_strings game_strings1;
    list_strings game_strings2;  // 41 entries on the PC, 80 on the PlayStation, 79 in its beta
    std::array<list_strings, 10> key_strings;  // Memo1..Memo10, level_count entries each
    // The PlayStation beta's six more per-level tables, Secret 1-4 and
    // Special 1-2 (Memo11..Memo16), level_count entries each; empty in the
    // other layouts, which have no place for them.
    std::array<list_strings, 6> beta_key_strings;

    // The bytes that followed the last key-string table of the file opened.
    // They are not part of the script: only their number is kept, and a save
    // leaves them out (and sets this to 0).
    std::size_t trailing_bytes = 0;

    // What a save of the file opened would write otherwise than it was read,
    // in file order; a save clears them, since the saved file has none.
    std::vector<read_repair> repairs;

    bool operator==(const Ttombpcdat&) const = default;
};

}  // namespace vellumark
