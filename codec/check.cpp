#include "codec/check.h"

#include <algorithm>
#include <optional>

#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "codec/sections.h"

namespace vellumark {

namespace {

// Built by appending: g++ 12 warns falsely (-Wrestrict) about the same
// written as a concatenation.
std::string quoted(std::string_view s) {
    std::string q(1, '"');
    q.append(s).push_back('"');
    return q;
}

class checker {
public:
    explicit checker(const Ttombpcdat& doc) : doc_(doc) {
        for (const section& s : file_sections(doc.layout))
            if (s.kind == section_kind::movie_records) has_records_ = true;
    }

    std::vector<problem> run() {
        for (const section& s : file_sections(doc_.layout)) {
            switch (s.kind) {
            case section_kind::header: break;
            case section_kind::table:
                entry_count(s.table);
                strings(s.table);
                break;
            case section_kind::sequences: {
                slots();
                const std::size_t sequences = normalised_sequence_bytes(doc_);
                if (sequences > layout::kMaxBlockSize)
                    error(problem_kind::sequences_too_large, {place::area::slot}, std::int64_t(sequences),
                          layout::kMaxBlockSize, "The script slots take more than 65535 bytes and cannot be saved");
                break;
            }
            case section_kind::demo_levels:
                if (doc_.demo_levels.size() > static_cast<std::size_t>(kMaxEntries))
                    error(problem_kind::too_many_entries, {place::area::demo_levels},
                          std::int64_t(doc_.demo_levels.size()), kMaxEntries,
                          "\"Demo level list\" has " + std::to_string(doc_.demo_levels.size()) +
                              " entries; a script holds at most 32767");
                demo_levels();
                // A layout without movie records has no place for any.
                if (!has_records_) movie_records();
                break;
            case section_kind::movie_records: movie_records(); break;
            }
            repairs_of(s);
        }
        beta_tables_elsewhere();
        if (const auto stray = trailing_bytes_message(doc_))
            warning(problem_kind::trailing_bytes, {}, std::int64_t(doc_.trailing_bytes), 0, *stray);
        return std::move(out_);
    }

private:
    void error(problem_kind kind, place where, std::int64_t value, std::int64_t limit, std::string message) {
        out_.push_back({severity::error, kind, where, value, limit, std::move(message)});
    }
    void warning(problem_kind kind, place where, std::int64_t value, std::int64_t limit, std::string message) {
        out_.push_back({severity::warning, kind, where, value, limit, std::move(message)});
    }

    static std::string counted(std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    }

    static place at(table_id id, int index = -1) { return {place::area::table, id, index}; }

    // The entries a save writes: one per level for the per-level tables.
    std::size_t written(table_id id) const {
        const std::size_t n = table(doc_, id).strings.size();
        return is_key_table(id) ? std::min<std::size_t>(n, doc_.level_names.strings.size()) : n;
    }

    void entry_count(table_id id) {
        const std::string name(info(id).heading);
        const std::size_t n = table(doc_, id).strings.size();
        const std::size_t levels = doc_.level_names.strings.size();
        if (!is_key_table(id) && n > static_cast<std::size_t>(kMaxEntries)) {
            error(problem_kind::too_many_entries, at(id), std::int64_t(n), kMaxEntries,
                  quoted(name) + " has " + std::to_string(n) + " entries; a script holds at most 32767");
        } else if (id == table_id::level_files && n != levels) {
            error(problem_kind::wrong_entry_count, at(id), std::int64_t(n), std::int64_t(levels),
                  quoted(name) + " has " + std::to_string(n) + " entries; it needs one per level (" +
                      std::to_string(levels) + ")");
        } else if (id == table_id::game_strings2 &&
                   n != static_cast<std::size_t>(game_strings2_entries(doc_.layout))) {
            const int wanted = game_strings2_entries(doc_.layout);
            std::string message = quoted(name) + " has " + std::to_string(n) + " entries; ";
            if (doc_.layout == script_layout::pc)
                message.append("it always has ");
            else
                message.append("the ").append(layout_name(doc_.layout)).append(" layout always has ");
            message.append(std::to_string(wanted));
            error(problem_kind::wrong_entry_count, at(id), std::int64_t(n), wanted, std::move(message));
        }
    }

