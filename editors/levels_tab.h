// The "Levels" tab: level descriptions, level file names, picture names, the
// load transcript with its "Save --->" button, Memo12 and the font-size bar.
#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

class Dialogs;
class ScriptDocument;
class QAction;
class QLabel;
class QLineEdit;
class ListBox;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTextEdit;
class QTimer;
class TForm3;

class LevelsTab : public QWidget {
    Q_OBJECT
public:
    LevelsTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent = nullptr);

    ListBox* ListBox1 = nullptr;  // level descriptions
    ListBox* ListBox2 = nullptr;  // level file names
    ListBox* ListBox3 = nullptr;  // level picture file names
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLabel* Label4 = nullptr;  // "Slot#" of ListBox1
    QLabel* Label5 = nullptr;  // "Slot#" of ListBox2
    QLabel* Label6 = nullptr;  // "Slot#" of ListBox3
    QPushButton* Button1 = nullptr;  // "Replace"
    QPushButton* Button4 = nullptr;  // "Add New"
    QPushButton* Button5 = nullptr;  // "Delete Last"
    QPushButton* Button6 = nullptr;  // "Delete all"
    QTextEdit* shit = nullptr;           // the load transcript
    QPushButton* Button19 = nullptr;     // "Save --->"
    QPlainTextEdit* Memo12 = nullptr;    // one description byte per level
    QSlider* TrackBar1 = nullptr;        // "ListBox's Font Size"
    QLabel* StaticText11 = nullptr;      // the bar's caption

    // Level operations on the selected level, also on the level lists'
    // context menu and in the main window's "Level" menu.
    QAction* InsertLevel1 = nullptr;     // "Insert level before"
    QAction* MoveLevelUp1 = nullptr;     // "Move level up"
    QAction* MoveLevelDown1 = nullptr;   // "Move level down"
    QAction* MoveLevelTo1 = nullptr;     // "Move level to..."
    QAction* DeleteLevel1 = nullptr;     // "Delete this level"
    QList<QAction*> levelActions() const;

    // The add-level dialog, created with the tab and kept for the whole run.
    TForm3* Form3() const { return form3_; }

    // Selection handling of the three lists (each change of the selection).
    void ListBox1Click();
    void ListBox2Click();
    void ListBox3Click();
    void Button1Click();  // "Replace"
    void Button4Click();  // "Add New": shows the add-level dialog
    void Button5Click();  // "Delete Last"
    void Button6Click();  // "Delete all"
    void insertLevel();   // an empty level before the selected one (at the end with none)
    void moveLevel(int by);  // up (-1) or down (+1)
    void moveLevelTo();   // asks for the new number
    void deleteLevel();   // asks first, naming where the level is named

    // What every load appends, one line each (script bytes): the one-byte
    // description lines to Memo12 and the listing to the transcript. A long
    // listing goes into the transcript a slice at a time over the next
    // passes of the event loop; finishTranscript() puts in the rest at once
    // (before the transcript is read).
    void appendMemo12(const std::vector<std::string>& lines);
    void appendTranscript(const std::vector<std::string>& lines);
    void finishTranscript();
    // Empties Memo12 and the transcript (start-up).
    void clearAppended();

    // Adds one level: the description and file name always, the picture name
    // only when it is not blank, and one empty script slot.
    void AddLevel(const QString& description, const QString& file_name, const QString& picture);

signals:
    // A level was selected in ListBox1: the operand field of the Script
    // Commands tab takes its number.
    void levelSelected(int level);

private:
    // The levels partner of ListBox1/ListBox2 selection, run for either list.
    void selectLevel(ListBox* from, ListBox* partner, bool from_descriptions);
    // The level count, as the record holds it.
    int levelCount() const;
    // The selected level, or -1.
    int selectedLevel() const;
    // After a level operation: the level at its new place is selected.
    void showLevel(int level);
    void updateLevelActions();

    void appendTranscriptSlice();

    ScriptDocument& doc_;
    Dialogs& dialogs_;
    TForm3* form3_ = nullptr;
    QStringList transcript_slices_;  // transcript text still to go into the pane, in order
    QTimer* slice_timer_ = nullptr;  // puts in the next slice
};
