#include "codec/levels.h"

#include <algorithm>

#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/slots.h"

namespace vellumark {

namespace {

// The new number of every old level; kLevelDeleted for a deleted one.
using level_map = std::vector<int>;
constexpr int kLevelDeleted = -1;

// Where entry i goes when the entry at `from` moves to `to`.
int moved(int i, int from, int to) {
    if (i == from) return to;
    if (from < to && i > from && i <= to) return i - 1;
    if (to < from && i >= to && i < from) return i + 1;
    return i;
}

level_map level_moved(int levels, int from, int to) {
    level_map map(std::size_t(std::max(levels, 0)));
    for (int i = 0; i < levels; ++i) map[std::size_t(i)] = moved(i, from, to);
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

// Whether a command's operand follows the levels: always for "Play level"
// and "Play demo level"; for "Show Chapter screen" when pictures move with
// their levels, so that the picture map is the level map.
bool follows_levels(std::uint16_t code, bool pictures) {
    return code == cmd::kPlayLevel || code == cmd::kPlayDemoLevel || (pictures && code == cmd::kShowChapterScreen);
}

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

// Appends to a plan whose slots have moved what follows the levels: the slots
// whose operands the map changes (at their numbers after the plan, in runs of
// neighbours), then the demo list.
void renumber(const Ttombpcdat& doc, const level_map& map, level_plan& plan) {
    const bool pictures = pictures_move_with_levels(doc);
    const auto follows = [&](const script_command& c) {
        return follows_levels(c.command, pictures) && renumbered(c.operand, map) != c.operand;
    };
    level_plan slot_moves;  // the slot changes of the plan alone
    for (const level_change& c : plan.changes)
        if (std::holds_alternative<change::move_slot>(c) || std::holds_alternative<change::insert_slot>(c) ||
            std::holds_alternative<change::remove_slot>(c))
            slot_moves.changes.push_back(c);
    std::vector<std::pair<int, std::size_t>> changed;  // the slot's number after the plan, before it
    for (std::size_t k = 0; k < doc.scripts.size(); ++k) {
        const script_slot& slot = doc.scripts[k];
        const auto first = slot.commands.begin();
        if (std::none_of(first, first + used_commands(slot), follows)) continue;
        const int to = slot_after(slot_moves, int(k));
        if (to >= 0) changed.emplace_back(to, k);  // not the deleted level's own slot
    }
    // In runs of neighbouring slots: one change each.
    std::sort(changed.begin(), changed.end());
    for (std::size_t i = 0; i < changed.size();) {
        std::size_t end = i + 1;
        while (end < changed.size() && changed[end].first == changed[end - 1].first + 1) ++end;
        change::replace_slots run{changed[i].first, {}};
        run.values.reserve(end - i);
        for (; i < end; ++i) {
            script_slot& slot = run.values.emplace_back(doc.scripts[changed[i].second]);
            const int n = used_commands(slot);
            for (int c = 0; c < n; ++c) {
                script_command& command = slot.commands[std::size_t(c)];
                if (follows_levels(command.command, pictures)) command.operand = renumbered(command.operand, map);
            }
        }
        plan.changes.emplace_back(std::move(run));
    }

    change::set_demo_levels demo;
    for (std::size_t i = 0; i < doc.demo_levels.size(); ++i) {
        const std::uint16_t level = doc.demo_levels[i];
        if (level < map.size() && map[level] == kLevelDeleted) continue;
        demo.levels.push_back(renumbered(level, map));
        demo.kept.push_back(int(i));
    }
    if (demo.levels != doc.demo_levels) plan.changes.emplace_back(std::move(demo));
}

// Makes one change on a record.
struct applier {
    Ttombpcdat& doc;

    void operator()(const change::move_entry& c) const {
        move_element(table(doc, c.table).strings, std::size_t(c.from), std::size_t(c.to));
    }
    void operator()(const change::insert_entries& c) const {
        auto& strings = table(doc, c.table).strings;
        strings.insert(strings.begin() + c.at, c.lines.begin(), c.lines.end());
    }
    void operator()(const change::remove_entry& c) const {
        auto& strings = table(doc, c.table).strings;
        strings.erase(strings.begin() + c.at);
    }
    void operator()(const change::move_slot& c) const {
        move_element(doc.scripts, std::size_t(c.from), std::size_t(c.to));
    }
    void operator()(const change::insert_slot& c) const {
        doc.scripts.insert(doc.scripts.begin() + c.at, c.value);
        doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());
    }
    void operator()(const change::remove_slot& c) const {
        doc.scripts.erase(doc.scripts.begin() + c.at);
        doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());
    }
    void operator()(const change::replace_slots& c) const {
        std::copy(c.values.begin(), c.values.end(), doc.scripts.begin() + c.first);
    }
    void operator()(const change::set_demo_levels& c) const {
        doc.demo_levels = c.levels;
        doc.demo_level_count = static_cast<std::int16_t>(c.levels.size());
    }
};

}  // namespace

