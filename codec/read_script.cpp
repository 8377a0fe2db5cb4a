// Reading a file image into a record. The image is read in every layout, and
// the reading that explains it best is taken (see parse_script in
// codec/script_file.h). Every section is read as file_sections() lists it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "codec/check.h"
#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/options.h"
#include "codec/script_file.h"
#include "codec/sections.h"
#include "codec/tables.h"

namespace vellumark {

namespace {

[[noreturn]] void read_beyond_end() { throw_io_error(kErrReadBeyondEnd); }

// A count read as negative cannot size its table.
std::size_t checked_count(std::int16_t count) {
    if (count < 0) throw script_error("Range check error");
    return static_cast<std::size_t>(count);
}

}  // namespace

// ---- script_reader -------------------------------------------------------------

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
            throw script_error("Script sequence " + std::to_string(slot_index) + " has more than 64 commands");
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

// What a reading has found so far against the file's own description of
// itself: the bytes that its offsets and sizes confirm, and the bytes of
// finished parts that they contradict. Data that nothing describes (the
// header, the demo list, the movie records, a count) is neither, and so is a
// part the reading could not finish.
struct tally {
    std::size_t confirmed = 0;
    std::size_t contradicted = 0;
};

// A run of items laid out one after another (the strings of a table, the
// slots of the sequence block), checked against the offsets the file gives
// for them and the size it gives for the whole run. An offset that agrees
// confirms its own two bytes and the items since the last one that agreed;
// the size does the same for the items after the last offset. The first
// offset and the size of an empty run are always 0, so they confirm nothing.
class run_check {
public:
    explicit run_check(const std::vector<std::uint16_t>& offsets) : offsets_(offsets) {}

    // Item k begins `at` bytes into the run.
    void begins(std::size_t k, std::size_t at) {
        if (k >= offsets_.size()) return;  // no offset for it: the size vouches for it
        const bool agrees = offsets_[k] == at;
        if (agrees) {
            if (k > 0) found_.confirmed += 2;
        } else {
            found_.contradicted += 2;
            if (wrong_++ == 0) {
                first_wrong_ = k;
                first_wanted_ = at;
            }
        }
        (agrees ? found_.confirmed : found_.contradicted) += pending_;
        pending_ = 0;
    }
    void ends(std::size_t length) { pending_ += length; }

    // The run took `taken` bytes for `items` items; `size` is what the file
    // says. Offsets past the last item describe items that are not there.
    void finish(std::size_t items, std::size_t taken, std::uint16_t size, tally& into) {
        size_agrees_ = size == taken;
        if (items < offsets_.size()) found_.contradicted += 2 * (offsets_.size() - items);
        if (!size_agrees_)
            found_.contradicted += 2;
        else if (items > 0)
            found_.confirmed += 2;
        (size_agrees_ ? found_.confirmed : found_.contradicted) += pending_;
        into.confirmed += found_.confirmed;
        into.contradicted += found_.contradicted;
    }

    bool size_agrees() const { return size_agrees_; }
    std::size_t wrong() const { return wrong_; }
    std::size_t first_wrong() const { return first_wrong_; }
    std::size_t first_wanted() const { return first_wanted_; }
    std::uint16_t first_found() const { return offsets_[first_wrong_]; }

private:
    const std::vector<std::uint16_t>& offsets_;
    tally found_;
    std::size_t pending_ = 0;
    std::size_t wrong_ = 0, first_wrong_ = 0, first_wanted_ = 0;
    bool size_agrees_ = true;
};

// Where a finished section lay, and the tally at its end.
struct section_mark {
    section part;
    std::size_t start = 0, end = 0;
    tally after;

    bool same_place(const section_mark& o) const { return part == o.part && start == o.start && end == o.end; }
};

// The file read in one layout: the record, or the first problem that stopped
// the reading.
struct reading {
    Ttombpcdat doc;
    std::optional<std::string> failure;
    tally total;
    std::vector<section_mark> marks;

    // Every size and offset agrees, and the script ends at the last byte.
    bool exact() const { return !failure && total.contradicted == 0 && doc.trailing_bytes == 0; }
};

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

std::uint32_t narrow(std::size_t v) { return static_cast<std::uint32_t>(std::min<std::size_t>(v, UINT32_MAX)); }

class layout_reader {
public:
    layout_reader(std::span<const std::uint8_t> bytes, script_layout as) : bytes_(bytes), in_(bytes) {
        r_.doc.layout = as;
    }

    reading run() && {
        try {
            for (const section& s : file_sections(r_.doc.layout)) {
                const std::size_t start = in_.position();
                switch (s.kind) {
                case section_kind::header: header(); break;
                case section_kind::table: table(s.table); break;
                case section_kind::sequences: sequences(); break;
                case section_kind::demo_levels: demo_levels(); break;
                case section_kind::movie_records: movie_records(); break;
                }
                r_.marks.push_back({s, start, in_.position(), r_.total});
            }
            r_.doc.trailing_bytes = bytes_.size() - in_.position();
        } catch (const script_error& e) {
            r_.failure = e.what();
        }
        return std::move(r_);
    }

private:
    template <std::size_t N>
    void raw(std::array<std::uint8_t, N>& a) {
        in_.raw(a.data(), N);
    }

