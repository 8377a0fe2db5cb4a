#include "editors/commands/replace_slots.h"

ReplaceSlots::ReplaceSlots(ScriptDocument& doc, int first, Run before, Run after, const QString& text,
                           QUndoCommand* parent)
    : QUndoCommand(text, parent), doc_(doc), first_(first), before_(std::move(before)), after_(std::move(after)) {}

void ReplaceSlots::undo() {
    doc_.doReplaceSlots(first_, static_cast<int>(after_.values.size()), before_.values, before_.added);
}

void ReplaceSlots::redo() {
    doc_.doReplaceSlots(first_, static_cast<int>(before_.values.size()), after_.values, after_.added);
}
