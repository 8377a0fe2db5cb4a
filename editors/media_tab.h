// The "Fmv/CutScenes" tab: movie, cut-scene and title/legal file names.
#pragma once

#include <QWidget>

#include "codec/tables.h"

class Dialogs;
class ScriptDocument;
class QGroupBox;
class QLabel;
class QLineEdit;
class ListBox;
class QPushButton;

class MediaTab : public QWidget {
    Q_OBJECT
public:
    MediaTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent = nullptr);

    ListBox* ListBox4 = nullptr;  // movie (RPL) file names
    ListBox* ListBox5 = nullptr;  // cut-scene file names
    ListBox* ListBox6 = nullptr;  // title and legal screen file names
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QPushButton* BitBtn2 = nullptr;   // "Replace" of ListBox4
    QPushButton* Button22 = nullptr;  // "Replace" of ListBox5
    QPushButton* Button24 = nullptr;  // "Replace" of ListBox6
    QPushButton* Button7 = nullptr;   // "Delete Last" of ListBox4 (removes the selected entry)
    QPushButton* Button20 = nullptr;  // "Delete Last" of ListBox5
    QPushButton* Button8 = nullptr;   // "Delete Last" of ListBox6
    QPushButton* Button3 = nullptr;   // "Add New" movie
    QPushButton* Button21 = nullptr;  // "Add New" cut scene
    QPushButton* Button23 = nullptr;  // "Add New" title/legal
    QLineEdit* Edit9 = nullptr;   // new movie name
    QLineEdit* Edit10 = nullptr;  // new cut-scene name
    QLineEdit* Edit11 = nullptr;  // new title/legal name
    QGroupBox* GroupBox4 = nullptr;  // "Add new RPL's file name"
    QGroupBox* GroupBox5 = nullptr;  // "Add New Cut Scene's file name"
    QGroupBox* GroupBox6 = nullptr;  // "Add New title's and legel's File Name"
    // The record of the selected movie, two numbers; shown for a PlayStation
    // script only, whose movies keep one record each.
    QLabel* MovieRecordLabel = nullptr;
    QLineEdit* MovieRecord1 = nullptr;
    QLineEdit* MovieRecord2 = nullptr;

    // One column: a list with its edit box, "Slot#" label and buttons.
    struct Column {
        ListBox* list;
        QLineEdit* edit;
        QLabel* label;
        QLineEdit* add_edit;
        vellumark::table_id table;
        const char* entry;  // what one entry is, for the undo steps
    };
    Column column(int index) const;  // 0 movies, 1 cut scenes, 2 titles

    void selectEntry(int column);   // ListBox4Click, ListBox5Click, ListBox6Click
    void replaceEntry(int column);  // BitBtn2Click, Button22Click, Button24Click
    // "Delete Last": removes the SELECTED entry (nothing when none is selected).
    void deleteEntry(int column);   // Button7Click, Button20Click, Button8Click
    void addEntry(int column);      // Button3Click, Button21Click, Button23Click

private:
    // Shows or hides the record fields with the layout, and fills them from
    // the selected movie.
    void showMovieRecord();
    void editMovieRecord();

    ScriptDocument& doc_;
};
