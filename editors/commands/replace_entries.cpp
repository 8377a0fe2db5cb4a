#include "editors/commands/replace_entries.h"

ReplaceEntries::ReplaceEntries(ScriptDocument& doc, vellumark::table_id table, int first, Lines before, Lines after,
                               const QString& text, bool merging, QUndoCommand* parent)
    : QUndoCommand(text, parent),
      doc_(doc),
      table_(table),
      first_(first),
      before_(std::move(before)),
      after_(std::move(after)),
      merging_(merging) {}

void ReplaceEntries::undo() { doc_.doReplaceEntries(table_, first_, static_cast<int>(after_.size()), before_); }

void ReplaceEntries::redo() { doc_.doReplaceEntries(table_, first_, static_cast<int>(before_.size()), after_); }

bool ReplaceEntries::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const ReplaceEntries*>(other);
    const bool one_line = before_.size() == 1 && after_.size() == 1 && next->before_.size() == 1 &&
                          next->after_.size() == 1;
    if (!one_line || next->table_ != table_ || next->first_ != first_ || next->text() != text()) return false;
    after_ = next->after_;
    setObsolete(after_ == before_);  // typed and taken back: no step at all
    return true;
}
