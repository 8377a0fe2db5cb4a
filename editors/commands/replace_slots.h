// Replaces a run of script values by another run, of any length: an edited
// slot, a pasted one, the slot of an added or deleted level.
#pragma once

#include <QUndoCommand>

#include "editors/document.h"

class ReplaceSlots : public QUndoCommand {
public:
    // A slot's `added` flag says whether the add-level dialog made it.
    struct Run {
        std::vector<vellumark::script_slot> values;
        std::vector<char> added;
    };

    ReplaceSlots(ScriptDocument& doc, int first, Run before, Run after, const QString& text,
                 QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

private:
    ScriptDocument& doc_;
    int first_;
    Run before_;
    Run after_;
};
