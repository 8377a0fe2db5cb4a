#include "cli/json_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>

#include "codec/codepage.h"
#include "codec/commands.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "codec/views.h"

namespace vellumark::cli {

namespace {

constexpr std::array<std::string_view, 11> kFlagCaptions = {
    "", "",
    "Demo Version", "Title Disabled", "Cheat mode Disabled", "Demos Disabled",
    "Load/Save Disabled", "Screen Sizing Disabled", "Lockup Option Ring",
    "Dozy Cheat Enabled", "Select Any Level"};

constexpr std::array<std::string_view, 6> kLeadingTables = {
    "level_names", "pic_files", "title_files", "fmv_files", "level_files", "cutscene_files"};

constexpr std::array<std::string_view, 9> kOptionNames = {
    "first_option", "title_replace", "on_death_demo", "on_death_game", "demo_time",
    "on_interrupt", "on_demo_end", "title_sound_id", "secret_sound_id"};

constexpr std::array<std::string_view, 6> kHeaderCounts = {
    "level_count", "pic_count", "title_count", "fmv_count", "cutscene_count", "demo_level_count"};

// Entry counts are signed 16-bit in the file: a larger table reads back negative.
constexpr std::size_t kMaxEntries = 32767;

template <class Doc>
auto* leading_table(Doc& doc, std::size_t i) {
    decltype(&doc.level_names) tables[] = {&doc.level_names, &doc.pic_files,   &doc.title_files,
                              &doc.fmv_files,   &doc.level_files, &doc.cutscene_files};
    return tables[i];
}

template <class Doc>
auto* option_field(Doc& doc, std::size_t i) {
    decltype(&doc.first_option) fields[] = {&doc.first_option, &doc.title_replace, &doc.on_death_demo,
                              &doc.on_death_game, &doc.demo_time,    &doc.on_interrupt,
                              &doc.on_demo_end};
    return fields[i];
}

// ---- writing ----------------------------------------------------------------

std::string hex(const std::uint8_t* data, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

template <std::size_t N>
std::string hex(const std::array<std::uint8_t, N>& a) {
    return hex(a.data(), N);
}

json strings_json(const list_strings& table) {
    json out = json::array();
    for (const std::string& s : table.strings) out.push_back(codepage::bytes_to_utf8(s));
    return out;
}

json command_json(const script_command& cmd, const document_lookup& lookup) {
    json c = json::object();
    c["command"] = command_json_name(cmd.command);
    c["code"] = cmd.command;
    if (layout::carries_operand(cmd.command)) {
        c["operand"] = cmd.operand;
        if (int list = named_list(cmd.command)) {
            std::string name;
            if (lookup.row(list, cmd.operand, name))
                c["name"] = codepage::bytes_to_utf8(name);
            else
                c["name"] = nullptr;
        }
    }
    return c;
}

// ---- reading ----------------------------------------------------------------

bool is_identifier(std::string_view key) {
    if (key.empty() || !(std::isalpha(static_cast<unsigned char>(key[0])) || key[0] == '_'))
        return false;
    return std::all_of(key.begin(), key.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

std::string member_path(const std::string& path, std::string_view key) {
    if (is_identifier(key)) return path.empty() ? std::string(key) : path + "." + std::string(key);
    return path + "[" + json(std::string(key)).dump() + "]";
}

std::string index_path(const std::string& path, std::size_t i) {
    return path + "[" + std::to_string(i) + "]";
}

std::string shown(const std::string& path) { return path.empty() ? "(top level)" : path; }

[[noreturn]] void fail(const std::string& path, const std::string& reason) {
    throw json_error(shown(path), reason);
}

// ---- parsing ----------------------------------------------------------------

// The most elements an array of the format holds, and how a longer one is
// refused: "<path>: has N <noun>; <rest>".
struct array_limit {
    std::size_t most;
    const char* noun;
    const char* rest;
};
constexpr array_limit kTableLimit{kMaxEntries, "entries", "a table holds at most 32767"};
constexpr array_limit kSlotsLimit{65535, "slots", "at most 65535 fit"};
constexpr array_limit kSlotLimit{kSlotCapacity, "commands", "a slot holds at most 64"};
constexpr array_limit kDemoLimit{kMaxEntries, "entries", "at most 32767 fit"};
constexpr array_limit kKeyTablesLimit{layout::kKeyStringTables, "tables", "there are always 10"};

// No object of the format has more than 16 members: of the first 17 members
// of any object one is unknown, and the object is refused for it.
constexpr std::size_t kMostMembers = 17;

// Watches the parser build the value. A member given twice is refused. Array
// elements are counted as they are read: past an array's limit they are
// dropped at once and the array is refused when it ends, so that an oversized
// array never fills memory. An array where the format has none keeps no
// element, and an object no member past the 17th: such a value is refused
// later by its type or by an unknown member, whatever it holds.
class parse_watch {
public:
    bool operator()(int depth, json::parse_event_t event, json& parsed) {
        // Events come with the depth of the value; inside a dropped value
        // (deeper than the frames) only its starts and keys are reported.
        const auto d = static_cast<std::size_t>(depth);
        switch (event) {
        case json::parse_event_t::object_start:
        case json::parse_event_t::array_start:
            return frames_.size() == d && enter(event == json::parse_event_t::array_start);
        case json::parse_event_t::key:
            return frames_.size() == d && member(parsed.get_ref<const std::string&>());
        case json::parse_event_t::value:
            return d == 0 || frames_.back().object || admit(frames_.back());
        case json::parse_event_t::object_end:
        case json::parse_event_t::array_end:
            leave();
            return true;
        }
        return true;
    }

private:
    struct frame {
        std::string path;
        bool object = false;
        const array_limit* limit = nullptr;  // none: the array keeps nothing
        std::size_t count = 0;               // elements, or members
        std::vector<std::string> keys;       // members kept
        bool dropping = false;               // the current member is dropped
    };

    static bool admit(frame& array) {
        ++array.count;
        return array.limit && array.count <= array.limit->most;
    }

    // The limit of an array at a place of the format.
    const array_limit* limit_of(const frame* parent) const {
        if (!parent) return nullptr;
        if (parent->object) {
            if (frames_.size() != 1) return nullptr;
            const std::string& key = parent->keys.back();
            if (key == "slots") return &kSlotsLimit;
            if (key == "demo_levels") return &kDemoLimit;
            if (key == "key_strings") return &kKeyTablesLimit;
            const bool table = std::find(kLeadingTables.begin(), kLeadingTables.end(), key) != kLeadingTables.end() ||
                               key == "game_strings1" || key == "game_strings2";
            return table ? &kTableLimit : nullptr;
        }
        if (parent->limit == &kSlotsLimit) return &kSlotLimit;
        if (parent->limit == &kKeyTablesLimit) return &kTableLimit;
        return nullptr;
    }

    bool enter(bool array) {
        frame f;
        f.object = !array;
        frame* parent = frames_.empty() ? nullptr : &frames_.back();
        if (parent && !parent->object) {
            if (!admit(*parent)) return false;
            f.path = index_path(parent->path, parent->count - 1);
        } else if (parent) {
            if (parent->dropping) return false;
            f.path = member_path(parent->path, parent->keys.back());
        }
        if (array) f.limit = limit_of(parent);
        frames_.push_back(std::move(f));
        return true;
    }

    bool member(const std::string& key) {
        frame& f = frames_.back();
        if (std::find(f.keys.begin(), f.keys.end(), key) != f.keys.end())
            fail(member_path(f.path, key), "duplicate field");
        f.dropping = ++f.count > kMostMembers;
        if (!f.dropping) f.keys.push_back(key);
        return !f.dropping;
    }

    void leave() {
        const frame& f = frames_.back();
        if (f.limit && f.count > f.limit->most)
            fail(f.path, "has " + std::to_string(f.count) + " " + f.limit->noun + "; " + f.limit->rest);
        frames_.pop_back();
    }

    std::vector<frame> frames_;
};

// An object whose members are looked up by name; members it does not know
// are refused before any is read.
class object_reader {
public:
    object_reader(const json& j, std::string path, std::initializer_list<std::string_view> known)
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

// Decodes one UTF-8 sequence at s[i]; nothing when it is not well formed.
std::optional<char32_t> next_code_point(const std::string& s, std::size_t& i) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    std::size_t extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 4;
    if (extra == 4 || s.size() - i <= extra)
        return std::nullopt;
    char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k <= extra; ++k) {
        unsigned char c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (c & 0x3F);
    }
    i += extra + 1;
    return cp;
}

std::string read_string(const json& j, const std::string& path) {
    if (!j.is_string()) fail(path, "must be a string");
    const std::string& s = j.get_ref<const std::string&>();
    std::string bytes;
    bytes.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        std::optional<char32_t> cp = next_code_point(s, i);
        if (!cp) fail(path, "is not valid UTF-8");
        if (*cp == 0) fail(path, "holds a NUL character, which would end the stored string");
        std::optional<unsigned char> byte = codepage::from_unicode(*cp);
        if (!byte) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*cp));
            fail(path, std::string("holds the character ") + code +
                           ", which the script's code page (windows-1252) cannot store");
        }
        bytes += static_cast<char>(*byte);
    }
    if (bytes.size() > static_cast<std::size_t>(layout::kMaxStringLength))
        fail(path, "is " + std::to_string(bytes.size()) + " characters long; a stored string holds at most " +
                       std::to_string(layout::kMaxStringLength));
    return bytes;
}