    // The console layouts have one movie record per movie; the PC layout
    // has nowhere to store one.
    void movie_records() {
        const std::size_t n = doc_.movie_records.size();
        const std::size_t movies = doc_.fmv_files.strings.size();
        const bool console = has_records_;
        if (n == (console ? movies : 0)) return;
        std::string message = "The " + std::string(layout_name(doc_.layout)) + " layout ";
        message.append(console ? "needs one movie record per movie: the script has "
                               : "holds no movie records, but the script has ");
        if (console) message.append(std::to_string(movies)).append(movies == 1 ? " movie and " : " movies and ");
        message.append(std::to_string(n)).append(n == 1 ? " record" : " records");
        error(problem_kind::wrong_record_count, {place::area::movie_records}, std::int64_t(n),
              console ? std::int64_t(movies) : 0, std::move(message));
    }

    // The tables of the PlayStation beta alone have no place in the other
    // layouts: a save would lose what they hold.
    void beta_tables_elsewhere() {
        if (doc_.layout == script_layout::playstation_beta) return;
        for (const table_info& t : kBetaTables) {
            const auto& lines = table(doc_, t.id).strings;
            if (std::all_of(lines.begin(), lines.end(), [](const std::string& s) { return s.empty(); })) continue;
            error(problem_kind::table_not_in_layout, at(t.id), std::int64_t(lines.size()), 0,
                  "The " + std::string(layout_name(doc_.layout)) + " layout holds no " + quoted(t.heading) +
                      " table, but the script has text in it");
        }
    }

    void strings(table_id id) {
        const auto& all = table(doc_, id).strings;
        const std::size_t n = written(id);
        const std::string name(info(id).heading);
        const auto where = [id](std::size_t i) { return entry_text(id, i) + " "; };
        std::uint64_t block = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::string& s = all[i];
            if (s.size() > static_cast<std::size_t>(layout::kMaxStringLength))
                error(problem_kind::string_too_long, at(id, int(i)), std::int64_t(s.size()), layout::kMaxStringLength,
                      where(i) + "is longer than 255 characters and cannot be saved");
            else if (s.find('\0') != std::string::npos)
                error(problem_kind::string_has_nul, at(id, int(i)), 0, 0,
                      where(i) + "holds a character that cannot be saved");
            block += s.size() + 1;
        }
        if (block > layout::kMaxBlockSize)
            error(problem_kind::table_too_large, at(id), std::int64_t(block), layout::kMaxBlockSize,
                  "The strings of " + quoted(name) + " take more than 65535 bytes and cannot be saved");

        if (is_key_table(id)) {
            // Lines past the last level that hold something: a save drops them.
            const std::size_t last = dropped_text_end(all, n);
            if (last > n)
                warning(problem_kind::key_lines_dropped, at(id, int(n)), std::int64_t(last), std::int64_t(n),
                        name + " has " + counted(all.size(), "line", "lines") + " but the script has " +
                            counted(n, "level", "levels") + "; a save drops " +
                            (last == n + 1 ? "the line of level " + std::to_string(n)
                                           : "the lines of levels " + std::to_string(n) + " to " +
                                                 std::to_string(last - 1)));
        }
        if (id == table_id::game_strings1 && all.size() != 89 && all.size() != 92)
            warning(problem_kind::game_strings1_count, at(id), std::int64_t(all.size()), 89,
                    name + " has " + counted(all.size(), "entry", "entries") +
                        "; Tomb Raider II has 89 and Tomb Raider III 92");
    }

