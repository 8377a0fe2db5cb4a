// Reading the JSON form: the document a parsed value describes, checked so
// that it saves and reads back as the same script. Each fault is refused
// with the path of its value.
#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <limits>
#include <optional>

#include "codec/check.h"
#include "codec/codepage.h"
#include "codec/commands.h"
#include "codec/layout.h"
#include "codec/options.h"
#include "codec/script_file.h"
#include "codec/tables.h"
#include "formats/json_common.h"

namespace vellumark::json_form {

namespace {

constexpr std::array<std::string_view, 6> kHeaderCounts = {
    "level_count", "pic_count", "title_count", "fmv_count", "cutscene_count", "demo_level_count"};

// Entry counts are signed 16-bit in the file: a larger table reads back negative.
constexpr std::size_t kEntries = static_cast<std::size_t>(kMaxEntries);
// The range of a 16-bit word: command codes, operands, demo levels.
constexpr std::int64_t kWordMax = std::numeric_limits<std::uint16_t>::max();
constexpr std::int64_t kByteMax = std::numeric_limits<std::uint8_t>::max();
// Signed 16-bit fields: counts, sound ids, the single level.
constexpr std::int64_t kShortMin = std::numeric_limits<std::int16_t>::min();
constexpr std::int64_t kShortMax = std::numeric_limits<std::int16_t>::max();


class object_reader {
public:
    object_reader(const json& j, std::string path, const std::vector<std::string_view>& known)
        : j_(j), path_(std::move(path)) {
        if (!j.is_object()) fail(path_, "must be an object");
        for (const auto& item : j.items()) {
            if (std::find(known.begin(), known.end(), item.key()) == known.end())
                fail(member_path(path_, item.key()), "unknown field");
        }
    }