const json& array_of(const json& j, const std::string& path) {
    if (!j.is_array()) fail(path, "must be an array");
    return j;
}

void read_table(const json& j, const std::string& path, list_strings& table) {
    array_of(j, path);
    if (j.size() > kMaxEntries)
        fail(path, "has " + std::to_string(j.size()) + " entries; a table holds at most " +
                       std::to_string(kMaxEntries));
    table = list_strings{};
    std::size_t block = 0;
    for (std::size_t i = 0; i < j.size(); ++i) {
        table.strings.push_back(read_string(j[i], index_path(path, i)));
        block += table.strings.back().size() + 1;
    }
    if (block > layout::kMaxBlockSize)
        fail(path, "takes " + std::to_string(block) + " bytes stored; a table holds at most " +
                       std::to_string(layout::kMaxBlockSize));
    table.offsets.assign(table.strings.size(), 0);
}

std::uint16_t command_code(const object_reader& r) {
    const json* code = r.maybe("code");
    const json* name = r.maybe("command");
    if (!code && !name) fail(r.path("command"), "missing field");
    std::optional<std::uint16_t> by_code;
    if (code) by_code = static_cast<std::uint16_t>(whole_number(*code, r.path("code"), 0, 65535));
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
            if (n >= kCommandNameCount && n <= 65535 && command_json_name(static_cast<std::uint16_t>(n)) == given)
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
        if (k > 0 && slot.commands[k - 1].command == layout::kEndOfSet)
            fail(cpath, "follows \"End of set\", which ends the slot");
        script_command cmd;
        cmd.command = command_code(r);
        cmd.operand = layout::kNoOperand;
        const json* operand = r.maybe("operand");
        if (layout::carries_operand(cmd.command)) {
            cmd.operand = static_cast<std::uint16_t>(whole_number(r.need("operand"), r.path("operand"), 0, 65535));
        } else if (operand) {
            fail(r.path("operand"), "command " + std::to_string(cmd.command) + " carries no operand");
        }
        if (const json* name = r.maybe("name"); name && !name->is_string() && !name->is_null())
            fail(r.path("name"), "must be a string or null");
        slot.commands[k] = cmd;
    }
    slot.command_count = static_cast<std::int16_t>(j.size());
    if (j.size() == static_cast<std::size_t>(kSlotCapacity) &&
        slot.commands[kSlotCapacity - 1].command != layout::kEndOfSet)
        fail(path, "holds 64 commands without \"End of set\"; there is no room to end it");
    return slot;
}