std::vector<table_id> tables_moving_with_levels(const Ttombpcdat& doc) {
    std::vector<table_id> ids;
    for (const table_info& t : tables_of(doc.layout))
        if (t.per_level) ids.push_back(t.id);
    if (pictures_move_with_levels(doc)) ids.push_back(table_id::pic_files);
    return ids;
}

bool pictures_move_with_levels(const Ttombpcdat& doc) {
    return doc.pic_files.strings.size() == doc.level_names.strings.size();
}

level_plan plan_move_level(const Ttombpcdat& doc, int from, int to) {
    const int levels = level_total(doc);
    check_level(from, levels);
    check_level(to, levels);
    level_plan plan;
    if (from == to) return plan;
    const int last = std::max(from, to);
    for (table_id id : tables_moving_with_levels(doc)) {
        const int n = int(table(doc, id).strings.size());
        if (n <= last)  // key-string lines not typed yet
            plan.changes.emplace_back(change::insert_entries{id, n, std::vector<std::string>(std::size_t(levels - n))});
        plan.changes.emplace_back(change::move_entry{id, from, to});
    }
    if (doc.scripts.size() > std::size_t(last) + 1) plan.changes.emplace_back(change::move_slot{from + 1, to + 1});
    renumber(doc, level_moved(levels, from, to), plan);
    return plan;
}

level_plan plan_insert_level(const Ttombpcdat& doc, int at, const std::string& name, const std::string& file) {
    const int levels = level_total(doc);
    check_level(at, levels, true);
    level_plan plan;
    for (table_id id : tables_moving_with_levels(doc)) {
        if (table(doc, id).strings.size() < std::size_t(at)) continue;  // no line of a later level to shift
        const std::string text = id == table_id::level_names ? name : id == table_id::level_files ? file : "";
        plan.changes.emplace_back(change::insert_entries{id, at, {text}});
    }
    plan.changes.emplace_back(change::insert_slot{std::min(int(doc.scripts.size()), at + 1), end_of_set_slot()});
    renumber(doc, level_inserted(levels, at), plan);
    return plan;
}

level_plan plan_delete_level(const Ttombpcdat& doc, int level) {
    const int levels = level_total(doc);
    check_level(level, levels);
    level_plan plan;
    for (table_id id : tables_moving_with_levels(doc))
        if (table(doc, id).strings.size() > std::size_t(level))
            plan.changes.emplace_back(change::remove_entry{id, level});
    if (doc.scripts.size() > std::size_t(level) + 1) plan.changes.emplace_back(change::remove_slot{level + 1});
    renumber(doc, level_deleted(levels, level), plan);
    return plan;
}

void apply(Ttombpcdat& doc, const level_plan& plan) {
    for (const level_change& c : plan.changes) std::visit(applier{doc}, c);
}

int slot_after(const level_plan& plan, int slot) {
    for (const level_change& c : plan.changes) {
        if (slot < 0) break;
        if (const auto* m = std::get_if<change::move_slot>(&c))
            slot = moved(slot, m->from, m->to);
        else if (const auto* i = std::get_if<change::insert_slot>(&c))
            slot += slot >= i->at ? 1 : 0;
        else if (const auto* r = std::get_if<change::remove_slot>(&c))
            slot = slot == r->at ? -1 : slot > r->at ? slot - 1 : slot;
    }
    return slot;
}

int slot_before(const level_plan& plan, int slot) {
    for (auto c = plan.changes.rbegin(); c != plan.changes.rend() && slot >= 0; ++c) {
        if (const auto* m = std::get_if<change::move_slot>(&*c))
            slot = moved(slot, m->to, m->from);
        else if (const auto* i = std::get_if<change::insert_slot>(&*c))
            slot = slot == i->at ? -1 : slot > i->at ? slot - 1 : slot;
        else if (const auto* r = std::get_if<change::remove_slot>(&*c))
            slot += slot >= r->at ? 1 : 0;
    }
    return slot;
}

void move_level(Ttombpcdat& doc, int from, int to) { apply(doc, plan_move_level(doc, from, to)); }

void insert_level(Ttombpcdat& doc, int at, const std::string& name, const std::string& file) {
    apply(doc, plan_insert_level(doc, at, name, file));
}

void delete_level(Ttombpcdat& doc, int level) { apply(doc, plan_delete_level(doc, level)); }

level_references references_to_level(const Ttombpcdat& doc, int level) {
    const bool pictures = pictures_move_with_levels(doc);
    level_references refs;
    for (std::size_t k = 0; k < doc.scripts.size(); ++k) {
        if (int(k) == level + 1) continue;  // the level's own slot goes with it
        const script_slot& slot = doc.scripts[k];
        const int n = used_commands(slot);
        for (int i = 0; i < n; ++i) {
            const script_command& c = slot.commands[std::size_t(i)];
            if (follows_levels(c.command, pictures) && c.operand == level) refs.commands.emplace_back(int(k), i);
        }
    }
    for (std::size_t i = 0; i < doc.demo_levels.size(); ++i)
        if (doc.demo_levels[i] == level) refs.demo_entries.push_back(int(i));
    return refs;
}

}  // namespace vellumark
