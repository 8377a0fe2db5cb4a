// The "Levels" tab: level descriptions, level file names, picture names, the
// load transcript with its "Save --->" button, Memo12 and the font-size bar.
#pragma once

#include <QWidget>

#include "editors/editor_context.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTextEdit;

class LevelsTab : public QWidget {
    Q_OBJECT
public:
    explicit LevelsTab(EditorContext& ctx, QWidget* parent = nullptr);

    QListWidget* ListBox1 = nullptr;  // level descriptions
    QListWidget* ListBox2 = nullptr;  // level file names
    QListWidget* ListBox3 = nullptr;  // level picture file names
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

private:
    EditorContext& ctx_;
};
