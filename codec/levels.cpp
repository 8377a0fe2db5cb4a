#include "codec/levels.h"

#include <algorithm>

#include "codec/commands.h"
#include "codec/errors.h"

namespace vellumark {

namespace {

bool names_a_level(std::uint16_t code) { return code == cmd::kPlayLevel || code == cmd::kPlayDemoLevel; }

// The new number of what an operand names, or the operand itself when it
// named no level.
std::uint16_t renumbered(std::uint16_t operand, const level_map& map) {
    if (operand >= map.size()) return operand;
    const int to = map[operand];
    return to == kLevelDeleted ? kNamesNoLevel : static_cast<std::uint16_t>(to);
}

void check_level(int level, int levels, bool may_be_end = false) {
    if (level >= 0 && (level < levels || (may_be_end && level == levels))) return;
    throw script_error("Level " + std::to_string(level) + " does not exist (the script has " +
                       std::to_string(levels) + " levels)");
}

void renumber(Ttombpcdat& doc, const level_map& map) {
    for (auto& [slot, value] : renumbered_slots(doc.scripts, map)) doc.scripts[std::size_t(slot)] = value;
    doc.demo_levels = renumbered_demo_levels(doc.demo_levels, map);
    doc.demo_level_count = static_cast<std::int16_t>(doc.demo_levels.size());
}

}  // namespace

std::vector<table_id> tables_moving_with_levels(const Ttombpcdat& doc) {
    std::vector<table_id> ids;
    for (const table_info& t : kTables)
        if (t.per_level) ids.push_back(t.id);
    if (doc.pic_files.strings.size() == doc.level_names.strings.size()) ids.push_back(table_id::pic_files);
    return ids;
}

level_map level_moved(int levels, int from, int to) {
    level_map map(std::size_t(std::max(levels, 0)));
    for (int i = 0; i < levels; ++i) {
        int n = i;
        if (i == from)
            n = to;
        else if (from < to && i > from && i <= to)
            n = i - 1;
        else if (to < from && i >= to && i < from)
            n = i + 1;
        map[std::size_t(i)] = n;
    }
    return map;
}

level_map level_inserted(int levels, int at) {
    level_map map(std::size_t(std::max(levels, 0)));
    for (int i = 0; i < levels; ++i) map[std::size_t(i)] = i < at ? i : i + 1;
    return map;
}

level_map level_deleted(int levels, int level) {
    level_map map(std::size_t(std::max(levels, 0)));
    for (int i = 0; i < levels; ++i) map[std::size_t(i)] = i < level ? i : i == level ? kLevelDeleted : i - 1;
    return map;
}

std::vector<std::pair<int, script_slot>> renumbered_slots(const std::vector<script_slot>& slots,
                                                          const level_map& map) {
    std::vector<std::pair<int, script_slot>> changed;
    for (std::size_t k = 0; k < slots.size(); ++k) {
        script_slot slot = slots[k];
        bool changes = false;
        const int n = std::clamp<int>(slot.command_count, 0, kSlotCapacity);
        for (int i = 0; i < n; ++i) {
            script_command& c = slot.commands[std::size_t(i)];
            if (!names_a_level(c.command)) continue;
            const std::uint16_t to = renumbered(c.operand, map);
            changes |= to != c.operand;
            c.operand = to;
        }
        if (changes) changed.emplace_back(int(k), slot);
    }
    return changed;
}

std::vector<std::uint16_t> renumbered_demo_levels(const std::vector<std::uint16_t>& demo, const level_map& map) {
    std::vector<std::uint16_t> out;
    for (std::uint16_t level : demo) {
        if (level < map.size() && map[level] == kLevelDeleted) continue;
        out.push_back(renumbered(level, map));
    }
    return out;
}

level_references references_to_level(const Ttombpcdat& doc, int level) {
    level_references refs;
    for (std::size_t k = 0; k < doc.scripts.size(); ++k) {
        if (int(k) == level + 1) continue;  // the level's own slot goes with it
        const script_slot& slot = doc.scripts[k];
        const int n = std::clamp<int>(slot.command_count, 0, kSlotCapacity);
        for (int i = 0; i < n; ++i) {
            const script_command& c = slot.commands[std::size_t(i)];
            if (names_a_level(c.command) && c.operand == level) refs.commands.emplace_back(int(k), i);
        }
    }
    for (std::size_t i = 0; i < doc.demo_levels.size(); ++i)
        if (doc.demo_levels[i] == level) refs.demo_entries.push_back(int(i));
    return refs;
}

void move_level(Ttombpcdat& doc, int from, int to) {
    const int levels = int(doc.level_names.strings.size());
    check_level(from, levels);
    check_level(to, levels);
    if (from == to) return;
    const std::size_t last = std::size_t(std::max(from, to));
    for (table_id id : tables_moving_with_levels(doc)) {
        auto& strings = table(doc, id).strings;
        if (strings.size() <= last) strings.resize(std::size_t(levels));  // key-string lines not typed yet
        move_element(strings, std::size_t(from), std::size_t(to));
    }
    if (doc.scripts.size() > last + 1) move_element(doc.scripts, std::size_t(from) + 1, std::size_t(to) + 1);
    renumber(doc, level_moved(levels, from, to));
}

void insert_level(Ttombpcdat& doc, int at, const std::string& name, const std::string& file) {
    const int levels = int(doc.level_names.strings.size());
    check_level(at, levels, true);
    for (table_id id : tables_moving_with_levels(doc)) {
        auto& strings = table(doc, id).strings;
        if (strings.size() < std::size_t(at)) continue;  // no line of a later level to shift
        const std::string text = id == table_id::level_names ? name : id == table_id::level_files ? file : "";
        strings.insert(strings.begin() + at, text);
    }
    const std::size_t slot = std::min(doc.scripts.size(), std::size_t(at) + 1);
    doc.scripts.insert(doc.scripts.begin() + std::ptrdiff_t(slot), end_of_set_slot());
    doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());
    renumber(doc, level_inserted(levels, at));
}

void delete_level(Ttombpcdat& doc, int level) {
    const int levels = int(doc.level_names.strings.size());
    check_level(level, levels);
    for (table_id id : tables_moving_with_levels(doc)) {
        auto& strings = table(doc, id).strings;
        if (strings.size() > std::size_t(level)) strings.erase(strings.begin() + level);
    }
    if (doc.scripts.size() > std::size_t(level) + 1) doc.scripts.erase(doc.scripts.begin() + level + 1);
    doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());
    renumber(doc, level_deleted(levels, level));
}

}  // namespace vellumark