    // A demo entry must name a level, or the file would not open again.
    void demo_levels() {
        const std::size_t levels = doc_.level_names.strings.size();
        for (std::size_t i = 0; i < doc_.demo_levels.size(); ++i) {
            const std::uint16_t level = doc_.demo_levels[i];
            if (level >= levels)
                error(problem_kind::demo_names_no_level, {place::area::demo_levels, table_id::level_names, int(i)},
                      level, std::int64_t(levels),
                      "Demo level entry " + std::to_string(i) + " names level " + std::to_string(level) +
                          ", but the script has " + std::to_string(levels) + " levels");
        }
    }

    void slots() {
        for (std::size_t k = 0; k < doc_.scripts.size(); ++k) {
            const script_slot& slot = doc_.scripts[k];
            const std::string name = "Script slot " + std::to_string(k);
            const int slot_index = int(k);
            if (slot.command_count > kSlotCapacity) {
                error(problem_kind::slot_too_long, {place::area::slot, {}, slot_index}, slot.command_count,
                      kSlotCapacity, name + " holds more than 64 commands");
                continue;
            }
            const int count = std::max<int>(slot.command_count, 0);
            bool refused = false;
            for (int i = 0; i + 1 < count && !refused; ++i)
                if (slot.commands[std::size_t(i)].command == cmd::kEndOfSet) {
                    error(problem_kind::command_after_end, {place::area::slot, {}, slot_index, i + 1}, 0, 0,
                          name + " has a command after \"End of set\"; the game would not read it");
                    refused = true;
                }
            if (!refused && count == kSlotCapacity && slot.commands[kSlotCapacity - 1].command != cmd::kEndOfSet)
                error(problem_kind::full_slot_without_end, {place::area::slot, {}, slot_index}, count, kSlotCapacity,
                      name + " holds 64 commands and no \"End of set\"; there is no room to end it");
            operands(slot, slot_index);
        }
    }

    // What the commands name, and the level a level's slot plays.
    void operands(const script_slot& slot, int k) {
        const std::size_t levels = doc_.level_names.strings.size();
        const int own = k - 1;  // slot i + 1 belongs to level i; slot 0 is the title
        const bool level_slot = own >= 0 && std::size_t(own) < levels;
        const int count = std::clamp<int>(slot.command_count, 0, kSlotCapacity);
        bool plays = false;
        for (int i = 0; i < count; ++i) {
            const script_command& c = slot.commands[std::size_t(i)];
            const auto named = named_entries(c.command);
            if (!named) continue;
            const auto& [name, one, many, entries] = *named;
            const place here{place::area::slot, {}, k, i};
            const bool level_command = c.command == cmd::kPlayLevel || c.command == cmd::kPlayDemoLevel;
            plays |= level_command;
            if (c.operand >= entries) {
                warning(problem_kind::operand_names_nothing, here, c.operand, std::int64_t(entries),
                        std::string(name) + " " + std::to_string(c.operand) + " names no " + one +
                            " (the script has " + counted(entries, one, many) + ")");
            } else if (level_command && level_slot && c.operand != own) {
                warning(problem_kind::slot_plays_other_level, here, c.operand, own,
                        std::string(name) + " " + std::to_string(c.operand) +
                            " names another level than the slot's own level " + std::to_string(own));
            }
        }
        if (level_slot && !plays)
            warning(problem_kind::slot_plays_no_level, {place::area::slot, {}, k}, 0, own,
                    "The slot of level " + std::to_string(own) + " has no \"Play level\" or \"Play demo level:\"");
    }

