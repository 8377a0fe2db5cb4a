// The bounds of the JSON form: how long its text can be, how deep it nests
// and how many elements each array holds. Text past any of them is refused
// while it is read, before it fills memory.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <vector>

#include "codec/check.h"
#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/tombpcdat.h"
#include "formats/json_common.h"

namespace vellumark::json_form {

namespace {

// ---- the longest text -----------------------------------------------------------
// The text of a script at every limit of the file, as dump writes it, with
// room for other layouts of the same values:
// - A string is written in two quotes, each of its stored bytes at most as
//   "\u00XX" (a code page holds no character beyond U+FFFF), with kRoom bytes
//   of comma, line end and indentation. A table's strings take at most
//   kMaxBlockSize stored bytes, one of which ends each string: n strings hold
//   at most kMaxBlockSize - n characters, which is longest for the most
//   strings a table has, kMaxEntries.
// - The sequence block holds at most kMaxBlockSize bytes and a command takes
//   at least 2 of them, an empty slot too (a lone "End of set" when written):
//   at most kMaxBlockSize / 2 commands and as many slots. A command is written
//   in at most kCommandRoom bytes besides its "name", which only a command
//   with an operand has (4 bytes): at most kMaxBlockSize / 4 names, each a
//   string of at most kMaxStringLength characters.
// - At most kMaxEntries demo levels (numbers up to 65535) and movie records
//   (two numbers up to 4294967295).
// - The header, options, flags and member names: less than kFixedRoom.
constexpr std::size_t kRoom = 16;
constexpr std::size_t kCharBytes = 6;
constexpr std::size_t kCommandRoom = 128;
constexpr std::size_t kFixedRoom = 16384;
constexpr std::size_t kEntries = static_cast<std::size_t>(kMaxEntries);
constexpr std::size_t kBlock = layout::kMaxBlockSize;

constexpr std::size_t kTableBytes = kEntries * (2 + kRoom) + (kBlock - kEntries) * kCharBytes;
constexpr std::size_t kSlotBytes = (kBlock / 2) * (2 + 2 * kRoom);
constexpr std::size_t kCommandBytes =
    (kBlock / 2) * kCommandRoom + (kBlock / 4) * (2 + kCharBytes * layout::kMaxStringLength + kRoom);
constexpr std::size_t kDemoBytes = kEntries * (5 + kRoom);
constexpr std::size_t kRecordBytes = kEntries * (2 + 2 * (10 + kRoom) + kRoom);

// ---- arrays ---------------------------------------------------------------------

// The most elements an array of the format holds, and how a longer one is
// refused: "<path>: has N <noun>; <rest>".
struct array_limit {
    std::size_t most;
    const char* noun;
    std::string rest;
};
const std::string kAtMostEntries = "at most " + std::to_string(kMaxEntries) + " fit";
const array_limit kTableLimit{kEntries, "entries", "a table holds at most " + std::to_string(kMaxEntries)};
const array_limit kSlotsLimit{std::numeric_limits<std::uint16_t>::max(), "slots",
                              "at most " + std::to_string(std::numeric_limits<std::uint16_t>::max()) + " fit"};
const array_limit kSlotLimit{kSlotCapacity, "commands", "a slot holds at most " + std::to_string(kSlotCapacity)};
const array_limit kDemoLimit{kEntries, "entries", kAtMostEntries};
// The tables of each group of table_groups().
const std::vector<array_limit> kGroupLimits = [] {
    std::vector<array_limit> out;
    for (const table_group& g : table_groups())
        out.push_back({g.tables, "tables", "there are always " + std::to_string(g.tables)});
    return out;
}();
const array_limit kRecordsLimit{kEntries, "records", kAtMostEntries};
// A movie record is two numbers; a few more are kept so that the reader
// refuses the record in its own words.
const array_limit kRecordLimit{4, "numbers", "a movie record holds two"};

// No object of the format has 32 members (the top level, the largest, has
// fewer than 20): of the first 32 members of any object one is unknown, and
// the object is refused for it; members past the 32nd need not be kept.
constexpr std::size_t kMostMembers = 32;

// Watches the parser build the value. Nesting deeper than the format's is
// refused at once. A member given twice is refused. Array elements are
// counted as they are read: past an array's limit they are dropped at once
// and the array is refused when it ends, so that an oversized array never
// fills memory. An array where the format has none keeps no element, and an
// object no member past the 32nd: such a value is refused later by its type
// or by an unknown member, whatever it holds.
class parse_watch {
public:
    bool operator()(int depth, json::parse_event_t event, json& parsed) {
        // Events come with the depth of the value. Inside a dropped value
        // (deeper than the frames) only its starts and keys are reported,
        // and not its end.
        const auto d = static_cast<std::size_t>(depth);
        const bool dropped = d > frames_.size();
        switch (event) {
        case json::parse_event_t::object_start:
        case json::parse_event_t::array_start:
            if (d > kDeepestValue) too_deep(dropped);
            return !dropped && enter(event == json::parse_event_t::array_start);
        case json::parse_event_t::key:
            if (d > kDeepestValue) too_deep(dropped);
            return !dropped && member(parsed.get_ref<const std::string&>());
        case json::parse_event_t::value:
            if (d > kDeepestValue) too_deep(dropped);
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

    // Names the container that holds the value too deep: its parent, or the
    // dropped value it is in.
    [[noreturn]] void too_deep(bool dropped) const {
        fail(dropped ? dropped_path_ : frames_.back().path,
             "holds a value nested more than " + std::to_string(kDeepestValue) +
                 " levels deep, deeper than any value of the JSON form");
    }

    // The limit of an array at a place of the format.
    const array_limit* limit_of(const frame* parent) const {
        if (!parent) return nullptr;
        if (parent->object) {
            if (frames_.size() != 1) return nullptr;
            const std::string& key = parent->keys.back();
            if (key == "slots") return &kSlotsLimit;
            if (key == "demo_levels") return &kDemoLimit;
            for (std::size_t g = 0; g < kGroupLimits.size(); ++g)
                if (key == table_groups()[g].member) return &kGroupLimits[g];
            if (key == "fmv_records") return &kRecordsLimit;
            const bool table = std::any_of(kTables.begin(), kTables.end(),
                                           [&key](const table_info& t) { return own_member(t.id) && t.json == key; });
            return table ? &kTableLimit : nullptr;
        }
        if (parent->limit == &kSlotsLimit) return &kSlotLimit;
        for (const array_limit& group : kGroupLimits)
            if (parent->limit == &group) return &kTableLimit;
        if (parent->limit == &kRecordsLimit) return &kRecordLimit;
        return nullptr;
    }

    bool enter(bool array) {
        frame f;
        f.object = !array;
        frame* parent = frames_.empty() ? nullptr : &frames_.back();
        if (parent && !parent->object) {
            const bool kept = admit(*parent);
            f.path = index_path(parent->path, parent->count - 1);
            if (!kept) return drop(f.path);
        } else if (parent) {
            f.path = member_path(parent->path, parent->keys.back());
            if (parent->dropping) return drop(f.path);
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
        if (f.dropping) return drop(member_path(f.path, key));
        f.keys.push_back(key);
        return true;
    }

    bool drop(std::string path) {
        dropped_path_ = std::move(path);
        return false;
    }

    void leave() {
        const frame& f = frames_.back();
        if (f.limit && f.count > f.limit->most)
            fail(f.path, "has " + std::to_string(f.count) + " " + f.limit->noun + "; " + f.limit->rest);
        frames_.pop_back();
    }

    std::vector<frame> frames_;
    std::string dropped_path_;  // the value last dropped
};

bool is_identifier(std::string_view key) {
    if (key.empty() || !(std::isalpha(static_cast<unsigned char>(key[0])) || key[0] == '_')) return false;
    return std::all_of(key.begin(), key.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

}  // namespace

const std::size_t kMostJsonBytes = kTableIds * kTableBytes + kSlotBytes + kCommandBytes + kDemoBytes +
                                   kRecordBytes + kFixedRoom;

json_error::json_error(std::string path, const std::string& reason)
    : std::runtime_error(path + ": " + reason), path_(std::move(path)) {}

const std::vector<table_group>& table_groups() {
    static const std::vector<table_group> groups = [] {
        std::vector<table_group> out;
        for (int n = 0; n < kKeyStringTables + kBetaKeyStringTables; ++n) {
            const table_id id = key_table(n);
            if (out.empty() || out.back().member != info(id).json)
                out.push_back({info(id).json, 0, id});
            ++out.back().tables;
        }
        return out;
    }();
    return groups;
}

std::size_t group_of(table_id id) {
    std::size_t g = 0;
    while (table_groups()[g].member != info(id).json) ++g;
    return g;
}

std::string member_path(const std::string& path, std::string_view key) {
    if (is_identifier(key)) return path.empty() ? std::string(key) : path + "." + std::string(key);
    return path + "[" + json(std::string(key)).dump() + "]";
}

std::string index_path(const std::string& path, std::size_t i) { return path + "[" + std::to_string(i) + "]"; }

void fail(const std::string& path, const std::string& reason) {
    throw json_error(path.empty() ? "(top level)" : path, reason);
}

json parse_json(std::span<const std::uint8_t> text) {
    parse_watch watch;
    try {
        return json::parse(text.begin(), text.end(), [&watch](int depth, json::parse_event_t event, json& parsed) {
            return watch(depth, event, parsed);
        });
    } catch (const json::exception& e) {
        // Drop the library's "[json.exception.parse_error.101] " prefix.
        std::string what = e.what();
        if (auto end = what.find("] "); !what.empty() && what[0] == '[' && end != std::string::npos)
            what.erase(0, end + 2);
        throw script_error(what);
    }
}

}  // namespace vellumark::json_form
