// The slot that "&Copy script slot" remembered follows a level operation: it
// names the same slot at its new number, or none (-1) when the operation
// deleted it. Undo gives back the number it had, and a slot copied since is
// carried back to its number before the operation.
#pragma once

#include <QUndoCommand>
#include <utility>

#include "codec/levels.h"
#include "editors/document.h"

class FollowCopiedSlot : public QUndoCommand {
public:
    // slot_changes: the slot changes of the operation (moved, inserted, removed).
    FollowCopiedSlot(ScriptDocument& doc, vellumark::level_plan slot_changes, QUndoCommand* parent = nullptr)
        : QUndoCommand(parent), doc_(doc), slots_(std::move(slot_changes)) {}

    void redo() override {
        before_ = doc_.copiedSlot();
        after_ = before_ < 0 ? before_ : vellumark::slot_after(slots_, before_);
        doc_.setCopiedSlot(after_);
    }
    void undo() override {
        const int now = doc_.copiedSlot();
        doc_.setCopiedSlot(now == after_ ? before_ : now < 0 ? now : vellumark::slot_before(slots_, now));
    }

private:
    ScriptDocument& doc_;
    vellumark::level_plan slots_;
    int before_ = -1;
    int after_ = -1;
};
