#include "editors/document.h"

#include <algorithm>
#include <string>
#include <variant>

#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/levels.h"
#include "codec/search.h"
#include "codec/slots.h"
#include "codec/transcript.h"
#include "editors/commands/change_value.h"
#include "editors/commands/follow_copied_slot.h"
#include "editors/commands/move_entry.h"
#include "editors/commands/replace_entries.h"
#include "editors/commands/replace_slots.h"
#include "editors/text.h"

using vellumark::script_slot;
using vellumark::table_id;

namespace {

// One callable made of several lambdas, for std::visit.
template <class... F>
struct overloaded : F... {
    using F::operator()...;
};
template <class... F>
overloaded(F...) -> overloaded<F...>;

// Two slots hold the same commands (operand_count is the writer's business).
bool same_commands(const script_slot& a, const script_slot& b) {
    if (a.command_count != b.command_count) return false;
    const int n = vellumark::used_commands(a);
    return std::equal(a.commands.begin(), a.commands.begin() + n, b.commands.begin());
}

// Replaces all[first .. first + count - 1] by run, copying over what both share.
template <class T>
void replace_run(std::vector<T>& all, int first, int count, const std::vector<T>& run) {
    const auto at = all.begin() + first;
    const int common = std::min(count, int(run.size()));
    std::copy(run.begin(), run.begin() + common, at);
    if (count > common)
        all.erase(at + common, at + count);
    else
        all.insert(at + common, run.begin() + common, run.end());
}

}  // namespace

