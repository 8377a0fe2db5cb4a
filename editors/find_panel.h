// The "Find" panel: a text searched for in every string table and command
// line of the document (codec/search.h), its options and scope, the count
// and the list of matches, searched anew as the document changes. A
// double-click, Enter, "Find Next" (F3) and "Find Previous" (Shift+F3) ask
// the window to show a match's place; "Replace" and "Replace all" change
// the strings (never the command lines), each as one undo step.
#pragma once

#include <QDockWidget>
#include <functional>
#include <optional>
#include <vector>

#include "codec/search.h"

class Dialogs;
class QAction;
class FindResults;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QToolButton;
class ScriptDocument;

class FindPanel : public QDockWidget {
    Q_OBJECT
public:
    FindPanel(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent = nullptr);

    // The matches listed at most; the count names them all.
    static constexpr int kListedMatches = 10000;

    QLineEdit* FindText = nullptr;
    QLineEdit* ReplaceText = nullptr;
    QCheckBox* MatchCase = nullptr;
    QCheckBox* WholeWords = nullptr;
    QCheckBox* RegularExpression = nullptr;
    QToolButton* ScopeButton = nullptr;  // a menu of the parts searched
    QPushButton* ReplaceButton = nullptr;
    QPushButton* ReplaceAllButton = nullptr;
    QLabel* ResultCount = nullptr;  // "12 matches", or why nothing can be searched
    QListView* ResultList = nullptr;

    // Shows the panel with the find text selected for typing.
    void open();
    // Every match of the last search, in file order.
    const std::vector<vellumark::search_match>& matches() const { return matches_; }
    // The match whose row is selected, or -1.
    int currentMatch() const;
    // Searches now rather than after the current event.
    void searchNow();
    // The next or previous listed match (around the ends) becomes the
    // current one and its place is shown.
    void findNext();
    void findPrevious();
    // Replaces the current match when it lies in a string, then goes to the
    // next one; on a command line or with none, only goes to the next match
    // in a string.
    void replaceOne();
    // Replaces every match in the strings of the scope as one step.
    void replaceAll();

signals:
    void goTo(const vellumark::place& where);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleSearch();
    std::optional<vellumark::search_pattern> pattern(QString* why = nullptr) const;
    vellumark::search_scope scope() const;
    void showScope();
    // Selects a listed match and shows its place; -1 selects none.
    void select(int match, bool show);
    // Runs an edit of the document; a refusal is shown and changes nothing.
    void tryReplace(const std::function<void()>& replace);

    ScriptDocument& doc_;
    Dialogs& dialogs_;
    FindResults* results_ = nullptr;
    std::vector<vellumark::search_match> matches_;
    bool scheduled_ = false;
    // The scope menu's entries: the tables each stands for, or none for the
    // command lines of every slot.
    struct part {
        QAction* action;
        std::vector<vellumark::table_id> tables;
    };
    std::vector<part> parts_;
};
