// The "Key strings" tab: ten memos, one key string per line and level, and
// for a script of the PlayStation beta six more after them ("Secret 1" to
// "Special 2"), hidden in the other layouts. Each memo shows one key-string
// table of the document; an edit of a line is an edit of that entry. A memo
// is filled from the record when it is first shown or asked for (memo()),
// not while the tab is hidden: a near-limit script has 29,000 lines.
#pragma once

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QWidget>
#include <functional>

class Dialogs;
class LevelColumn;
class QLabel;
class ScriptDocument;
class QLabel;
class QScrollArea;

// A key-string memo: refuses, as it is typed, pasted or dropped, text that a
// script cannot store (a character outside the code page, a line over 255
// characters), and ends a line with Shift+Enter as with Enter.
class KeyStringMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    KeyStringMemo(Dialogs& dialogs, const ScriptDocument& doc, QWidget* parent = nullptr);

    // The tool tip of a line, by its number from 0 (empty: none).
    std::function<QString(int line)> line_tip;

protected:
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // False, after telling the user, when the text, put in at the cursor,
    // cannot be stored.
    bool accepts(const QString& text, const QTextCursor& at);

    Dialogs& dialogs_;
    const ScriptDocument& doc_;
};

class KeyStringsTab : public QWidget {
    Q_OBJECT
public:
    KeyStringsTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent = nullptr);

    // Memo1..Memo16 at index 1..16 (index 0 unused): key_table(n - 1),
    // showing the record.
    KeyStringMemo* memo(int n);
    static constexpr int kMemos = 16;

    QScrollArea* ScrollBox1 = nullptr;  // the horizontally scrolling box of the memos
    LevelColumn* Levels = nullptr;      // "N name" of each level, left of the box

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the whole table: now when the tab is shown, else when it is.
    void showAll(int memo);
    void fill(int memo);
    void showReplaced(int memo, int first, int removed, int inserted);
    void showMoved(int memo, int from, int to);
    void memoChanged(int memo, int position, int removed_chars, int added_chars);
    // The level column at the height of the memos' captions and lines.
    void alignLevels();
    // The memos and the level column show the same first line.
    void scrollAllTo(int line);

    ScriptDocument& doc_;
    Dialogs& dialogs_;
    // Shows the beta's six memos for a script of that layout only.
    void showLayout();

    KeyStringMemo* memos_[kMemos + 1] = {};
    QLabel* headings_[kMemos + 1] = {};
    bool stale_[kMemos + 1] = {};  // the memo does not show its table yet
    bool showing_ = false;  // the memo is being set from the document
    bool editing_ = false;  // the document is being set from the memo
    bool scrolling_ = false;  // the memos are being scrolled together
};