ScriptDocument::ScriptDocument(QObject* parent) : QObject(parent) {
    connect(&undo_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

void ScriptDocument::load(vellumark::Ttombpcdat record) {
    record_ = std::move(record);
    slot_added_.assign(record_.scripts.size(), 0);
    demo_texts_.clear();
    for (std::uint16_t level : record_.demo_levels) demo_texts_.push_back(vellumark::level_description(record_, level));
    single_level_box_ = record_.single_level != -1;
    copied_slot_ = -1;
    undo_.clear();
    emit reset();
}

void ScriptDocument::adoptSaved(vellumark::Ttombpcdat saved) {
    // Whatever the save changed in what the views show becomes a step of its
    // own, so that undo and redo keep telling the truth: found by comparing
    // the record with what was written.
    auto* step = new QUndoCommand(QStringLiteral("Complete the script for saving"));
    const std::size_t common = std::min(record_.scripts.size(), saved.scripts.size());
    for (std::size_t k = 0; k < common; ++k)
        if (!same_commands(record_.scripts[k], saved.scripts[k]))
            new ReplaceSlots(*this, int(k), {{record_.scripts[k]}, {slot_added_[k]}},
                             {{saved.scripts[k]}, {slot_added_[k]}}, {}, step);
    if (saved.scripts.size() > common) {
        std::vector<script_slot> more(saved.scripts.begin() + std::ptrdiff_t(common), saved.scripts.end());
        const std::vector<char> flags(more.size(), 0);
        new ReplaceSlots(*this, int(common), {}, {std::move(more), flags}, {}, step);
    } else if (record_.scripts.size() > common) {
        const auto from = std::ptrdiff_t(common);
        new ReplaceSlots(*this, int(common),
                         {{record_.scripts.begin() + from, record_.scripts.end()},
                          {slot_added_.begin() + from, slot_added_.end()}},
                         {}, {}, step);
    }
    addTableChanges(saved, step);
    if (saved.demo_levels != record_.demo_levels) {
        // An entry that stays keeps its line; another shows its level's description.
        Lines texts;
        for (std::size_t i = 0; i < saved.demo_levels.size(); ++i)
            texts.push_back(i < record_.demo_levels.size() && record_.demo_levels[i] == saved.demo_levels[i]
                                ? demo_texts_[i]
                                : vellumark::level_description(saved, saved.demo_levels[i]));
        new ChangeDemoLevels(*this, {record_.demo_levels, demo_texts_}, {saved.demo_levels, std::move(texts)}, {},
                             step);
    }
    if (step->childCount() > 0)
        undo_.push(step);
    else
        delete step;

    // What the views show is now the same; the rest (counts, offsets, sizes,
    // flags, each slot's operand count) is taken as the file holds it. No
    // view shows it; "Save Text" reports this level count.
    record_ = std::move(saved);
    undo_.setClean();
}

QString ScriptDocument::slotLabel(int slot) const {
    const bool added = slot >= 0 && std::size_t(slot) < slot_added_.size() && slot_added_[std::size_t(slot)];
    return (added ? QStringLiteral("Script #%1") : QStringLiteral("Script#%1")).arg(slot);
}

// ---- operations ---------------------------------------------------------------

void ScriptDocument::replaceEntries(table_id table, int first, int count, Lines lines, const QString& text) {
    const Lines& now = vellumark::table(record_, table).strings;
    first = std::clamp(first, 0, int(now.size()));
    count = std::clamp(count, 0, int(now.size()) - first);
    Lines before(now.begin() + first, now.begin() + first + count);
    undo_.push(new ReplaceEntries(*this, table, first, std::move(before), std::move(lines), text,
                                  vellumark::is_key_table(table)));
}

void ScriptDocument::setOption(vellumark::option_id option, std::int32_t value) {
    undo_.push(new ChangeOption(*this, option, vellumark::option_value(record_, option), value));
}

void ScriptDocument::setFlag(std::uint16_t bit, bool on) {
    for (const vellumark::flag_info& f : vellumark::kOptionFlags)
        if (f.bit == bit)
            undo_.push(new ChangeFlag(
                *this, bit, on,
                QStringLiteral("Change %1").arg(QString::fromLatin1(f.caption.data(), qsizetype(f.caption.size())))));
}

void ScriptDocument::setSingleLevelBox(bool on) {
    undo_.push(new ChangeSingleLevel(*this, on));
}

void ScriptDocument::replaceSlots(int first, int count, std::vector<script_slot> values, const QString& text,
                                  bool added) {
    first = std::clamp(first, 0, int(record_.scripts.size()));
    count = std::clamp(count, 0, int(record_.scripts.size()) - first);
    ReplaceSlots::Run before{{record_.scripts.begin() + first, record_.scripts.begin() + first + count},
                             {slot_added_.begin() + first, slot_added_.begin() + first + count}};
    ReplaceSlots::Run after{std::move(values), {}};
    // A replaced slot keeps its label; a new one is labelled by how it came.
    for (std::size_t i = 0; i < after.values.size(); ++i)
        after.added.push_back(int(i) < count ? before.added[i] : char(added));
    undo_.push(new ReplaceSlots(*this, first, std::move(before), std::move(after), text));
}

void ScriptDocument::setDemoLevels(std::vector<std::uint16_t> levels, Lines texts, const QString& text) {
    undo_.push(new ChangeDemoLevels(*this, {record_.demo_levels, demo_texts_}, {std::move(levels), std::move(texts)},
                                    text));
}

void ScriptDocument::replaceTables(const vellumark::Ttombpcdat& texts, const QString& text) {
    auto* step = new QUndoCommand(text);
    addTableChanges(texts, step);
    if (step->childCount() > 0)
        undo_.push(step);
    else
        delete step;
}

void ScriptDocument::addTableChanges(const vellumark::Ttombpcdat& target, QUndoCommand* step) {
    // Every table of the layout, the beta's six included in a beta script.
    for (const vellumark::table_info& t : vellumark::tables_of(record_.layout)) {
        const Lines& now = vellumark::table(record_, t.id).strings;
        const Lines& then = vellumark::table(target, t.id).strings;
        if (now == then) continue;
        // The run from the first entry that differs to the last.
        std::size_t first = 0;
        while (first < now.size() && first < then.size() && now[first] == then[first]) ++first;
        std::size_t tail = 0;
        while (tail < now.size() - first && tail < then.size() - first &&
               now[now.size() - 1 - tail] == then[then.size() - 1 - tail])
            ++tail;
        const auto run = [first, tail](const Lines& lines) {
            return Lines(lines.begin() + std::ptrdiff_t(first), lines.end() - std::ptrdiff_t(tail));
        };
        new ReplaceEntries(*this, t.id, int(first), run(now), run(then), {}, false, step);
    }
}

void ScriptDocument::replaceStrings(const std::vector<vellumark::string_edit>& edits, const QString& text) {
    std::vector<const vellumark::string_edit*> valid;
    for (const vellumark::string_edit& e : edits)
        if (e.index >= 0 && std::size_t(e.index) < vellumark::table(record_, e.table).strings.size())
            valid.push_back(&e);
    if (valid.empty()) return;
    std::sort(valid.begin(), valid.end(), [](const auto* a, const auto* b) {
        return std::pair(a->table, a->index) < std::pair(b->table, b->index);
    });
    // One change per run of entries edited close together: the views show
    // again the entries of each run, and a few changes for many edits keep
    // that quick when most strings change.
    constexpr int kJoinedGap = 8;  // unchanged entries a run may take in
    auto* step = new QUndoCommand(text);
    for (std::size_t i = 0; i < valid.size();) {
        const table_id table = valid[i]->table;
        const Lines& now = vellumark::table(record_, table).strings;
        const int first = valid[i]->index;
        Lines after;
        for (; i < valid.size() && valid[i]->table == table &&
               valid[i]->index <= first + int(after.size()) + kJoinedGap;
             ++i) {
            const int at = valid[i]->index;
            while (first + int(after.size()) <= at) after.push_back(now[std::size_t(first + int(after.size()))]);
            after[std::size_t(at - first)] = valid[i]->bytes;  // the same entry twice: the last edit counts
        }
        Lines before(now.begin() + first, now.begin() + first + int(after.size()));
        new ReplaceEntries(*this, table, first, std::move(before), std::move(after), {}, false, step);
    }
    undo_.push(step);
}

void ScriptDocument::setCodePage(const vellumark::codepage::table& table) {
    const vellumark::codepage::table* before = code_page_table_;
    code_page_ = table.id();
    code_page_table_ = &table;
    if (before != &table) emit codePageChanged(before);
}

QString ScriptDocument::toText(std::string_view bytes) const { return to_text(bytes, code_page_table_); }

std::optional<std::string> ScriptDocument::toBytes(const QString& text) const {
    return to_bytes(text, code_page_table_);
}

void ScriptDocument::touch(const QString& text) { undo_.push(new QUndoCommand(text)); }

void ScriptDocument::replaceMovies(int first, int count, Lines names, std::vector<vellumark::movie_record> records,
                                   const QString& text) {
    const Lines& now = record_.fmv_files.strings;
    first = std::clamp(first, 0, int(now.size()));
    count = std::clamp(count, 0, int(now.size()) - first);
    auto* step = new QUndoCommand(text);
    new ReplaceEntries(*this, table_id::fmv_files, first, Lines(now.begin() + first, now.begin() + first + count),
                       std::move(names), {}, false, step);
    const auto& all = record_.movie_records;
    if (vellumark::has_movie_records(record_.layout) && std::size_t(first + count) <= all.size())
        new ReplaceMovieRecords(*this, first, {all.begin() + first, all.begin() + first + count}, std::move(records),
                                {}, false, step);
    undo_.push(step);
}

void ScriptDocument::setMovieRecord(int movie, vellumark::movie_record value) {
    if (movie < 0 || std::size_t(movie) >= record_.movie_records.size()) return;
    undo_.push(new ReplaceMovieRecords(*this, movie, {record_.movie_records[std::size_t(movie)]}, {value},
                                       QStringLiteral("Change the record of movie %1").arg(movie), true));
}

void ScriptDocument::addLevel(const std::string& description, const std::string& file, const std::string& picture,
                              bool with_picture) {
    auto* step = new QUndoCommand(QStringLiteral("Add level"));
    const int levels = int(record_.level_names.strings.size());
    new ReplaceEntries(*this, table_id::level_names, levels, {}, {description}, {}, false, step);
    new ReplaceEntries(*this, table_id::level_files, int(record_.level_files.strings.size()), {}, {file}, {}, false,
                       step);
    if (with_picture)
        new ReplaceEntries(*this, table_id::pic_files, int(record_.pic_files.strings.size()), {}, {picture}, {},
                           false, step);
    new ReplaceSlots(*this, int(record_.scripts.size()), {}, {{script_slot{}}, {1}}, {}, step);
    undo_.push(step);
}

void ScriptDocument::deleteLastLevel() {
    auto* step = new QUndoCommand(QStringLiteral("Delete last level"));
    for (table_id id : {table_id::level_names, table_id::level_files, table_id::pic_files}) {
        const Lines& strings = vellumark::table(record_, id).strings;
        if (!strings.empty())
            new ReplaceEntries(*this, id, int(strings.size()) - 1, {strings.back()}, {}, {}, false, step);
    }
    if (!record_.scripts.empty())
        new ReplaceSlots(*this, int(record_.scripts.size()) - 1, {{record_.scripts.back()}, {slot_added_.back()}}, {},
                         {}, step);
    undo_.push(step);
}

void ScriptDocument::deleteAllLevels() {
    auto* step = new QUndoCommand(QStringLiteral("Delete all levels"));
    for (table_id id : {table_id::level_names, table_id::level_files, table_id::pic_files}) {
        const Lines& strings = vellumark::table(record_, id).strings;
        if (!strings.empty()) new ReplaceEntries(*this, id, 0, strings, {}, {}, false, step);
    }
    if (!record_.scripts.empty()) new ReplaceSlots(*this, 0, {record_.scripts, slot_added_}, {}, {}, step);
    undo_.push(step);
}

// ---- level operations ------------------------------------------------------------

void ScriptDocument::recordLevelPlan(const vellumark::level_plan& plan, const QString& text) {
    namespace change = vellumark::change;
    vellumark::level_plan slot_changes;  // how the slots move, for the copied slot
    const auto to_step = overloaded{
        [this](const change::move_entry& c) { undo_.push(new MoveEntry(*this, c.table, c.from, c.to)); },
        [this](const change::insert_entries& c) {
            undo_.push(new ReplaceEntries(*this, c.table, c.at, {}, c.lines, {}));
        },
        [this](const change::remove_entry& c) {
            const Lines& strings = vellumark::table(record_, c.table).strings;
            undo_.push(new ReplaceEntries(*this, c.table, c.at, {strings[std::size_t(c.at)]}, {}, {}));
        },
        [this, &slot_changes](const change::move_slot& c) {
            undo_.push(new MoveEntry(*this, std::nullopt, c.from, c.to));
            slot_changes.changes.emplace_back(c);
        },
        [this, &slot_changes](const change::insert_slot& c) {
            replaceSlots(c.at, 0, {c.value}, {});
            slot_changes.changes.emplace_back(change::insert_slot{c.at, {}});
        },
        [this, &slot_changes](const change::remove_slot& c) {
            replaceSlots(c.at, 1, {}, {});
            slot_changes.changes.emplace_back(c);
        },
        [this](const change::replace_slots& c) { replaceSlots(c.first, int(c.values.size()), c.values, {}); },
        [this](const change::set_demo_levels& c) {
            // Each entry kept keeps the line it showed.
            Lines texts;
            texts.reserve(c.kept.size());
            for (int old : c.kept) texts.push_back(demo_texts_[std::size_t(old)]);
            setDemoLevels(c.levels, std::move(texts), {});
        },
    };
    undo_.beginMacro(text);
    for (const vellumark::level_change& c : plan.changes) std::visit(to_step, c);
    undo_.push(new FollowCopiedSlot(*this, std::move(slot_changes)));
    undo_.endMacro();
}

void ScriptDocument::moveLevel(int from, int to) {
    const int levels = vellumark::level_total(record_);
    if (from < 0 || to < 0 || from >= levels || to >= levels || from == to) return;
    recordLevelPlan(vellumark::plan_move_level(record_, from, to),
                    QStringLiteral("Move level %1 to %2").arg(from).arg(to));
}

void ScriptDocument::insertLevel(int at) {
    if (at < 0 || at > vellumark::level_total(record_)) return;
    recordLevelPlan(vellumark::plan_insert_level(record_, at), QStringLiteral("Insert level %1").arg(at));
}

void ScriptDocument::deleteLevel(int level) {
    if (level < 0 || level >= vellumark::level_total(record_)) return;
    recordLevelPlan(vellumark::plan_delete_level(record_, level), QStringLiteral("Delete level %1").arg(level));
}

// ---- the commands of a slot ------------------------------------------------------

template <class Edit>
void ScriptDocument::editSlot(int slot, const QString& text, Edit edit) {
    if (slot < 0 || std::size_t(slot) >= record_.scripts.size())
        throw vellumark::script_error("Script slot " + std::to_string(slot) + " does not exist");
    script_slot value = record_.scripts[std::size_t(slot)];
    edit(value);  // throws before anything changed
    setSlot(slot, value, text);
}

void ScriptDocument::insertCommand(int slot, int at, const vellumark::script_command& command) {
    editSlot(slot, QStringLiteral("Add command to slot %1").arg(slot),
             [&](script_slot& s) { vellumark::insert_command(s, at, command); });
}

void ScriptDocument::removeCommand(int slot, int line) {
    editSlot(slot, QStringLiteral("Delete command from slot %1").arg(slot),
             [&](script_slot& s) { vellumark::remove_command(s, line); });
}

void ScriptDocument::replaceCommand(int slot, int line, const vellumark::script_command& command) {
    editSlot(slot, QStringLiteral("Replace command in slot %1").arg(slot),
             [&](script_slot& s) { vellumark::replace_command(s, line, command); });
}

// ---- changes, as the undo commands make them -----------------------------------

void ScriptDocument::doReplaceEntries(table_id table, int first, int count, const Lines& lines) {
    replace_run(vellumark::table(record_, table).strings, first, count, lines);
    emit entriesReplaced(table, first, count, int(lines.size()));
}

void ScriptDocument::doSetOption(vellumark::option_id option, std::int32_t value) {
    vellumark::set_option_value(record_, option, value);
    emit optionChanged(option);
}

void ScriptDocument::doSetFlag(std::uint16_t bit, bool on) {
    record_.flags = on ? std::uint16_t(record_.flags | bit) : std::uint16_t(record_.flags & ~bit);
    emit flagsChanged();
}

void ScriptDocument::doSetSingleLevelBox(bool on) {
    single_level_box_ = on;
    emit singleLevelBoxChanged();
}

void ScriptDocument::doReplaceSlots(int first, int count, const std::vector<script_slot>& values,
                                    const std::vector<char>& added) {
    replace_run(record_.scripts, first, count, values);
    replace_run(slot_added_, first, count, added);
    record_.script_count = static_cast<std::uint16_t>(record_.scripts.size());
    emit slotsReplaced(first, count, int(values.size()));
}

void ScriptDocument::doMove(std::optional<table_id> table, int from, int to) {
    const auto move = [from, to](auto& v) { vellumark::move_element(v, std::size_t(from), std::size_t(to)); };
    if (table) {
        move(vellumark::table(record_, *table).strings);
        emit entryMoved(*table, from, to);
    } else {
        move(record_.scripts);
        move(slot_added_);
        emit slotMoved(from, to);
    }
}

void ScriptDocument::doReplaceMovieRecords(int first, int count, const std::vector<vellumark::movie_record>& records) {
    replace_run(record_.movie_records, first, count, records);
    emit movieRecordsChanged(first, count, int(records.size()));
}

void ScriptDocument::doSetDemoLevels(const std::vector<std::uint16_t>& levels, const Lines& texts) {
    record_.demo_levels = levels;
    record_.demo_level_count = static_cast<std::int16_t>(levels.size());
    demo_texts_ = texts;
    emit demoLevelsChanged();
}
