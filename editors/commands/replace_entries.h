// Replaces a run of entries of one string table by another run, of any
// length: a "Replace", an added or removed entry, an edited key-string line.
#pragma once

#include <QUndoCommand>

#include "editors/commands/merge_ids.h"
#include "editors/document.h"

class ReplaceEntries : public QUndoCommand {
public:
    // before: the entries first .. first + before.size() - 1 as they are now.
    // Single-line edits made with `merging` merge into one step while they
    // stay on the same line; a merged step that ends where it began is
    // obsolete and leaves the stack.
    ReplaceEntries(ScriptDocument& doc, vellumark::table_id table, int first, Lines before, Lines after,
                   const QString& text, bool merging = false, QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;
    int id() const override { return merging_ ? mergeId(MergeId::KeyStringLine) : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    ScriptDocument& doc_;
    vellumark::table_id table_;
    int first_;
    Lines before_;
    Lines after_;
    bool merging_;
};
