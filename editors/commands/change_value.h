// Small value changes of the Options tab and the demo level list: each step
// holds the value before and after.
#pragma once

#include <QUndoCommand>
#include <cstdint>

#include "editors/document.h"

// An option value. Consecutive changes of one option merge, so that typing
// a number is one step.
class ChangeOption : public QUndoCommand {
public:
    ChangeOption(ScriptDocument& doc, vellumark::option_id option, std::int32_t before, std::int32_t after);

    void undo() override { doc_.doSetOption(option_, before_); }
    void redo() override { doc_.doSetOption(option_, after_); }
    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand* other) override;

    static constexpr int kId = 2;

private:
    ScriptDocument& doc_;
    vellumark::option_id option_;
    std::int32_t before_;
    std::int32_t after_;
};

// One option flag, or the "Single Level" box (bit 0).
class ChangeFlag : public QUndoCommand {
public:
    ChangeFlag(ScriptDocument& doc, std::uint16_t bit, bool on, const QString& text);

    void undo() override { apply(!on_); }
    void redo() override { apply(on_); }

private:
    void apply(bool on);

    ScriptDocument& doc_;
    std::uint16_t bit_;
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
    int id() const override { return merging_ ? kId : -1; }
    bool mergeWith(const QUndoCommand* other) override;

    static constexpr int kId = 3;

private:
    ScriptDocument& doc_;
    int first_;
    Records before_;
    Records after_;
    bool merging_;
};
