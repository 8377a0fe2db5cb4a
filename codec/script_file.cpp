#include "codec/script_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "codec/check.h"
#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/fileio.h"
#include "codec/layout.h"
#include "codec/options.h"
#include "codec/sections.h"
#include "codec/tables.h"

namespace vellumark {

// ---- reading -----------------------------------------------------------------

std::optional<std::string> trailing_bytes_message(const Ttombpcdat& doc) {
    if (doc.trailing_bytes == 0) return std::nullopt;
    std::string message = std::to_string(doc.trailing_bytes);
    message.append(" bytes after the last key-string table are not part of the script; a save will not keep them.");
    return message;
}

Ttombpcdat load_script_file(const std::string& path) {
    return parse_script(read_file_bytes(path, kMaxScriptBytes, "a script"));
}

// ---- writing -----------------------------------------------------------------

std::uint16_t saved_flags(std::uint16_t flags) {
    return static_cast<std::uint16_t>((flags & option_flag_bits()) | layout::kFlagCodedStrings |
                                      layout::kFlagAlwaysSet);
}

std::string encode_string(std::uint16_t flags, std::uint8_t key, std::string_view text) {
    std::string out;
    out.reserve(text.size() + 1);
    const std::uint8_t k = (flags & layout::kFlagCodedStrings) ? key : 0;
    for (unsigned char c : text) out.push_back(static_cast<char>(c ^ k));
    out.push_back(static_cast<char>(k));
    return out;
}

namespace {

class byte_writer {
public:
    std::vector<std::uint8_t> out;

    void u8(std::uint8_t v) { out.push_back(v); }
    void u16(std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    template <std::size_t N>
    void raw(const std::array<std::uint8_t, N>& a) {
        out.insert(out.end(), a.begin(), a.end());
    }
};

void write_table(byte_writer& w, const list_strings& table, std::uint16_t flags, std::uint8_t key) {
    for (auto off : table.offsets) w.u16(off);
    w.u16(table.total_size);
    const std::uint8_t k = (flags & layout::kFlagCodedStrings) ? key : 0;
    for (const auto& s : table.strings) {
        for (unsigned char c : s) w.u8(static_cast<std::uint8_t>(c ^ k));
        w.u8(k);
    }
}

// The 390-byte header.
void write_header(byte_writer& w, const Ttombpcdat& doc) {
    w.u32(doc.version);
    w.raw(doc.description);
    w.u16(doc.reserved_a);
    w.u32(static_cast<std::uint32_t>(doc.first_option));
    w.u32(static_cast<std::uint32_t>(doc.title_replace));
    w.u32(static_cast<std::uint32_t>(doc.on_death_demo));
    w.u32(static_cast<std::uint32_t>(doc.on_death_game));
    w.u32(static_cast<std::uint32_t>(doc.demo_time));
    w.u32(static_cast<std::uint32_t>(doc.on_interrupt));
    w.u32(static_cast<std::uint32_t>(doc.on_demo_end));
    w.raw(doc.reserved_b);
    for (std::int16_t v : {doc.level_count, doc.pic_count, doc.title_count, doc.fmv_count, doc.cutscene_count,
                           doc.demo_level_count, doc.title_sound_id, doc.single_level})
        w.u16(static_cast<std::uint16_t>(v));
    w.raw(doc.reserved_c);
    w.u16(doc.flags);
    w.raw(doc.reserved_d);
    w.u8(doc.cipher_byte);
    w.u8(doc.reserved_f);
    w.u16(static_cast<std::uint16_t>(doc.secret_sound_id));
    w.raw(doc.reserved_e);
}

// Offsets and total size of a table from its strings.
void lay_out(list_strings& table) {
    table.offsets.resize(table.strings.size());
    std::uint32_t acc = 0;
    for (std::size_t i = 0; i < table.strings.size(); ++i) {
        table.offsets[i] = static_cast<std::uint16_t>(acc);
        acc += static_cast<std::uint32_t>(table.strings[i].size()) + 1;
    }
    table.total_size = static_cast<std::uint16_t>(acc);
}

}  // namespace

void normalise_script(Ttombpcdat& doc) {
    const std::size_t levels = doc.level_names.strings.size();
    for (script_slot& slot : doc.scripts) {
        if (slot.command_count <= 0) {
            slot = end_of_set_slot();
            continue;
        }
        const auto count = static_cast<std::size_t>(slot.command_count);
        if (count < static_cast<std::size_t>(kSlotCapacity) && slot.commands[count - 1].command != cmd::kEndOfSet) {
            slot.commands[count] = {cmd::kEndOfSet, cmd::kNoOperand};
            ++slot.command_count;
        }
    }
    while (doc.scripts.size() < levels + 1) doc.scripts.push_back(end_of_set_slot());
    doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());