    const json& need(std::string_view key) const {
        auto it = j_.find(std::string(key));
        if (it == j_.end()) fail(member_path(path_, key), "missing field");
        return *it;
    }
    const json* maybe(std::string_view key) const {
        auto it = j_.find(std::string(key));
        return it == j_.end() ? nullptr : &*it;
    }
    std::string path(std::string_view key) const { return member_path(path_, key); }

private:
    const json& j_;
    std::string path_;
};

std::int64_t whole_number(const json& j, const std::string& path, std::int64_t lo, std::int64_t hi) {
    std::string range = " is out of range (" + std::to_string(lo) + " to " + std::to_string(hi) + ")";
    // An integer too long for 64 bits is parsed as a floating-point number.
    if (j.is_number_float() && std::abs(j.get<double>()) >= 0x1p63) fail(path, j.dump() + range);
    if (!j.is_number_integer()) fail(path, "must be a whole number");
    if (j.is_number_unsigned()) {
        std::uint64_t u = j.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(hi)) fail(path, std::to_string(u) + range);
        return static_cast<std::int64_t>(u);
    }
    std::int64_t v = j.get<std::int64_t>();
    if (v < lo || v > hi) fail(path, std::to_string(v) + range);
    return v;
}

template <std::size_t N>
void read_hex(const json& j, const std::string& path, std::array<std::uint8_t, N>& out) {
    if (!j.is_string()) fail(path, "must be a string of hexadecimal digits");
    const std::string& s = j.get_ref<const std::string&>();
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    bool ok = s.size() == 2 * N &&
              std::all_of(s.begin(), s.end(), [&](char c) { return digit(c) >= 0; });
    if (!ok)
        fail(path, "must be " + std::to_string(2 * N) + " hexadecimal digits (" +
                       std::to_string(N) + " bytes)");
    for (std::size_t i = 0; i < N; ++i)
        out[i] = static_cast<std::uint8_t>(digit(s[2 * i]) * 16 + digit(s[2 * i + 1]));
}

std::string read_string(const json& j, const std::string& path, const codepage::table& cp) {
    if (!j.is_string()) fail(path, "must be a string");
    const std::string& s = j.get_ref<const std::string&>();
    std::string bytes;
    bytes.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        std::optional<char32_t> code = codepage::next_utf8(s, i);
        if (!code) fail(path, "is not valid UTF-8");
        std::optional<unsigned char> byte = cp.from_unicode(*code);
        if (!byte) {
            std::string reason = "holds the character " + codepage::code_point_name(*code);
            reason.append(", which the script's code page (").append(cp.name()).append(") cannot store");
            fail(path, reason);
        }
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

const json& array_of(const json& j, const std::string& path) {
    if (!j.is_array()) fail(path, "must be an array");
    return j;
}

void read_table(const json& j, const std::string& path, list_strings& table, const codepage::table& cp) {
    array_of(j, path);
    if (j.size() > kEntries)
        fail(path, "has " + std::to_string(j.size()) + " entries; a table holds at most " +
                       std::to_string(kMaxEntries));
    table = list_strings{};
    table.strings.reserve(j.size());
    for (std::size_t i = 0; i < j.size(); ++i) table.strings.push_back(read_string(j[i], index_path(path, i), cp));
}

std::uint16_t command_code(const object_reader& r) {
    const json* code = r.maybe("code");
    const json* name = r.maybe("command");
    if (!code && !name) fail(r.path("command"), "missing field");
    std::optional<std::uint16_t> by_code;
    if (code) by_code = static_cast<std::uint16_t>(whole_number(*code, r.path("code"), 0, kWordMax));
    if (!name) return *by_code;
    if (!name->is_string()) fail(r.path("command"), "must be a string");
    std::string given = name->get<std::string>();
    while (!given.empty() && given.back() == ' ') given.pop_back();
    if (by_code) {
        if (given != command_json_name(*by_code))
            fail(r.path("command"), json(given).dump() + " is not the name of command " +
                                        std::to_string(*by_code) + " (" +
                                        json(command_json_name(*by_code)).dump() + ")");
        return *by_code;
    }
    std::vector<std::uint16_t> matches;
    for (int k = 0; k < kCommandNameCount; ++k)
        if (command_json_name(static_cast<std::uint16_t>(k)) == given)
            matches.push_back(static_cast<std::uint16_t>(k));
    const std::string unknown_prefix = "---UNKNOWN(";
    if (matches.empty() && given.size() > unknown_prefix.size() + 1 &&
        given.compare(0, unknown_prefix.size(), unknown_prefix) == 0 && given.back() == ')') {
        std::string digits = given.substr(unknown_prefix.size(), given.size() - unknown_prefix.size() - 1);
        if (digits.size() <= 5 && std::all_of(digits.begin(), digits.end(),
                                                [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
            long n = std::stol(digits);
            if (n >= kCommandNameCount && n <= kWordMax && command_json_name(static_cast<std::uint16_t>(n)) == given)
                matches.push_back(static_cast<std::uint16_t>(n));
        }
    }
    if (matches.empty()) fail(r.path("command"), "unknown command name " + json(given).dump());
    if (matches.size() > 1) {
        std::string codes;
        for (std::uint16_t m : matches) codes += (codes.empty() ? "" : ", ") + std::to_string(m);
        fail(r.path("command"), json(given).dump() + " names the commands " + codes +
                                    "; give the \"code\" as well");
    }
    return matches.front();
}

script_slot read_slot(const json& j, const std::string& path) {
    array_of(j, path);
    if (j.size() > static_cast<std::size_t>(kSlotCapacity))
        fail(path, "has " + std::to_string(j.size()) + " commands; a slot holds at most " +
                       std::to_string(kSlotCapacity));
    script_slot slot;
    for (std::size_t k = 0; k < j.size(); ++k) {
        std::string cpath = index_path(path, k);
        object_reader r(j[k], cpath, {"command", "code", "operand", "name"});
        script_command command;
        command.command = command_code(r);
        command.operand = cmd::kNoOperand;
        const json* operand = r.maybe("operand");
        if (cmd::carries_operand(command.command)) {
            command.operand =
                static_cast<std::uint16_t>(whole_number(r.need("operand"), r.path("operand"), 0, kWordMax));
        } else if (operand) {
            fail(r.path("operand"), "command " + std::to_string(command.command) + " carries no operand");
        }
        if (const json* name = r.maybe("name"); name && !name->is_string() && !name->is_null())
            fail(r.path("name"), "must be a string or null");
        slot.commands[k] = command;
    }
    slot.command_count = static_cast<std::int16_t>(j.size());
    return slot;
}

// A problem the codec's check found, named by its JSON path.
[[noreturn]] void fail_with(const problem& p, script_layout layout) {
    const std::string the_layout = "the " + std::string(layout_name(layout)) + " layout";
    const auto n = [](std::int64_t v) { return std::to_string(v); };
    const std::string slot = p.where.index >= 0 ? index_path("slots", std::size_t(p.where.index)) : "slots";
    std::string at = p.where.in == place::area::table ? json_path(p.where.table) : std::string();
    if (p.where.in == place::area::table && p.where.index >= 0) at = index_path(at, std::size_t(p.where.index));
    switch (p.kind) {
    case problem_kind::too_many_entries:
        if (p.where.in == place::area::demo_levels) at = "demo_levels";
        fail(at, "has " + n(p.value) + " entries; a table holds at most " + n(p.limit));
    case problem_kind::wrong_entry_count:
        if (p.where.table == table_id::game_strings2)
            fail(at, "has " + n(p.value) + " entries; " +
                         (layout == script_layout::pc ? std::string("it") : the_layout) + " always has " +
                         n(p.limit));
        fail(at, "has " + n(p.value) + " entries; it needs one per level (" + n(p.limit) + ")");
    case problem_kind::string_too_long:
        fail(at, "is " + n(p.value) + " characters long; a stored string holds at most " + n(p.limit));
    case problem_kind::string_has_nul:
        fail(at, "holds a NUL character, which would end the stored string");
    case problem_kind::table_too_large:
        fail(at, "takes " + n(p.value) + " bytes stored; a table holds at most " + n(p.limit));
    case problem_kind::demo_names_no_level: {
        const std::string entry = index_path("demo_levels", std::size_t(p.where.index));
        if (p.limit == 0) fail(entry, "names a level, but there are no levels");
        fail(entry, n(p.value) + " is out of range (0 to " + n(p.limit - 1) + ")");
    }
    case problem_kind::slot_too_long:
        fail(slot, "has " + n(p.value) + " commands; a slot holds at most " + n(p.limit));
    case problem_kind::command_after_end:
        fail(index_path(slot, std::size_t(p.where.line)), "follows \"End of set\", which ends the slot");
    case problem_kind::full_slot_without_end:
        fail(slot, "holds " + std::to_string(kSlotCapacity) +
                       " commands without \"End of set\"; there is no room to end it");
    case problem_kind::sequences_too_large:
        fail("slots", "the sequences take " + n(p.value) + " bytes stored; the sequence block holds at most " +
                          n(p.limit));
    case problem_kind::wrong_record_count:
        if (p.limit == 0) fail("fmv_records", "has " + n(p.value) + " records; the PC layout holds none");
        fail("fmv_records", "has " + n(p.value) + " records; " + the_layout + " needs one per movie (" +
                                n(p.limit) + ")");
    default:
        break;
    }
    fail(at, p.message);
}

void check_count(const object_reader& header, std::string_view field, std::size_t actual,
                 const std::string& table_path) {
    const json* j = header.maybe(field);
    if (!j) return;
    std::int64_t n = whole_number(*j, header.path(field), kShortMin, kShortMax);
    if (n != static_cast<std::int64_t>(actual))
        fail(header.path(field), std::to_string(n) + " does not match the " + std::to_string(actual) +
                                     " entries of " + table_path);
}

// The header section: the header's fields that no view edits, the options
// and the flags.
void read_header(const object_reader& top, const object_reader& header, Ttombpcdat& doc) {
    doc.version = static_cast<std::uint32_t>(
        whole_number(header.need("version"), header.path("version"), 0, 0xFFFFFFFF));
    read_hex(header.need("description"), header.path("description"), doc.description);
    doc.reserved_a = static_cast<std::uint16_t>(
        whole_number(header.need("reserved_a"), header.path("reserved_a"), 0, kWordMax));
    read_hex(header.need("reserved_b"), header.path("reserved_b"), doc.reserved_b);
    doc.single_level = static_cast<std::int16_t>(
        whole_number(header.need("single_level"), header.path("single_level"), kShortMin, kShortMax));
    read_hex(header.need("reserved_c"), header.path("reserved_c"), doc.reserved_c);
    read_hex(header.need("reserved_d"), header.path("reserved_d"), doc.reserved_d);
    doc.cipher_byte = static_cast<std::uint8_t>(
        whole_number(header.need("cipher_byte"), header.path("cipher_byte"), 0, kByteMax));
    doc.reserved_f = static_cast<std::uint8_t>(
        whole_number(header.need("reserved_f"), header.path("reserved_f"), 0, kByteMax));
    read_hex(header.need("reserved_e"), header.path("reserved_e"), doc.reserved_e);

    // Option values.
    std::vector<std::string_view> option_names;
    for (const option_info& o : kOptions) option_names.push_back(o.json);
    object_reader options(top.need("options"), top.path("options"), option_names);
    for (const option_info& o : kOptions) {
        const std::int64_t lo = o.wide ? INT32_MIN : kShortMin, hi = o.wide ? INT32_MAX : kShortMax;
        set_option_value(doc, o.id,
                         static_cast<std::int32_t>(whole_number(options.need(o.json), options.path(o.json), lo, hi)));
    }

    // Flags: the nine captions decide; the raw value, when given, must agree.
    std::vector<std::string_view> flag_names = {"value"};
    for (const flag_info& f : kOptionFlags) flag_names.push_back(f.caption);
    object_reader flags(top.need("flags"), top.path("flags"), flag_names);
    std::uint16_t box_bits = 0;
    for (const flag_info& f : kOptionFlags) {
        const json& b = flags.need(f.caption);
        if (!b.is_boolean()) fail(flags.path(f.caption), "must be true or false");
        if (b.get<bool>()) box_bits |= f.bit;
    }
    doc.flags = box_bits | layout::kFlagCodedStrings | layout::kFlagAlwaysSet;
    if (const json* value = flags.maybe("value")) {
        auto raw = static_cast<std::uint16_t>(whole_number(*value, flags.path("value"), 0, kWordMax));
        if ((raw & option_flag_bits()) != box_bits)
            fail(flags.path("value"), std::to_string(raw) + " does not agree with the flags named beside it");
        doc.flags = raw;
    }
}

void read_slots(const object_reader& top, Ttombpcdat& doc) {
    const std::string slots_path = top.path("slots");
    const json& slots = array_of(top.need("slots"), slots_path);
    if (slots.size() > static_cast<std::size_t>(kWordMax))
        fail(slots_path,
             "has " + std::to_string(slots.size()) + " slots; at most " + std::to_string(kWordMax) + " fit");
    for (std::size_t s = 0; s < slots.size(); ++s)
        doc.scripts.push_back(read_slot(slots[s], index_path(slots_path, s)));
}

void read_demo_levels(const object_reader& top, Ttombpcdat& doc) {
    const std::string demo_path = top.path("demo_levels");
    const json& demo = array_of(top.need("demo_levels"), demo_path);
    if (demo.size() > kEntries)
        fail(demo_path, "has " + std::to_string(demo.size()) + " entries; at most " + std::to_string(kMaxEntries) +
                            " fit");
    for (std::size_t i = 0; i < demo.size(); ++i)
        doc.demo_levels.push_back(
            static_cast<std::uint16_t>(whole_number(demo[i], index_path(demo_path, i), 0, kWordMax)));
}

// Optional: a PC script has none, and a check refuses any it is given.
void read_movie_records(const object_reader& top, Ttombpcdat& doc) {
    const json* records = top.maybe("fmv_records");
    if (!records) return;
    const std::string records_path = top.path("fmv_records");
    array_of(*records, records_path);
    if (records->size() > kEntries)
        fail(records_path, "has " + std::to_string(records->size()) + " records; at most " +
                               std::to_string(kMaxEntries) + " fit");
    for (std::size_t i = 0; i < records->size(); ++i) {
        const std::string record_path = index_path(records_path, i);
        const json& r = (*records)[i];
        if (!r.is_array() || r.size() != 2) fail(record_path, "must be an array of two numbers");
        doc.movie_records.push_back(
            {static_cast<std::uint32_t>(whole_number(r[0], index_path(record_path, 0), 0, 0xFFFFFFFF)),
             static_cast<std::uint32_t>(whole_number(r[1], index_path(record_path, 1), 0, 0xFFFFFFFF))});
    }
}

}  // namespace

Ttombpcdat document_from_json(const json& root, const codepage::table* chosen) {
    std::vector<std::string_view> members = {"format", "format_version", "layout", "codepage", "header", "options",
                                             "flags", "slots", "demo_levels", "fmv_records"};
    for (const table_info& t : kTables)
        if (own_member(t.id)) members.push_back(t.json);
    for (const table_group& g : table_groups()) members.push_back(g.member);
    object_reader top(root, "", members);
    const json& format = top.need("format");
    if (!format.is_string() || format.get<std::string>() != kFormatName)
        fail(top.path("format"), "must be \"" + std::string(kFormatName) + "\"");
    whole_number(top.need("format_version"), top.path("format_version"), kFormatVersion, kFormatVersion);
    // The code page of the texts: the one chosen for the command, else the
    // file's own, else windows-1252.
    codepage::page page = codepage::kDefaultPage;
    if (const json* named = top.maybe("codepage")) {
        const auto given = named->is_string() ? codepage::parse_name(named->get<std::string>()) : std::nullopt;
        if (!given) fail(top.path("codepage"), "must name a code page from windows-1250 to windows-1258");
        page = *given;
    }
    const codepage::table& cp = chosen ? *chosen : codepage::get(page);

    Ttombpcdat doc;
    if (const json* layout = top.maybe("layout")) {
        if (*layout == kLayoutPlayStation)
            doc.layout = script_layout::playstation;
        else if (*layout == kLayoutPlayStationBeta)
            doc.layout = script_layout::playstation_beta;
        else if (*layout != kLayoutPc)
            fail(top.path("layout"), "must be \"pc\", \"playstation\" or \"playstation-beta\"");
    }
    for (const table_group& g : table_groups())
        if (!has_group(doc.layout, g) && top.maybe(g.member))
            fail(top.path(g.member), "only a \"playstation-beta\" script has these tables");

    const object_reader header(top.need("header"), top.path("header"),
                               {"version", "description", "reserved_a", "reserved_b", "level_count",
                                "pic_count", "title_count", "fmv_count", "cutscene_count",
                                "demo_level_count", "single_level", "reserved_c", "reserved_d",
                                "cipher_byte", "reserved_f", "reserved_e"});
    // The per-level tables that stand together, by the index of their group.
    std::vector<const json*> groups(table_groups().size(), nullptr);
    const auto grouped = [&groups](table_id t) -> const json& {
        return (*groups[group_of(t)])[std::size_t(member_index(t))];
    };
    for (const section& s : every_section(doc.layout)) {
        switch (s.kind) {
        case section_kind::header:
            read_header(top, header, doc);
            for (std::size_t g = 0; g < groups.size(); ++g) {
                const table_group& group = table_groups()[g];
                if (!has_group(doc.layout, group)) continue;
                const std::string path = top.path(group.member);
                groups[g] = &array_of(top.need(group.member), path);
                if (groups[g]->size() != group.tables)
                    fail(path, "has " + std::to_string(groups[g]->size()) + " tables; there are always " +
                                   std::to_string(group.tables));
            }
            break;
        case section_kind::table: {
            const table_id t = s.table;
            const json& j = own_member(t) ? top.need(info(t).json) : grouped(t);
            read_table(j, own_member(t) ? top.path(info(t).json) : json_path(t), table(doc, t), cp);
            break;
        }
        case section_kind::sequences: read_slots(top, doc); break;
        case section_kind::demo_levels: read_demo_levels(top, doc); break;
        case section_kind::movie_records: read_movie_records(top, doc); break;
        }
    }
    // The JSON form holds exactly one key string per level; the editor's
    // memos may hold more or fewer lines, which a save pads or drops.
    const std::size_t levels = doc.level_names.strings.size();
    for (int n = 0; n < key_table_count(doc.layout); ++n)
        if (const std::size_t k = table(doc, key_table(n)).strings.size(); k != levels)
            fail(json_path(key_table(n)),
                 "has " + std::to_string(k) + " entries; it needs one per level (" + std::to_string(levels) + ")");

    // What the file cannot hold, as a save refuses it.
    for (const problem& p : check_script(doc))
        if (p.level == severity::error) fail_with(p, doc.layout);

    // Counts: taken from the tables; the header's, when given, must agree.
    const std::size_t actual[] = {levels, doc.pic_files.strings.size(), doc.title_files.strings.size(),
                                  doc.fmv_files.strings.size(), doc.cutscene_files.strings.size(),
                                  doc.demo_levels.size()};
    const std::string_view tables[] = {"level_names", "pic_files", "title_files",
                                       "fmv_files", "cutscene_files", "demo_levels"};
    for (std::size_t i = 0; i < kHeaderCounts.size(); ++i)
        check_count(header, kHeaderCounts[i], actual[i], top.path(tables[i]));
    doc.level_count = static_cast<std::int16_t>(actual[0]);
    doc.pic_count = static_cast<std::int16_t>(actual[1]);
    doc.title_count = static_cast<std::int16_t>(actual[2]);
    doc.fmv_count = static_cast<std::int16_t>(actual[3]);
    doc.cutscene_count = static_cast<std::int16_t>(actual[4]);
    doc.demo_level_count = static_cast<std::int16_t>(actual[5]);
    doc.game_strings1_count = static_cast<std::int16_t>(doc.game_strings1.strings.size());
    doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());
    return doc;
}


std::vector<std::uint8_t> saved_image(const Ttombpcdat& doc) {
    Ttombpcdat copy = doc;
    return write_script_file(copy);
}

void save_document(const std::string& path, const Ttombpcdat& doc, backup_rule backup) {
    Ttombpcdat copy = doc;
    save_script_file(path, copy, backup);
}

}  // namespace vellumark::json_form