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
#include "codec/tables.h"

namespace vellumark {

// ---- reading -----------------------------------------------------------------

namespace {

[[noreturn]] void read_beyond_end() { throw_io_error(kErrReadBeyondEnd); }

// A count read as negative cannot size its table.
std::size_t checked_count(std::int16_t count) {
    if (count < 0) throw script_error("Range check error");
    return static_cast<std::size_t>(count);
}

}  // namespace

std::uint8_t script_reader::u8() {
    if (pos_ >= data_.size()) read_beyond_end();
    return data_[pos_++];
}

std::uint16_t script_reader::u16() {
    if (data_.size() - pos_ < 2) read_beyond_end();
    const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

std::uint32_t script_reader::u32() {
    if (data_.size() - pos_ < 4) read_beyond_end();
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + static_cast<std::size_t>(i)];
    pos_ += 4;
    return v;
}

void script_reader::raw(std::uint8_t* out, std::size_t n) {
    if (data_.size() - pos_ < n) read_beyond_end();
    std::memcpy(out, data_.data() + pos_, n);
    pos_ += n;
}

std::string script_reader::read_coded_string(const Ttombpcdat& doc) {
    const std::uint8_t key = (doc.flags & layout::kFlagCodedStrings) ? doc.cipher_byte : 0;
    // A string ends after its terminator (a byte that decodes to 0, so the
    // key itself), or after 256 bytes without one.
    const std::uint8_t* p = data_.data() + pos_;
    const std::size_t window = std::min<std::size_t>(data_.size() - pos_, 256);
    const void* end = std::memchr(p, key, window);
    std::size_t n;
    if (end) {
        n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - p);
    } else {
        if (window < 256) read_beyond_end();
        n = 256;
    }
    std::string s(reinterpret_cast<const char*>(p), n);
    if (key)
        for (char& c : s) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ key);
    pos_ += end ? n + 1 : n;
    return s;
}

void script_reader::read_sequence(script_slot& slot, int slot_index) {
    slot.command_count = 0;
    slot.operand_count = 0;
    for (;;) {
        if (slot.command_count == kSlotCapacity)
            throw script_error("Script sequence " + std::to_string(slot_index) +
                               " has more than 64 commands");
        script_command& cmd = slot.commands[static_cast<std::size_t>(slot.command_count)];
        cmd.command = u16();
        cmd.operand = cmd::kNoOperand;
        if (cmd::carries_operand(cmd.command)) {
            cmd.operand = u16();
            ++slot.operand_count;
        }
        ++slot.command_count;
        if (cmd.command == cmd::kEndOfSet) return;
    }
}

namespace {

// Returns whether the table's total size is the number of bytes its strings
// took.
bool read_table(script_reader& in, const Ttombpcdat& doc, list_strings& table, std::size_t n) {
    table.offsets.resize(n);
    table.strings.resize(n);
    for (auto& off : table.offsets) off = in.u16();
    table.total_size = in.u16();
    const std::size_t start = in.position();
    for (auto& s : table.strings) s = in.read_coded_string(doc);
    return in.position() - start == table.total_size;
}

template <std::size_t N>
void read_raw(script_reader& in, std::array<std::uint8_t, N>& a) {
    in.raw(a.data(), N);
}

// The entry count of a table as the header (or the word ahead of game
// strings 1) gives it.
std::size_t entries_of(const Ttombpcdat& doc, table_id id) {
    switch (id) {
    case table_id::pic_files: return checked_count(doc.pic_count);
    case table_id::title_files: return checked_count(doc.title_count);
    case table_id::fmv_files: return checked_count(doc.fmv_count);
    case table_id::cutscene_files: return checked_count(doc.cutscene_count);
    case table_id::game_strings1: return checked_count(doc.game_strings1_count);
    case table_id::game_strings2: return static_cast<std::size_t>(game_strings2_entries(doc.layout));
    default: return checked_count(doc.level_count);  // the per-level tables
    }
}

// Reads the image as laid out for `as`. trailing_bytes counts the bytes left
// after the last table; sizes_match tells whether every table's total size
// was the byte length of its strings.
Ttombpcdat read_layout(std::span<const std::uint8_t> bytes, script_layout as, bool& sizes_match) {
    Ttombpcdat doc;
    doc.layout = as;
    sizes_match = true;
    script_reader in(bytes);

    doc.version = in.u32();
    read_raw(in, doc.description);
    doc.reserved_a = in.u16();
    doc.first_option = static_cast<std::int32_t>(in.u32());
    doc.title_replace = static_cast<std::int32_t>(in.u32());
    doc.on_death_demo = static_cast<std::int32_t>(in.u32());
    doc.on_death_game = static_cast<std::int32_t>(in.u32());
    doc.demo_time = static_cast<std::int32_t>(in.u32());
    doc.on_interrupt = static_cast<std::int32_t>(in.u32());
    doc.on_demo_end = static_cast<std::int32_t>(in.u32());
    read_raw(in, doc.reserved_b);
    doc.level_count = static_cast<std::int16_t>(in.u16());
    doc.pic_count = static_cast<std::int16_t>(in.u16());
    doc.title_count = static_cast<std::int16_t>(in.u16());
    doc.fmv_count = static_cast<std::int16_t>(in.u16());
    doc.cutscene_count = static_cast<std::int16_t>(in.u16());
    doc.demo_level_count = static_cast<std::int16_t>(in.u16());
    doc.title_sound_id = static_cast<std::int16_t>(in.u16());
    doc.single_level = static_cast<std::int16_t>(in.u16());
    read_raw(in, doc.reserved_c);
    doc.flags = in.u16();
    read_raw(in, doc.reserved_d);
    doc.cipher_byte = in.u8();
    doc.reserved_f = in.u8();
    doc.secret_sound_id = static_cast<std::int16_t>(in.u16());
    read_raw(in, doc.reserved_e);

    // The six leading tables are sized in the header: a negative count among
    // them is a range error before any table is read.
    for (table_id id : {table_id::level_names, table_id::pic_files, table_id::title_files, table_id::fmv_files,
                        table_id::level_files, table_id::cutscene_files})
        entries_of(doc, id);

    for (const table_info& t : kTables) {
        if (t.id == table_id::game_strings1) {
            // Script sequences: level_count + 1 offsets (kept, never used),
            // then the block, read sequence by sequence until its size is
            // used up; the demo levels; the count ahead of game strings 1.
            doc.script_offsets.resize(entries_of(doc, table_id::level_names) + 1);
            for (auto& off : doc.script_offsets) off = in.u16();
            doc.script_size = in.u16();
            const std::size_t block_end = in.position() + doc.script_size;
            while (in.position() < block_end) {
                script_slot& slot = doc.scripts.emplace_back();
                in.read_sequence(slot, static_cast<int>(doc.scripts.size() - 1));
            }
            doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());

            // The whole list is read before an entry is looked up: a count
            // that runs past the end of the file is reported as that.
            doc.demo_levels.resize(checked_count(doc.demo_level_count));
            for (auto& level : doc.demo_levels) level = in.u16();
            for (auto level : doc.demo_levels)
                if (level >= doc.level_names.strings.size())
                    throw script_error("List index out of bounds (" + std::to_string(level) + ")");
            if (as == script_layout::playstation) {
                doc.movie_records.resize(entries_of(doc, table_id::fmv_files));
                for (movie_record& r : doc.movie_records) {
                    r.first = in.u32();
                    r.second = in.u32();
                }
            }
            doc.game_strings1_count = static_cast<std::int16_t>(in.u16());
        }
        if (!read_table(in, doc, table(doc, t.id), entries_of(doc, t.id))) sizes_match = false;
    }
    doc.trailing_bytes = bytes.size() - in.position();
    return doc;
}

}  // namespace