    const int keys = key_table_count(doc.layout);
    for (int n = 0; n < kKeyStringTables + kBetaKeyStringTables; ++n) {
        list_strings& t = table(doc, key_table(n));
        t.strings.resize(n < keys ? levels : 0);
        lay_out(t);
    }
    for (const table_info& t : kTables)
        if (!is_key_table(t.id)) lay_out(table(doc, t.id));

    doc.level_count = static_cast<std::int16_t>(levels);
    doc.pic_count = static_cast<std::int16_t>(doc.pic_files.strings.size());
    doc.title_count = static_cast<std::int16_t>(doc.title_files.strings.size());
    doc.fmv_count = static_cast<std::int16_t>(doc.fmv_files.strings.size());
    doc.cutscene_count = static_cast<std::int16_t>(doc.cutscene_files.strings.size());
    doc.demo_level_count = static_cast<std::int16_t>(doc.demo_levels.size());
    doc.game_strings1_count = static_cast<std::int16_t>(doc.game_strings1.strings.size());
    doc.flags = saved_flags(doc.flags);
    doc.trailing_bytes = 0;
    doc.repairs.clear();

    // The file holds level_count + 1 offsets; slots past them are read back
    // all the same, since the reader goes by the block's size.
    std::uint32_t acc = 0;
    doc.script_offsets.assign(levels + 1, 0);
    for (std::size_t k = 0; k < doc.scripts.size(); ++k) {
        script_slot& slot = doc.scripts[k];
        if (k < doc.script_offsets.size()) doc.script_offsets[k] = static_cast<std::uint16_t>(acc);
        slot.operand_count = 0;
        for (int i = 0; i < slot.command_count; ++i)
            if (cmd::carries_operand(slot.commands[static_cast<std::size_t>(i)].command)) ++slot.operand_count;
        acc += 2u * static_cast<std::uint32_t>(slot.command_count + slot.operand_count);
    }
    doc.script_size = static_cast<std::uint16_t>(acc);
}

std::vector<std::uint8_t> serialise_script(const Ttombpcdat& doc) {
    byte_writer w;
    w.out.reserve(64 * 1024);
    for (const section& s : file_sections(doc.layout)) {
        switch (s.kind) {
        case section_kind::header: write_header(w, doc); break;
        case section_kind::table:
            if (s.table == table_id::game_strings1) w.u16(static_cast<std::uint16_t>(doc.game_strings1_count));
            write_table(w, table(doc, s.table), doc.flags, doc.cipher_byte);
            break;
        case section_kind::sequences:
            for (auto off : doc.script_offsets) w.u16(off);
            w.u16(doc.script_size);
            for (const auto& slot : doc.scripts) {
                for (int i = 0; i < slot.command_count; ++i) {
                    const auto& c = slot.commands[static_cast<std::size_t>(i)];
                    w.u16(c.command);
                    if (cmd::carries_operand(c.command)) w.u16(c.operand);
                }
            }
            break;
        case section_kind::demo_levels:
            for (auto level : doc.demo_levels) w.u16(level);
            break;
        case section_kind::movie_records:
            for (const movie_record& r : doc.movie_records) {
                w.u32(r.first);
                w.u32(r.second);
            }
            break;
        }
    }
    return std::move(w.out);
}

namespace {

// A copy of the document for a save to work on; the caller's record takes it
// only once the save has completed.
Ttombpcdat checked_copy(const Ttombpcdat& doc) {
    refuse_errors(check_script(doc));
    Ttombpcdat work = doc;
    normalise_script(work);
    return work;
}

}  // namespace

std::vector<std::uint8_t> write_script_file(Ttombpcdat& doc) {
    Ttombpcdat work = checked_copy(doc);
    std::vector<std::uint8_t> bytes = serialise_script(work);
    doc = std::move(work);
    return bytes;
}

void save_script_file(const std::string& path, Ttombpcdat& doc, backup_rule backup) {
    Ttombpcdat work = checked_copy(doc);
    atomic_write_file(path, serialise_script(work), backup);
    doc = std::move(work);
}

}  // namespace vellumark
