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