Ttombpcdat parse_script(std::span<const std::uint8_t> bytes) {
    std::optional<Ttombpcdat> pc;
    std::optional<script_error> pc_failure;
    bool sizes_match = true;
    try {
        pc = read_layout(bytes, script_layout::pc, sizes_match);
        if (pc->trailing_bytes == 0 && sizes_match) return std::move(*pc);
    } catch (const script_error& e) {
        pc_failure = e;
    }
    // A PlayStation script read as a PC one may end at the last byte all the
    // same, its strings slipping past the sizes given; only a reading that
    // accounts for every byte, every size right, makes a PlayStation script.
    try {
        Ttombpcdat console = read_layout(bytes, script_layout::playstation, sizes_match);
        if (console.trailing_bytes == 0 && sizes_match) return console;
    } catch (const script_error&) {
        // Not a PlayStation script either: the PC reading stands.
    }
    if (pc) return std::move(*pc);
    throw *pc_failure;
}

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

    for (int n = 0; n < kKeyStringTables; ++n) doc.key_strings[static_cast<std::size_t>(n)].strings.resize(levels);
    for (const table_info& t : kTables) lay_out(table(doc, t.id));

    doc.level_count = static_cast<std::int16_t>(levels);
    doc.pic_count = static_cast<std::int16_t>(doc.pic_files.strings.size());
    doc.title_count = static_cast<std::int16_t>(doc.title_files.strings.size());
    doc.fmv_count = static_cast<std::int16_t>(doc.fmv_files.strings.size());
    doc.cutscene_count = static_cast<std::int16_t>(doc.cutscene_files.strings.size());
    doc.demo_level_count = static_cast<std::int16_t>(doc.demo_levels.size());
    doc.game_strings1_count = static_cast<std::int16_t>(doc.game_strings1.strings.size());
    doc.flags = static_cast<std::uint16_t>((doc.flags & option_flag_bits()) | layout::kFlagCodedStrings |
                                           layout::kFlagAlwaysSet);
    doc.trailing_bytes = 0;

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

    for (const table_info& t : kTables) {
        if (t.id == table_id::game_strings1) {
            for (auto off : doc.script_offsets) w.u16(off);
            w.u16(doc.script_size);
            for (const auto& slot : doc.scripts) {
                for (int i = 0; i < slot.command_count; ++i) {
                    const auto& c = slot.commands[static_cast<std::size_t>(i)];
                    w.u16(c.command);
                    if (cmd::carries_operand(c.command)) w.u16(c.operand);
                }
            }
            for (auto level : doc.demo_levels) w.u16(level);
            if (doc.layout == script_layout::playstation)
                for (const movie_record& r : doc.movie_records) {
                    w.u32(r.first);
                    w.u32(r.second);
                }
            w.u16(static_cast<std::uint16_t>(doc.game_strings1_count));
        }
        write_table(w, table(doc, t.id), doc.flags, doc.cipher_byte);
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

void save_script_file(const std::string& path, Ttombpcdat& doc) {
    Ttombpcdat work = checked_copy(doc);
    atomic_write_file(path, serialise_script(work));
    doc = std::move(work);
}

}  // namespace vellumark
