#include "codec/script_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "codec/errors.h"
#include "codec/fileio.h"
#include "codec/layout.h"

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
        cmd.operand = layout::kNoOperand;
        if (layout::carries_operand(cmd.command)) {
            cmd.operand = u16();
            ++slot.operand_count;
        }
        ++slot.command_count;
        if (cmd.command == layout::kEndOfSet) return;
    }
}

namespace {

void read_table(script_reader& in, const Ttombpcdat& doc, list_strings& table, std::size_t n) {
    table.offsets.resize(n);
    table.strings.resize(n);
    for (auto& off : table.offsets) off = in.u16();
    table.total_size = in.u16();
    for (auto& s : table.strings) s = in.read_coded_string(doc);
}

template <std::size_t N>
void read_raw(script_reader& in, std::array<std::uint8_t, N>& a) {
    in.raw(a.data(), N);
}

}  // namespace

Ttombpcdat parse_script(std::span<const std::uint8_t> bytes) {
    Ttombpcdat doc;
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

    // The six leading tables are sized right after the header.
    const std::size_t levels = checked_count(doc.level_count);
    const std::size_t pics = checked_count(doc.pic_count);
    const std::size_t titles = checked_count(doc.title_count);
    const std::size_t fmvs = checked_count(doc.fmv_count);
    const std::size_t cutscenes = checked_count(doc.cutscene_count);

    read_table(in, doc, doc.level_names, levels);
    read_table(in, doc, doc.pic_files, pics);
    read_table(in, doc, doc.title_files, titles);
    read_table(in, doc, doc.fmv_files, fmvs);
    read_table(in, doc, doc.level_files, levels);
    read_table(in, doc, doc.cutscene_files, cutscenes);

    // Script sequences: level_count + 1 offsets (kept, never used), then the
    // block, read sequence by sequence until its size is used up.
    doc.script_offsets.resize(levels + 1);
    for (auto& off : doc.script_offsets) off = in.u16();
    doc.script_size = in.u16();
    const std::size_t block_end = in.position() + doc.script_size;
    while (in.position() < block_end) {
        script_slot& slot = doc.scripts.emplace_back();
        in.read_sequence(slot, static_cast<int>(doc.scripts.size() - 1));
    }
    doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());

    // The whole list is read before an entry is looked up: a count that runs
    // past the end of the file is reported as that.
    doc.demo_levels.resize(checked_count(doc.demo_level_count));
    for (auto& level : doc.demo_levels) level = in.u16();
    for (auto level : doc.demo_levels)
        if (level >= levels) throw script_error("List index out of bounds (" + std::to_string(level) + ")");

    doc.game_strings1_count = static_cast<std::int16_t>(in.u16());
    read_table(in, doc, doc.game_strings1, checked_count(doc.game_strings1_count));
    read_table(in, doc, doc.game_strings2, layout::kGameStrings2Count);
    for (auto& table : doc.key_strings) read_table(in, doc, table, levels);
    return doc;
}

namespace {

// No file the reader can take is larger than this: bytes past it could only
// ever be trailing bytes, which the reader ignores.
constexpr std::size_t kMaxReadBytes = std::size_t{256} << 20;

struct fd_closer {
    int fd;
    ~fd_closer() {
        if (fd >= 0) ::close(fd);
    }
};

// ENOENT means a missing file, or a missing folder on the path.
[[noreturn]] void throw_open_error(const std::string& path, int err) {
    if (err == ENOENT) {
        const auto parent = std::filesystem::path(path).parent_path();
        std::error_code ec;
        if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) throw_io_error(kErrInvalidFilename);
    }
    throw_errno(err);
}

[[noreturn]] void not_regular(const std::string& path) {
    throw script_error("Cannot open \"" + path + "\": it is not a regular file");
}

}  // namespace