// The byte size of the sequence block once the writer has ended every slot
// and added the missing ones.
std::size_t sequence_block_size(const std::vector<script_slot>& slots, std::size_t level_count) {
    std::size_t total = 0;
    for (const script_slot& slot : slots) {
        int n = std::max<int>(slot.command_count, 0);
        std::size_t words = n;
        for (int k = 0; k < n; ++k) words += layout::carries_operand(slot.commands[k].command) ? 1 : 0;
        if (n == 0 || slot.commands[n - 1].command != layout::kEndOfSet) words += 1;
        total += 2 * words;
    }
    if (slots.size() < level_count + 1) total += 2 * (level_count + 1 - slots.size());
    return total;
}

void check_count(const object_reader& header, std::string_view field, std::size_t actual,
                 const std::string& table_path) {
    const json* j = header.maybe(field);
    if (!j) return;
    std::int64_t n = whole_number(*j, header.path(field), -32768, 32767);
    if (n != static_cast<std::int64_t>(actual))
        fail(header.path(field), std::to_string(n) + " does not match the " + std::to_string(actual) +
                                     " entries of " + table_path);
}

}  // namespace

json_error::json_error(std::string path, const std::string& reason)
    : std::runtime_error(path + ": " + reason), path_(std::move(path)) {}

std::string_view flag_caption(int box) {
    return box >= 2 && box <= 10 ? kFlagCaptions[box] : std::string_view{};
}

