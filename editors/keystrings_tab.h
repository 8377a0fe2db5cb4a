// The "Key strings" tab: ten memos, one key string per line and level.
#pragma once

#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

#include "editors/editor_context.h"

class QPlainTextEdit;
class QScrollArea;

class KeyStringsTab : public QWidget {
    Q_OBJECT
public:
    explicit KeyStringsTab(EditorContext& ctx, QWidget* parent = nullptr);

    // Memo1..Memo10 at index 1..10 (index 0 unused).
    QPlainTextEdit* memo(int n) const { return memos_[n]; }

    QScrollArea* ScrollBox1 = nullptr;  // the horizontally scrolling box of the memos

    // The lines of Memo n as entered (a line break typed with Shift+Enter
    // also ends a line), however the memo wraps them on screen.
    int line_count(int memo) const;
    // Line `line` (from 0) of Memo n as script bytes, as the save stores it;
    // empty past the last line. Throws vellumark::script_error, naming the
    // memo and the line ("Key Strings #3, line 5 is longer than ..."), when the line is
    // longer than 255 characters or holds a character that a script cannot
    // store.
    std::string line_bytes(int memo, int line) const;
    // Replaces the lines of Memo n (script bytes, one line each).
    void set_lines(int memo, const std::vector<std::string>& lines);

private:
    const QStringList& lines(int memo) const;

    EditorContext& ctx_;
    QPlainTextEdit* memos_[11] = {};
    // The split text of each memo, rebuilt after the memo's text changed.
    mutable QStringList lines_[11];
    mutable bool lines_valid_[11] = {};
};