std::vector<std::uint8_t> read_file_bytes(const std::string& path) {
    if (path.empty()) throw_io_error(kErrFileNotFound);
    // Only a regular file is read: a FIFO or a device could keep the open or
    // the reads waiting for ever. The open itself does not wait, in case the
    // name was changed into one meanwhile.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) not_regular(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) throw_open_error(path, errno);
    fd_closer closer{fd};

    if (::fstat(fd, &st) != 0) throw_errno(errno);
    if (S_ISDIR(st.st_mode)) throw_io_error(kErrAccessDenied);
    if (!S_ISREG(st.st_mode)) not_regular(path);

    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), kMaxReadBytes));
    std::uint8_t buf[65536];
    while (bytes.size() < kMaxReadBytes) {
        const std::size_t want = std::min(sizeof buf, kMaxReadBytes - bytes.size());
        const ssize_t r = ::read(fd, buf, want);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw_errno(errno);
        }
        if (r == 0) break;
        bytes.insert(bytes.end(), buf, buf + r);
    }
    return bytes;
}

void load_script_file(const std::string& path, Ttombpcdat& doc, script_views& views) {
    const std::vector<std::uint8_t> bytes = read_file_bytes(path);
    Ttombpcdat fresh = parse_script(bytes);
    doc = std::move(fresh);
    push_to_views(doc, views);
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

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// The most entries a table can have: more would read back as a negative count.
constexpr int kMaxEntries = 32767;

std::int16_t checked_entries(int count, const std::string& name) {
    if (count > kMaxEntries)
        throw script_error(quoted(name) + " has " + std::to_string(count) +
                           " entries; a script holds at most 32767");
    return static_cast<std::int16_t>(count < 0 ? 0 : count);
}

// Where a string of a table comes from, for the refusal messages.
struct table_source {
    std::string name;  // as the tab shows it
    bool memo = false; // key-string memo: lines rather than entries
};

[[noreturn]] void refuse_string(const table_source& src, int i, const std::string& why) {
    if (src.memo)
        throw script_error(src.name + ", line " + std::to_string(i + 1) + " " + why);
    throw script_error("Entry " + std::to_string(i) + " of " + quoted(src.name) + " " + why);
}

// Fills a table from the view's rows (plain text), checking that every
// string reads back the same and that the 16-bit offsets can describe it.
template <class RowFn>
void pull_table(list_strings& table, int n, const table_source& src, RowFn row) {
    table.strings.resize(static_cast<std::size_t>(n));
    table.offsets.resize(static_cast<std::size_t>(n));
    std::uint32_t acc = 0;
    for (int i = 0; i < n; ++i) {
        std::string s = row(i);
        if (s.size() > static_cast<std::size_t>(layout::kMaxStringLength))
            refuse_string(src, i, "is longer than 255 characters and cannot be saved");
        if (s.find('\0') != std::string::npos)
            refuse_string(src, i, "holds a character that cannot be saved");
        table.offsets[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(acc);
        acc += static_cast<std::uint32_t>(s.size()) + 1;
        table.strings[static_cast<std::size_t>(i)] = std::move(s);
    }
    if (acc > layout::kMaxBlockSize)
        throw script_error("The strings of " + quoted(src.name) +
                           " take more than 65535 bytes and cannot be saved");
    table.total_size = static_cast<std::uint16_t>(acc);
}

void write_table(byte_writer& w, const list_strings& table, std::uint16_t flags, std::uint8_t key) {
    for (auto off : table.offsets) w.u16(off);
    w.u16(table.total_size);
    const std::uint8_t k = (flags & layout::kFlagCodedStrings) ? key : 0;
    for (const auto& s : table.strings) {
        for (unsigned char c : s) w.u8(static_cast<std::uint8_t>(c ^ k));
        w.u8(k);
    }
}

script_slot lone_end_of_set() {
    script_slot slot;
    slot.command_count = 1;
    slot.commands[0] = {layout::kEndOfSet, layout::kNoOperand};
    return slot;
}

// Brings every slot into a form that reads back as itself, and the slot count
// up to level_count + 1.
void normalise_slots(Ttombpcdat& doc) {
    for (std::size_t k = 0; k < doc.scripts.size(); ++k) {
        script_slot& slot = doc.scripts[k];
        const std::string name = "Script slot " + std::to_string(k);
        if (slot.command_count <= 0) {
            slot = lone_end_of_set();
            continue;
        }
        if (slot.command_count > kSlotCapacity)
            throw script_error(name + " holds more than 64 commands");
        const int count = slot.command_count;
        for (int i = 0; i + 1 < count; ++i)
            if (slot.commands[static_cast<std::size_t>(i)].command == layout::kEndOfSet)
                throw script_error(name + " has a command after \"End of set\"; the game would not read it");
        if (slot.commands[static_cast<std::size_t>(count - 1)].command != layout::kEndOfSet) {
            if (count == kSlotCapacity)
                throw script_error(name + " holds 64 commands and no \"End of set\"; there is no room to end it");
            slot.commands[static_cast<std::size_t>(count)] = {layout::kEndOfSet, layout::kNoOperand};
            ++slot.command_count;
        }
    }
    const std::size_t wanted = static_cast<std::size_t>(doc.level_count) + 1;
    while (doc.scripts.size() < wanted) doc.scripts.push_back(lone_end_of_set());
    doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());
}

// Pulls the views into doc and produces the file image; doc is the caller's
// working copy.
std::vector<std::uint8_t> build_file(Ttombpcdat& doc, const script_views& views) {
    doc.first_option = views.spin_value(1);
    doc.title_replace = views.spin_value(2);
    doc.on_death_demo = views.spin_value(3);
    doc.on_death_game = views.spin_value(4);
    doc.demo_time = views.spin_value(5);
    doc.on_interrupt = views.spin_value(6);
    doc.on_demo_end = views.spin_value(7);
    doc.title_sound_id = static_cast<std::int16_t>(static_cast<std::uint16_t>(views.spin_value(8)));
    doc.secret_sound_id = static_cast<std::int16_t>(static_cast<std::uint16_t>(views.spin_value(9)));

    doc.level_count = checked_entries(views.list_count(1), "Level's Description");
    doc.pic_count = checked_entries(views.list_count(3), "Level's Pic file Names");
    doc.title_count = checked_entries(views.list_count(6), "Titles and legal file names");
    doc.fmv_count = checked_entries(views.list_count(4), "RPLs File Names");
    doc.cutscene_count = checked_entries(views.list_count(5), "Cut Scene File names");
    doc.demo_level_count = checked_entries(views.list_count(11), "Demo level list");
    doc.game_strings1_count = checked_entries(views.list_count(7), "Game String 1");

    std::uint16_t flags = layout::kFlagCodedStrings | layout::kFlagAlwaysSet;
    for (int box = 2; box <= 10; ++box)
        if (views.check_state(box)) flags |= layout::check_box_bit(box);
    doc.flags = flags;

    auto list_rows = [&views](int list) { return [&views, list](int i) { return views.list_row(list, i); }; };
    pull_table(doc.level_names, doc.level_count, {"Level's Description"}, list_rows(1));
    pull_table(doc.pic_files, doc.pic_count, {"Level's Pic file Names"}, list_rows(3));
    pull_table(doc.title_files, doc.title_count, {"Titles and legal file names"}, list_rows(6));
    pull_table(doc.fmv_files, doc.fmv_count, {"RPLs File Names"}, list_rows(4));
    pull_table(doc.level_files, doc.level_count, {"Level's File Names"}, list_rows(2));
    pull_table(doc.cutscene_files, doc.cutscene_count, {"Cut Scene File names"}, list_rows(5));
    pull_table(doc.game_strings1, doc.game_strings1_count, {"Game String 1"}, list_rows(7));
    pull_table(doc.game_strings2, layout::kGameStrings2Count, {"Game String 2"}, list_rows(8));
    for (int n = 1; n <= layout::kKeyStringTables; ++n)
        pull_table(doc.key_strings[static_cast<std::size_t>(n - 1)], doc.level_count,
                   {"Key Strings #" + std::to_string(n), true},
                   [&views, n](int i) { return views.memo_line(n, i); });

    // A demo entry must name a level, or the file would not open again.
    doc.demo_levels.resize(static_cast<std::size_t>(doc.demo_level_count), 0);
    for (std::size_t i = 0; i < doc.demo_levels.size(); ++i)
        if (doc.demo_levels[i] >= doc.level_count)
            throw script_error("Demo level entry " + std::to_string(i) + " names level " +
                               std::to_string(doc.demo_levels[i]) + ", but the script has " +
                               std::to_string(doc.level_count) + " levels");

    normalise_slots(doc);
    std::uint32_t acc = 0;
    const std::size_t offset_count = static_cast<std::size_t>(doc.level_count) + 1;
    doc.script_offsets.assign(offset_count, 0);
    for (std::size_t k = 0; k < doc.scripts.size(); ++k) {
        script_slot& slot = doc.scripts[k];
        if (k < offset_count) doc.script_offsets[k] = static_cast<std::uint16_t>(acc);
        slot.operand_count = 0;
        for (int i = 0; i < slot.command_count; ++i)
            if (layout::carries_operand(slot.commands[static_cast<std::size_t>(i)].command)) ++slot.operand_count;
        acc += 2u * static_cast<std::uint32_t>(slot.command_count + slot.operand_count);
    }
    if (acc > layout::kMaxBlockSize)
        throw script_error("The script slots take more than 65535 bytes and cannot be saved");
    doc.script_size = static_cast<std::uint16_t>(acc);

    // Everything is checked: produce the bytes.
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

    const auto f = doc.flags;
    const auto key = doc.cipher_byte;
    write_table(w, doc.level_names, f, key);
    write_table(w, doc.pic_files, f, key);
    write_table(w, doc.title_files, f, key);
    write_table(w, doc.fmv_files, f, key);
    write_table(w, doc.level_files, f, key);
    write_table(w, doc.cutscene_files, f, key);

    for (auto off : doc.script_offsets) w.u16(off);
    w.u16(doc.script_size);
    for (const auto& slot : doc.scripts) {
        for (int i = 0; i < slot.command_count; ++i) {
            const auto& cmd = slot.commands[static_cast<std::size_t>(i)];
            w.u16(cmd.command);
            if (layout::carries_operand(cmd.command)) w.u16(cmd.operand);
        }
    }
    for (auto level : doc.demo_levels) w.u16(level);
    w.u16(static_cast<std::uint16_t>(doc.game_strings1_count));
    write_table(w, doc.game_strings1, f, key);
    write_table(w, doc.game_strings2, f, key);
    for (const auto& table : doc.key_strings) write_table(w, table, f, key);
    return std::move(w.out);
}

// A copy of the document for a save to work on. The string tables are left
// out: the save rebuilds every one of them from the views.
Ttombpcdat working_copy(Ttombpcdat& doc) {
    std::array<list_strings*, 18> tables = {&doc.level_names, &doc.pic_files, &doc.title_files,
                                            &doc.fmv_files, &doc.level_files, &doc.cutscene_files,
                                            &doc.game_strings1, &doc.game_strings2};
    for (std::size_t i = 0; i < doc.key_strings.size(); ++i) tables[8 + i] = &doc.key_strings[i];
    std::array<list_strings, 18> held;
    for (std::size_t i = 0; i < tables.size(); ++i) held[i] = std::move(*tables[i]);
    struct restore {
        std::array<list_strings*, 18>& tables;
        std::array<list_strings, 18>& held;
        ~restore() {
            for (std::size_t i = 0; i < tables.size(); ++i) *tables[i] = std::move(held[i]);
        }
    } guard{tables, held};
    return doc;
}

}  // namespace

std::vector<std::uint8_t> write_script_file(Ttombpcdat& doc, const script_views& views) {
    Ttombpcdat work = working_copy(doc);
    std::vector<std::uint8_t> bytes = build_file(work, views);
    doc = std::move(work);
    return bytes;
}

void save_script_file(const std::string& path, Ttombpcdat& doc, const script_views& views) {
    Ttombpcdat work = working_copy(doc);
    const std::vector<std::uint8_t> bytes = build_file(work, views);
    atomic_write_file(path, bytes);
    doc = std::move(work);
}

}  // namespace vellumark
