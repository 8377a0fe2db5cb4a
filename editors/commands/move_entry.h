// Moves one entry of a string table, or one script slot, to another place;
// the entries between shift by one. Level moves are made of these.
#pragma once

#include <QUndoCommand>
#include <optional>

#include "editors/document.h"

class MoveEntry : public QUndoCommand {
public:
    // table: the string table, or nothing for the script slots.
    MoveEntry(ScriptDocument& doc, std::optional<vellumark::table_id> table, int from, int to,
              QUndoCommand* parent = nullptr)
        : QUndoCommand(parent), doc_(doc), table_(table), from_(from), to_(to) {}

    void undo() override { doc_.doMove(table_, to_, from_); }
    void redo() override { doc_.doMove(table_, from_, to_); }

private:
    ScriptDocument& doc_;
    std::optional<vellumark::table_id> table_;
    int from_;
    int to_;
};
