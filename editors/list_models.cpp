#include "editors/list_models.h"

#include <algorithm>

#include "codec/commands.h"
#include "editors/document.h"
#include "editors/text.h"

using vellumark::table_id;

// ---- ScriptListModel --------------------------------------------------------------

QVariant ScriptListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    if (role == Qt::DisplayRole) return text(index.row());
    if (role == Qt::SizeHintRole && row_size_.isValid()) return row_size_;
    return {};
}

void ScriptListModel::replaceRows(int first, int removed, int inserted) {
    const int common = std::min(removed, inserted);
    if (removed > common) {
        beginRemoveRows({}, first + common, first + removed - 1);
        rows_ -= removed - common;
        endRemoveRows();
    } else if (inserted > common) {
        beginInsertRows({}, first + common, first + inserted - 1);
        rows_ += inserted - common;
        endInsertRows();
    }
    showAgain(first, first + common - 1);
}

void ScriptListModel::moveRow(int from, int to) {
    if (from == to) return;
    // The destination is the row the moved one goes before, counted before the move.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    endMoveRows();
}

void ScriptListModel::resetRows(int rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

void ScriptListModel::resizeRows(int rows) {
    if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    } else if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
    showAllAgain();
}

void ScriptListModel::showAgain(int first, int last) {
    last = std::min(last, rows_ - 1);
    if (first <= last) emit dataChanged(index(first), index(last), {Qt::DisplayRole});
}

// ---- StringTableModel -------------------------------------------------------------

StringTableModel::StringTableModel(ScriptDocument& doc, table_id table, QObject* parent)
    : ScriptListModel(doc, parent), table_(table) {
    connect(&doc, &ScriptDocument::reset, this, [this] {
        resetRows(int(strings().size()));
    });
    connect(&doc, &ScriptDocument::entriesReplaced, this, [this](table_id table, int first, int removed, int inserted) {
        if (table == table_) replaceRows(first, removed, inserted);
    });
    connect(&doc, &ScriptDocument::entryMoved, this, [this](table_id table, int from, int to) {
        if (table == table_) moveRow(from, to);
    });
    connect(&doc, &ScriptDocument::codePageChanged, this, [this] { showAllAgain(); });
    resetRows(int(strings().size()));
}

const std::vector<std::string>& StringTableModel::strings() const {
    return vellumark::table(doc_.record(), table_).strings;
}

// A view may ask for a row in the moment between a change of the record and
// the model's announcement of it: such a row shows nothing.
QString StringTableModel::text(int row) const {
    return std::size_t(row) < strings().size() ? doc_.toText(strings()[std::size_t(row)]) : QString();
}

// ---- SlotListModel ----------------------------------------------------------------

SlotListModel::SlotListModel(ScriptDocument& doc, QObject* parent) : ScriptListModel(doc, parent) {
    const auto slot_count = [this] { return int(doc_.record().scripts.size()); };
    connect(&doc, &ScriptDocument::reset, this, [this, slot_count] {
        resetRows(slot_count());
    });
    connect(&doc, &ScriptDocument::slotsReplaced, this, [this, slot_count](int first, int removed, int inserted) {
        replaceRows(first, removed, inserted);
        // The slots behind moved: their numbers changed.
        if (removed != inserted) showAgain(first + inserted, slot_count() - 1);
    });
    // The slots between took new numbers.
    connect(&doc, &ScriptDocument::slotMoved, this, [this](int from, int to) {
        moveRow(from, to);
        showAgain(std::min(from, to), std::max(from, to));
    });
    resetRows(slot_count());
}

QString SlotListModel::text(int row) const { return doc_.slotLabel(row); }

// ---- CommandListModel -------------------------------------------------------------

CommandListModel::CommandListModel(ScriptDocument& doc, QObject* parent) : ScriptListModel(doc, parent) {
    // A command shows the name its operand looks up (a level, movie,
    // cut-scene or picture), in the code page in use.
    connect(&doc, &ScriptDocument::codePageChanged, this, [this] { showAllAgain(); });
    connect(&doc, &ScriptDocument::entriesReplaced, this, [this] { showAllAgain(); });
    connect(&doc, &ScriptDocument::entryMoved, this, [this] { showAllAgain(); });
    connect(&doc, &ScriptDocument::reset, this, [this] { showSlot(-1); });
    // The listed slot is followed to its new number; when it is replaced it
    // is listed anew, when it goes nothing is listed.
    connect(&doc, &ScriptDocument::slotsReplaced, this, [this](int first, int removed, int inserted) {
        if (slot_ < first) return;
        if (slot_ >= first + removed)
            slot_ += inserted - removed;
        else
            showSlot(slot_ < first + inserted ? slot_ : -1);
    });
    connect(&doc, &ScriptDocument::slotMoved, this, [this](int from, int to) {
        if (slot_ == from)
            slot_ = to;
        else if (from < slot_ && slot_ <= to)
            --slot_;
        else if (to <= slot_ && slot_ < from)
            ++slot_;
    });
}

int CommandListModel::usedCommands() const {
    const auto& scripts = doc_.record().scripts;
    if (slot_ < 0 || std::size_t(slot_) >= scripts.size()) return 0;
    return std::clamp<int>(scripts[std::size_t(slot_)].command_count, 0, vellumark::kSlotCapacity);
}

void CommandListModel::showSlot(int slot) {
    slot_ = slot;
    resetRows(usedCommands());
}

QString CommandListModel::text(int row) const {
    if (row >= usedCommands()) return {};  // the slot changed since it was listed
    const auto& scripts = doc_.record().scripts;
    return doc_.toText(vellumark::format_command(scripts[std::size_t(slot_)].commands[std::size_t(row)], doc_.record()));
}

// ---- DemoListModel ----------------------------------------------------------------

DemoListModel::DemoListModel(ScriptDocument& doc, QObject* parent) : ScriptListModel(doc, parent) {
    const auto lines = [this] { return int(doc_.demoTexts().size()); };
    connect(&doc, &ScriptDocument::reset, this, [this, lines] {
        resetRows(lines());
    });
    // The whole list is set at once: line by line, so that the selection
    // stays on its row.
    connect(&doc, &ScriptDocument::demoLevelsChanged, this, [this, lines] { resizeRows(lines()); });
    connect(&doc, &ScriptDocument::codePageChanged, this, [this] { showAllAgain(); });
    resetRows(lines());
}

QString DemoListModel::text(int row) const {
    const Lines& lines = doc_.demoTexts();
    return std::size_t(row) < lines.size() ? doc_.toText(lines[std::size_t(row)]) : QString();
}