    struct named {
        const char* name;
        const char* one;
        const char* many;
        std::size_t entries;
    };
    // The name of a command whose operand names an entry, and of the entries.
    std::optional<named> named_entries(std::uint16_t code) const {
        switch (code) {
        case cmd::kPlayLevel: return named{"Play level", "level", "levels", doc_.level_names.strings.size()};
        case cmd::kPlayDemoLevel: return named{"Play demo level", "level", "levels", doc_.level_names.strings.size()};
        case cmd::kPlayFmv: return named{"Play FMV file", "movie", "movies", doc_.fmv_files.strings.size()};
        case cmd::kPlayCutscene:
            return named{"Play CutScene", "cut-scene", "cut-scenes", doc_.cutscene_files.strings.size()};
        case cmd::kShowChapterScreen:
            return named{"Show Chapter screen", "picture", "pictures", doc_.pic_files.strings.size()};
        default: return std::nullopt;
        }
    }

    // The repairs made in reading the section: the flags with the header,
    // sizes and offsets with their table or the slots.
    void repairs_of(const section& s) {
        for (const read_repair& r : doc_.repairs) {
            place where;
            switch (r.what) {
            case read_repair::kind::flags:
                if (s.kind != section_kind::header) continue;
                break;
            case read_repair::kind::table_size:
            case read_repair::kind::table_offsets:
                if (s.kind != section_kind::table || s.table != r.table) continue;
                where = at(r.table, r.what == read_repair::kind::table_offsets ? r.index : -1);
                break;
            default:  // the slots
                if (s.kind != section_kind::sequences) continue;
                where = {place::area::slot, {}, r.what == read_repair::kind::slot_offsets ? r.index : -1};
                break;
            }
            warning(problem_kind::repaired, where, r.found, r.written, repair_message(doc_, r));
        }
    }

    const Ttombpcdat& doc_;
    bool has_records_ = false;
    std::vector<problem> out_;
};

std::string hex4(std::uint32_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0x0000";
    for (int i = 0; i < 4; ++i) s[std::size_t(5 - i)] = digits[(v >> (4 * i)) & 0xF];
    return s;
}

// "entry 3 of Level's File Names", "level 3 of Key Strings #2".
std::string entry_of(table_id id, std::int32_t index) {
    std::string m = is_key_table(id) ? "level " : "entry ";
    m.append(std::to_string(index)).append(" of ").append(info(id).heading);
    return m;
}

// The offset repair: the first offset that disagrees, and how many more.
// `items`: "strings" or "commands", which put each entry where it is.
std::string offsets_message(const std::string& first, std::string_view owner, std::string_view items,
                            const read_repair& r) {
    std::string m = "the offset of " + first + " says " + std::to_string(r.found) + ", ";
    m.append(owner).append(" ").append(items).append(" put it at ").append(std::to_string(r.written));
    if (r.others == 0) return m + "; a save writes " + std::to_string(r.written);
    m.append(", and ").append(std::to_string(r.others)).append(r.others == 1 ? " more offset disagrees" : " more disagree");
    return m.append("; a save writes them from the ").append(items);
}

}  // namespace

std::vector<problem> check_script(const Ttombpcdat& doc) { return checker(doc).run(); }

std::vector<problem> read_notices(const Ttombpcdat& doc) {
    if (doc.repairs.empty() && doc.trailing_bytes == 0) return {};
    std::vector<problem> notices = check_script(doc);
    std::erase_if(notices, [](const problem& p) {
        return p.kind != problem_kind::repaired && p.kind != problem_kind::trailing_bytes;
    });
    return notices;
}