    void repair(read_repair::kind what, table_id id, std::size_t index, std::size_t found, std::size_t written,
                std::size_t others = 0) {
        r_.doc.repairs.push_back({what, id, index == SIZE_MAX ? -1 : std::int32_t(index), narrow(found),
                                  narrow(written), narrow(others)});
    }

    void header() {
        Ttombpcdat& doc = r_.doc;
        doc.version = in_.u32();
        raw(doc.description);
        doc.reserved_a = in_.u16();
        doc.first_option = static_cast<std::int32_t>(in_.u32());
        doc.title_replace = static_cast<std::int32_t>(in_.u32());
        doc.on_death_demo = static_cast<std::int32_t>(in_.u32());
        doc.on_death_game = static_cast<std::int32_t>(in_.u32());
        doc.demo_time = static_cast<std::int32_t>(in_.u32());
        doc.on_interrupt = static_cast<std::int32_t>(in_.u32());
        doc.on_demo_end = static_cast<std::int32_t>(in_.u32());
        raw(doc.reserved_b);
        doc.level_count = static_cast<std::int16_t>(in_.u16());
        doc.pic_count = static_cast<std::int16_t>(in_.u16());
        doc.title_count = static_cast<std::int16_t>(in_.u16());
        doc.fmv_count = static_cast<std::int16_t>(in_.u16());
        doc.cutscene_count = static_cast<std::int16_t>(in_.u16());
        doc.demo_level_count = static_cast<std::int16_t>(in_.u16());
        doc.title_sound_id = static_cast<std::int16_t>(in_.u16());
        doc.single_level = static_cast<std::int16_t>(in_.u16());
        raw(doc.reserved_c);
        doc.flags = in_.u16();
        raw(doc.reserved_d);
        doc.cipher_byte = in_.u8();
        doc.reserved_f = in_.u8();
        doc.secret_sound_id = static_cast<std::int16_t>(in_.u16());
        raw(doc.reserved_e);

        // The six leading tables are sized in the header: a negative count
        // among them is a range error before any table is read.
        for (table_id id : {table_id::level_names, table_id::pic_files, table_id::title_files, table_id::fmv_files,
                            table_id::level_files, table_id::cutscene_files})
            entries_of(doc, id);

        const std::uint16_t saved = saved_flags(doc.flags);
        if (saved != doc.flags) repair(read_repair::kind::flags, {}, SIZE_MAX, doc.flags, saved);
    }

    // A string table; game strings 1 with its count word ahead of it.
    void table(table_id id) {
        Ttombpcdat& doc = r_.doc;
        if (id == table_id::game_strings1) doc.game_strings1_count = static_cast<std::int16_t>(in_.u16());
        list_strings& t = vellumark::table(doc, id);
        const std::size_t n = entries_of(doc, id);
        t.offsets.resize(n);
        t.strings.resize(n);
        for (auto& off : t.offsets) off = in_.u16();
        t.total_size = in_.u16();
        const std::size_t start = in_.position();
        run_check check(t.offsets);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = in_.position();
            check.begins(i, at - start);
            t.strings[i] = in_.read_coded_string(doc);
            check.ends(in_.position() - at);
        }
        const std::size_t taken = in_.position() - start;
        check.finish(n, taken, t.total_size, r_.total);
        if (check.wrong())
            repair(read_repair::kind::table_offsets, id, check.first_wrong(), check.first_found(),
                   check.first_wanted(), check.wrong() - 1);
        if (!check.size_agrees()) repair(read_repair::kind::table_size, id, SIZE_MAX, t.total_size, taken);
    }

    // Script sequences: level_count + 1 offsets, then the block, read
    // sequence by sequence until its size is used up.
    void sequences() {
        Ttombpcdat& doc = r_.doc;
        doc.script_offsets.resize(entries_of(doc, table_id::level_names) + 1);
        for (auto& off : doc.script_offsets) off = in_.u16();
        doc.script_size = in_.u16();
        const std::size_t start = in_.position();
        const std::size_t block_end = start + doc.script_size;
        run_check check(doc.script_offsets);
        while (in_.position() < block_end) {
            const std::size_t at = in_.position();
            check.begins(doc.scripts.size(), at - start);
            script_slot& slot = doc.scripts.emplace_back();
            in_.read_sequence(slot, static_cast<int>(doc.scripts.size() - 1));
            check.ends(in_.position() - at);
        }
        doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());
        const std::size_t taken = in_.position() - start;
        check.finish(doc.scripts.size(), taken, doc.script_size, r_.total);
        if (check.wrong())
            repair(read_repair::kind::slot_offsets, {}, check.first_wrong(), check.first_found(), check.first_wanted(),
                   check.wrong() - 1);
        if (!check.size_agrees()) repair(read_repair::kind::slot_size, {}, SIZE_MAX, doc.script_size, taken);
        if (doc.scripts.size() < doc.script_offsets.size())
            repair(read_repair::kind::slot_count, {}, SIZE_MAX, doc.scripts.size(), doc.script_offsets.size());
    }

    void demo_levels() {
        Ttombpcdat& doc = r_.doc;
        // The whole list is read before an entry is looked up: a count that
        // runs past the end of the file is reported as that.
        doc.demo_levels.resize(checked_count(doc.demo_level_count));
        for (auto& level : doc.demo_levels) level = in_.u16();
        for (auto level : doc.demo_levels)
            if (level >= doc.level_names.strings.size())
                throw script_error("List index out of bounds (" + std::to_string(level) + ")");
    }

    void movie_records() {
        Ttombpcdat& doc = r_.doc;
        doc.movie_records.resize(entries_of(doc, table_id::fmv_files));
        for (movie_record& rec : doc.movie_records) {
            rec.first = in_.u32();
            rec.second = in_.u32();
        }
    }

    std::span<const std::uint8_t> bytes_;
    script_reader in_;
    reading r_;
};

