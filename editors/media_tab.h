// The "Fmv/CutScenes" tab: movie, cut-scene and title/legal file names.
#pragma once

#include <QWidget>

#include "editors/editor_context.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class MediaTab : public QWidget {
    Q_OBJECT
public:
    explicit MediaTab(EditorContext& ctx, QWidget* parent = nullptr);

    QListWidget* ListBox4 = nullptr;  // movie (RPL) file names
    QListWidget* ListBox5 = nullptr;  // cut-scene file names
    QListWidget* ListBox6 = nullptr;  // title and legal screen file names
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

private:
    EditorContext& ctx_;
};
