// Small value changes of the Options tab, the demo level list and the movie
// records: each step holds the value before and after. The merging ones take
// their ids from merge_ids.h; a merged step that ends where it began is
// obsolete and leaves the stack.
#pragma once

#include <QUndoCommand>
#include <cstdint>

#include "editors/commands/merge_ids.h"
#include "editors/document.h"

// An option value. Consecutive changes of one option merge, so that typing
// a number is one step.
class ChangeOption : public QUndoCommand {
public:
    ChangeOption(ScriptDocument& doc, vellumark::option_id option, std::int32_t before, std::int32_t after);

    void undo() override { doc_.doSetOption(option_, before_); }
    void redo() override { doc_.doSetOption(option_, after_); }
    int id() const override { return mergeId(MergeId::Option); }
    bool mergeWith(const QUndoCommand* other) override;

private:
    ScriptDocument& doc_;
    vellumark::option_id option_;
    std::int32_t before_;
    std::int32_t after_;
};

// One option flag bit.
class ChangeFlag : public QUndoCommand {
public:
    ChangeFlag(ScriptDocument& doc, std::uint16_t bit, bool on, const QString& text);

    void undo() override { doc_.doSetFlag(bit_, !on_); }
    void redo() override { doc_.doSetFlag(bit_, on_); }

private:
    ScriptDocument& doc_;
    std::uint16_t bit_;
    bool on_;
};

// The "Single Level" box, which shows single_level and is never written.
class ChangeSingleLevel : public QUndoCommand {
public:
    ChangeSingleLevel(ScriptDocument& doc, bool on)
        : QUndoCommand(QStringLiteral("Change Single Level")), doc_(doc), on_(on) {}

    void undo() override { doc_.doSetSingleLevelBox(!on_); }
    void redo() override { doc_.doSetSingleLevelBox(on_); }

private:
    ScriptDocument& doc_;
    bool on_;
};

// The demo level list with the lines it shows.
class ChangeDemoLevels : public QUndoCommand {
public:
    struct List {
        std::vector<std::uint16_t> levels;
        Lines texts;
    };
    ChangeDemoLevels(ScriptDocument& doc, List before, List after, const QString& text,
                     QUndoCommand* parent = nullptr);

    void undo() override { doc_.doSetDemoLevels(before_.levels, before_.texts); }
    void redo() override { doc_.doSetDemoLevels(after_.levels, after_.texts); }

private:
    ScriptDocument& doc_;
    List before_;
    List after_;
};

// A run of the movie records of a PlayStation script replaced by another,
// of any length. Edits of one record made one after another merge.
class ReplaceMovieRecords : public QUndoCommand {
public:
    using Records = std::vector<vellumark::movie_record>;
    ReplaceMovieRecords(ScriptDocument& doc, int first, Records before, Records after, const QString& text,
                        bool merging = false, QUndoCommand* parent = nullptr);

    void undo() override { doc_.doReplaceMovieRecords(first_, int(after_.size()), before_); }
    void redo() override { doc_.doReplaceMovieRecords(first_, int(before_.size()), after_); }
    int id() const override { return merging_ ? mergeId(MergeId::MovieRecord) : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    ScriptDocument& doc_;
    int first_;
    Records before_;
    Records after_;
    bool merging_;
};