std::string repair_message(const Ttombpcdat& doc, const read_repair& r) {
    const auto n = [](std::uint32_t v) { return std::to_string(v); };
    switch (r.what) {
    case read_repair::kind::flags: {
        std::string m = "the flags say " + hex4(r.found) + "; a save writes " + hex4(r.written);
        // Strings read plain are written coded with the key.
        if (!(r.found & layout::kFlagCodedStrings) && doc.cipher_byte != 0)
            m.append(" and codes the strings with the key ").append(hex4(doc.cipher_byte).replace(2, 2, ""));
        return m;
    }
    case read_repair::kind::table_size:
        return "the size of " + std::string(info(r.table).heading) + " says " + n(r.found) +
               " bytes, its strings take " + n(r.written) + "; a save writes " + n(r.written);
    case read_repair::kind::table_offsets:
        return offsets_message(entry_of(r.table, r.index), "its", "strings", r);
    case read_repair::kind::slot_offsets:
        return offsets_message("slot " + std::to_string(r.index), "the", "commands", r);
    case read_repair::kind::slot_size:
        return "the size of the script slots says " + n(r.found) + " bytes, their commands take " + n(r.written) +
               "; a save writes " + n(r.written);
    case read_repair::kind::slot_count: {
        const std::uint32_t added = r.written - r.found;
        return "the file has " + n(r.found) + (r.found == 1 ? " script slot" : " script slots") +
               " for the title and " + n(r.written - 1) + (r.written == 2 ? " level" : " levels") +
               "; a save adds " + n(added) + " holding only \"End of set\"";
    }
    }
    return {};
}

std::string entry_text(table_id id, std::size_t index) {
    // Key strings are a level's; the other tables have entries.
    if (is_key_table(id)) return std::string(info(id).heading) + ", level " + std::to_string(index);
    return "Entry " + std::to_string(index) + " of " + quoted(info(id).heading);
}

std::string place_text(const place& where) {
    switch (where.in) {
    case place::area::table:
        if (where.index < 0) return std::string(info(where.table).heading);
        return std::string(info(where.table).heading) + (is_key_table(where.table) ? ", level " : ", entry ") +
               std::to_string(where.index);
    case place::area::slot:
        if (where.index < 0) return "slots";
        return "slot " + std::to_string(where.index) +
               (where.line >= 0 ? ", command " + std::to_string(where.line + 1) : std::string());
    case place::area::demo_levels:
        return where.index < 0 ? std::string("demo level list") : "demo level entry " + std::to_string(where.index);
    default:
        return {};
    }
}

std::string key_line_text(const Ttombpcdat& doc, int key, int level, const codepage::table* cp) {
    std::string text = place_text({place::area::table, key_table(key), level, -1});
    const auto& names = doc.level_names.strings;
    if (level >= 0 && std::size_t(level) < names.size()) {
        text += " (";
        const std::string& name = names[std::size_t(level)];
        text += codepage::with_line_break_symbols(cp ? cp->bytes_to_utf8(name) : codepage::bytes_to_utf8(name));
        text += ")";
    }
    return text;
}

std::string place_text(const place& where, const Ttombpcdat& doc, const codepage::table* cp) {
    if (where.in == place::area::table && is_key_table(where.table) && where.index >= 0)
        return key_line_text(doc, key_index(where.table), where.index, cp);
    return place_text(where);
}

void refuse_errors(const std::vector<problem>& problems) {
    for (const problem& p : problems)
        if (p.level == severity::error) throw script_error(p.message);
}

std::size_t dropped_text_end(const std::vector<std::string>& lines, std::size_t levels) {
    std::size_t last = lines.size();
    while (last > levels && lines[last - 1].empty()) --last;
    return last;
}

std::size_t normalised_sequence_bytes(const Ttombpcdat& doc) {
    std::size_t total = 0;
    for (const script_slot& slot : doc.scripts) {
        const int n = std::clamp<int>(slot.command_count, 0, kSlotCapacity);
        std::size_t words = std::size_t(n);
        for (int k = 0; k < n; ++k) words += cmd::carries_operand(slot.commands[std::size_t(k)].command) ? 1 : 0;
        if (n == 0 || slot.commands[std::size_t(n - 1)].command != cmd::kEndOfSet) words += 1;
        total += 2 * words;
    }
    const std::size_t wanted = doc.level_names.strings.size() + 1;
    if (doc.scripts.size() < wanted) total += 2 * (wanted - doc.scripts.size());
    return total;
}

}  // namespace vellumark