// Where reading a parts from reading b: the index of a's first section that
// b does not read at the same place. A section that reads nothing (the movie
// records of a script without movies) parts from nothing.
std::size_t parting(const reading& a, const reading& b) {
    for (std::size_t i = 0; i < a.marks.size(); ++i) {
        const section_mark& m = a.marks[i];
        const auto same = std::find_if(b.marks.begin(), b.marks.end(),
                                       [&](const section_mark& o) { return o.part == m.part; });
        if (same != b.marks.end() ? !same->same_place(m) : m.start != m.end) return i;
    }
    return a.marks.size();
}

// Whether the offsets and sizes of a stretch of a reading confirm at least
// as many bytes as they contradict.
bool agrees(const tally& from, const tally& to) {
    return to.confirmed - from.confirmed >= to.contradicted - from.contradicted;
}

// Does a reading read the file as a script reads where it parts from the
// others? There the first section that its offsets and sizes check, and all
// its sections from there together, must confirm at least as many bytes as
// they contradict. A reading in the wrong layout reads that first section at
// the wrong place, where its offsets cannot agree (a wrong-layout reading may
// fall back into step with the strings later on, by luck).
bool in_step(const std::vector<reading>& all, std::size_t i) {
    const reading& r = all[i];
    std::size_t from = r.marks.size();
    for (std::size_t j = 0; j < all.size(); ++j)
        if (j != i) from = std::min(from, parting(r, all[j]));
    const tally start = from > 0 ? r.marks[from - 1].after : tally{};
    tally before = start;
    for (std::size_t k = from; k < r.marks.size(); ++k) {
        const tally& after = r.marks[k].after;
        if (after.confirmed != before.confirmed || after.contradicted != before.contradicted) {
            if (!agrees(before, after)) return false;
            break;
        }
        before = after;
    }
    return agrees(start, r.total);
}

// The first thing wrong with a reading, for a refusal that names them all:
// what stopped it, or the first size or offset that disagrees ("the size of
// Game String 1 says 430 bytes, its strings take 474"), or its stray bytes.
std::string first_problem(const reading& r) {
    std::string problem;
    if (r.failure) return *r.failure;
    for (const read_repair& rep : r.doc.repairs)
        if (rep.what != read_repair::kind::flags && problem.empty()) problem = repair_message(r.doc, rep);
    if (problem.empty()) problem = trailing_bytes_message(r.doc).value_or("");
    return problem.substr(0, problem.find("; a save"));
}

std::string refusal(const std::vector<reading>& all, std::size_t chosen) {
    const reading& r = all[chosen];
    // The script of one layout, cut short or damaged; or a file that every
    // layout refuses alike, before they part.
    const bool alike = std::all_of(all.begin(), all.end(), [&](const reading& o) { return o.failure == r.failure; });
    if (chosen != 0 || alike || in_step(all, chosen)) return *r.failure;
    // No layout explains the file: each one's first problem.
    std::string message = "The file is not a script";
    for (const reading& o : all)
        message.append(&o == &all.front() ? ": " : "; ")
            .append("read as a ")
            .append(layout_name(o.doc.layout))
            .append(" script: ")
            .append(first_problem(o));
    return message;
}

}  // namespace

Ttombpcdat parse_script(std::span<const std::uint8_t> bytes) {
    std::vector<reading> all;
    all.reserve(std::size(kLayouts));
    for (script_layout as : kLayouts) {
        all.push_back(layout_reader(bytes, as).run());
        // A reading that every offset and size agrees with, to the last byte:
        // nothing is left to explain.
        if (all.back().exact()) return std::move(all.back().doc);
    }
    // The layout whose sizes and offsets confirm the most bytes; a later one
    // only when it confirms more, and reads in step where it parts from the
    // others. An earlier layout keeps a tie.
    std::size_t chosen = 0;
    for (std::size_t i = 1; i < all.size(); ++i)
        if (all[i].total.confirmed > all[chosen].total.confirmed && in_step(all, i)) chosen = i;
    if (!all[chosen].failure) return std::move(all[chosen].doc);
    throw script_error(refusal(all, chosen));
}

}  // namespace vellumark
