// The column at the left of the key-string memos: "N name" for each level,
// line for line beside the memos' lines (a memo's line N is the key string of
// level N). It stands outside the memos' horizontally scrolling box, so it
// stays in view, and it scrolls up and down with the memos.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class ScriptDocument;

class LevelColumn : public QWidget {
    Q_OBJECT
public:
    explicit LevelColumn(ScriptDocument& doc, QWidget* parent = nullptr);

    QPlainTextEdit* Levels = nullptr;  // the lines "0 name", "1 name", ...
    QLabel* Caption = nullptr;         // "Levels", above them

    // Puts the caption and the lines at the heights of a memo's caption and
    // lines: `lines` is the top of the memo and `height` its height, both in
    // this widget's coordinates.
    void alignWith(int caption, int lines, int height);

    // "Key Strings #1, level 4 (Opera House)": what line `line` (from 0) of
    // memo `memo` (from 1) stands for; without a name past the last level.
    static QString lineTip(const ScriptDocument& doc, int memo, int line);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The lines anew: now when shown, else when next shown.
    void showAll();
    void fill();

    ScriptDocument& doc_;
    bool stale_ = true;
};