std::string command_json_name(std::uint16_t code) {
    if (code >= kCommandNameCount) return "---UNKNOWN(" + std::to_string(code) + ")";
    std::string name(command_names[code]);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

int named_list(std::uint16_t code) {
    switch (code) {
    case 3: return 4;   // movie file names
    case 4: return 1;   // level descriptions
    case 5: return 5;   // cut-scene file names
    case 12: return 3;  // level picture names
    default: return 0;
    }
}

json document_to_json(const Ttombpcdat& doc) {
    json out = json::object();
    out["format"] = kFormatName;
    out["format_version"] = kFormatVersion;

    json header = json::object();
    header["version"] = doc.version;
    header["description"] = hex(doc.description);
    header["reserved_a"] = doc.reserved_a;
    header["reserved_b"] = hex(doc.reserved_b);
    header["level_count"] = doc.level_count;
    header["pic_count"] = doc.pic_count;
    header["title_count"] = doc.title_count;
    header["fmv_count"] = doc.fmv_count;
    header["cutscene_count"] = doc.cutscene_count;
    header["demo_level_count"] = doc.demo_level_count;
    header["single_level"] = doc.single_level;
    header["reserved_c"] = hex(doc.reserved_c);
    header["reserved_d"] = hex(doc.reserved_d);
    header["cipher_byte"] = doc.cipher_byte;
    header["reserved_f"] = doc.reserved_f;
    header["reserved_e"] = hex(doc.reserved_e);
    out["header"] = std::move(header);

    json options = json::object();
    for (std::size_t i = 0; i < 7; ++i) options[std::string(kOptionNames[i])] = *option_field(doc, i);
    options["title_sound_id"] = doc.title_sound_id;
    options["secret_sound_id"] = doc.secret_sound_id;
    out["options"] = std::move(options);

    json flags = json::object();
    flags["value"] = doc.flags;
    for (int box = 2; box <= 10; ++box)
        flags[std::string(flag_caption(box))] = (doc.flags & layout::check_box_bit(box)) != 0;
    out["flags"] = std::move(flags);

    for (std::size_t i = 0; i < kLeadingTables.size(); ++i)
        out[std::string(kLeadingTables[i])] = strings_json(*leading_table(doc, i));

    document_lookup lookup(doc);
    json slots = json::array();
    for (const script_slot& slot : doc.scripts) {
        json commands = json::array();
        for (int k = 0; k < std::min<int>(slot.command_count, kSlotCapacity); ++k)
            commands.push_back(command_json(slot.commands[k], lookup));
        slots.push_back(std::move(commands));
    }
    out["slots"] = std::move(slots);

    json demo = json::array();
    for (std::uint16_t level : doc.demo_levels) demo.push_back(level);
    out["demo_levels"] = std::move(demo);

    out["game_strings1"] = strings_json(doc.game_strings1);
    out["game_strings2"] = strings_json(doc.game_strings2);
    json keys = json::array();
    for (const list_strings& table : doc.key_strings) keys.push_back(strings_json(table));
    out["key_strings"] = std::move(keys);
    return out;
}

namespace {

bool is_scalar(const json& j) { return !j.is_object() && !j.is_array(); }

void write_text(const json& j, int depth, bool in_array, std::string& out) {
    const std::string indent(2 * (depth + 1), ' ');
    const std::string close(2 * depth, ' ');
    auto scalar = [](const json& v) { return v.dump(-1, ' ', false); };
    if (is_scalar(j)) {
        out += scalar(j);
    } else if (j.empty()) {
        out += j.is_object() ? "{}" : "[]";
    } else if (j.is_object()) {
        bool flat = in_array && std::all_of(j.begin(), j.end(), is_scalar);
        out += flat ? "{" : "{\n";
        bool first = true;
        for (const auto& item : j.items()) {
            if (!first) out += flat ? ", " : ",\n";
            first = false;
            if (!flat) out += indent;
            out += json(item.key()).dump(-1, ' ', false) + ": ";
            write_text(item.value(), depth + 1, false, out);
        }
        out += flat ? "}" : "\n" + close + "}";
    } else {
        bool flat = std::all_of(j.begin(), j.end(), [](const json& v) { return v.is_number(); });
        out += flat ? "[" : "[\n";
        bool first = true;
        for (const json& v : j) {
            if (!first) out += flat ? ", " : ",\n";
            first = false;
            if (!flat) out += indent;
            write_text(v, depth + 1, true, out);
        }
        out += flat ? "]" : "\n" + close + "]";
    }
}

}  // namespace

std::string json_text(const json& j) {
    std::string out;
    write_text(j, 0, false, out);
    out += '\n';
    return out;
}

Ttombpcdat document_from_json(const json& root) {
    object_reader top(root, "",
                      {"format", "format_version", "header", "options", "flags", "level_names",
                       "pic_files", "title_files", "fmv_files", "level_files", "cutscene_files",
                       "slots", "demo_levels", "game_strings1", "game_strings2", "key_strings"});
    const json& format = top.need("format");
    if (!format.is_string() || format.get<std::string>() != kFormatName)
        fail(top.path("format"), "must be \"" + std::string(kFormatName) + "\"");
    whole_number(top.need("format_version"), top.path("format_version"), kFormatVersion, kFormatVersion);

    Ttombpcdat doc;

    // Header fields that no view edits.
    object_reader header(top.need("header"), top.path("header"),
                         {"version", "description", "reserved_a", "reserved_b", "level_count",
                          "pic_count", "title_count", "fmv_count", "cutscene_count",
                          "demo_level_count", "single_level", "reserved_c", "reserved_d",
                          "cipher_byte", "reserved_f", "reserved_e"});
    doc.version = static_cast<std::uint32_t>(
        whole_number(header.need("version"), header.path("version"), 0, 0xFFFFFFFF));
    read_hex(header.need("description"), header.path("description"), doc.description);
    doc.reserved_a = static_cast<std::uint16_t>(
        whole_number(header.need("reserved_a"), header.path("reserved_a"), 0, 65535));
    read_hex(header.need("reserved_b"), header.path("reserved_b"), doc.reserved_b);
    doc.single_level = static_cast<std::int16_t>(
        whole_number(header.need("single_level"), header.path("single_level"), -32768, 32767));
    read_hex(header.need("reserved_c"), header.path("reserved_c"), doc.reserved_c);
    read_hex(header.need("reserved_d"), header.path("reserved_d"), doc.reserved_d);
    doc.cipher_byte = static_cast<std::uint8_t>(
        whole_number(header.need("cipher_byte"), header.path("cipher_byte"), 0, 255));
    doc.reserved_f = static_cast<std::uint8_t>(
        whole_number(header.need("reserved_f"), header.path("reserved_f"), 0, 255));
    read_hex(header.need("reserved_e"), header.path("reserved_e"), doc.reserved_e);

    // Option values.
    object_reader options(top.need("options"), top.path("options"),
                          {kOptionNames[0], kOptionNames[1], kOptionNames[2], kOptionNames[3],
                           kOptionNames[4], kOptionNames[5], kOptionNames[6], kOptionNames[7],
                           kOptionNames[8]});
    for (std::size_t i = 0; i < 7; ++i)
        *option_field(doc, i) = static_cast<std::int32_t>(whole_number(
            options.need(kOptionNames[i]), options.path(kOptionNames[i]), INT32_MIN, INT32_MAX));
    doc.title_sound_id = static_cast<std::int16_t>(
        whole_number(options.need("title_sound_id"), options.path("title_sound_id"), -32768, 32767));
    doc.secret_sound_id = static_cast<std::int16_t>(
        whole_number(options.need("secret_sound_id"), options.path("secret_sound_id"), -32768, 32767));

    // Flags: the nine captions decide; the raw value, when given, must agree.
    object_reader flags(top.need("flags"), top.path("flags"),
                        {"value", kFlagCaptions[2], kFlagCaptions[3], kFlagCaptions[4],
                         kFlagCaptions[5], kFlagCaptions[6], kFlagCaptions[7], kFlagCaptions[8],
                         kFlagCaptions[9], kFlagCaptions[10]});
    std::uint16_t box_bits = 0, all_box_bits = 0;
    for (int box = 2; box <= 10; ++box) {
        const json& b = flags.need(flag_caption(box));
        if (!b.is_boolean()) fail(flags.path(flag_caption(box)), "must be true or false");
        all_box_bits |= layout::check_box_bit(box);
        if (b.get<bool>()) box_bits |= layout::check_box_bit(box);
    }
    doc.flags = box_bits | layout::kFlagCodedStrings | layout::kFlagAlwaysSet;
    if (const json* value = flags.maybe("value")) {
        auto raw = static_cast<std::uint16_t>(whole_number(*value, flags.path("value"), 0, 65535));
        if ((raw & all_box_bits) != box_bits)
            fail(flags.path("value"), std::to_string(raw) + " does not agree with the flags named beside it");
        doc.flags = raw;
    }

    // String tables.
    for (std::size_t i = 0; i < kLeadingTables.size(); ++i)
        read_table(top.need(kLeadingTables[i]), top.path(kLeadingTables[i]), *leading_table(doc, i));
    const std::size_t levels = doc.level_names.strings.size();
    if (doc.level_files.strings.size() != levels)
        fail(top.path("level_files"), "has " + std::to_string(doc.level_files.strings.size()) +
                                          " entries; it needs one per level (" + std::to_string(levels) + ")");

    // Slots.
    const std::string slots_path = top.path("slots");
    const json& slots = array_of(top.need("slots"), slots_path);
    for (std::size_t s = 0; s < slots.size(); ++s) doc.scripts.push_back(read_slot(slots[s], index_path(slots_path, s)));
    if (doc.scripts.size() > 65535)
        fail(slots_path, "has " + std::to_string(doc.scripts.size()) + " slots; at most 65535 fit");
    if (std::size_t size = sequence_block_size(doc.scripts, levels); size > layout::kMaxBlockSize)
        fail(slots_path, "the sequences take " + std::to_string(size) +
                             " bytes stored; the sequence block holds at most " +
                             std::to_string(layout::kMaxBlockSize));
    doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());

    // Demo levels: each names a level description.
    const std::string demo_path = top.path("demo_levels");
    const json& demo = array_of(top.need("demo_levels"), demo_path);
    if (demo.size() > kMaxEntries)
        fail(demo_path, "has " + std::to_string(demo.size()) + " entries; at most " +
                            std::to_string(kMaxEntries) + " fit");
    for (std::size_t i = 0; i < demo.size(); ++i) {
        if (levels == 0) fail(index_path(demo_path, i), "names a level, but there are no levels");
        doc.demo_levels.push_back(static_cast<std::uint16_t>(
            whole_number(demo[i], index_path(demo_path, i), 0, static_cast<std::int64_t>(levels) - 1)));
    }

    // Game strings and key strings.
    read_table(top.need("game_strings1"), top.path("game_strings1"), doc.game_strings1);
    read_table(top.need("game_strings2"), top.path("game_strings2"), doc.game_strings2);
    if (doc.game_strings2.strings.size() != static_cast<std::size_t>(layout::kGameStrings2Count))
        fail(top.path("game_strings2"), "has " + std::to_string(doc.game_strings2.strings.size()) +
                                            " entries; it always has " +
                                            std::to_string(layout::kGameStrings2Count));
    const std::string keys_path = top.path("key_strings");
    const json& keys = array_of(top.need("key_strings"), keys_path);
    if (keys.size() != doc.key_strings.size())
        fail(keys_path, "has " + std::to_string(keys.size()) + " tables; there are always " +
                            std::to_string(doc.key_strings.size()));
    for (std::size_t t = 0; t < keys.size(); ++t) {
        std::string tpath = index_path(keys_path, t);
        read_table(keys[t], tpath, doc.key_strings[t]);
        if (doc.key_strings[t].strings.size() != levels)
            fail(tpath, "has " + std::to_string(doc.key_strings[t].strings.size()) +
                            " entries; it needs one per level (" + std::to_string(levels) + ")");
    }

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
    return doc;
}

json parse_json(std::span<const std::uint8_t> text) {
    parse_watch watch;
    return json::parse(text.begin(), text.end(),
                       [&watch](int depth, json::parse_event_t event, json& parsed) {
                           return watch(depth, event, parsed);
                       });
}

std::vector<std::uint8_t> saved_image(const Ttombpcdat& doc) {
    Ttombpcdat copy = doc;
    memory_views views;
    push_to_views(copy, views);
    return write_script_file(copy, views);
}

void save_document(const std::string& path, const Ttombpcdat& doc) {
    Ttombpcdat copy = doc;
    memory_views views;
    push_to_views(copy, views);
    save_script_file(path, copy, views);
}

}  // namespace vellumark::cli
