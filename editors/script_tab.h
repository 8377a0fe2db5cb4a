// The "Script Commands" tab: script slots and their commands, the demo level
// list, and the slot copy and paste of the "&Edit" menu.
#pragma once

#include <QWidget>

#include "editors/editor_context.h"

class QComboBox;
class QGroupBox;
class QListWidget;
class QPushButton;
class SpinEdit;

class ScriptTab : public QWidget {
    Q_OBJECT
public:
    explicit ScriptTab(EditorContext& ctx, QWidget* parent = nullptr);

    QGroupBox* GroupBox1 = nullptr;   // "Script Slots"
    QListWidget* ListBox9 = nullptr;  // slot labels
    QListWidget* ListBox10 = nullptr; // commands of the selected slot
    QComboBox* ComboBox1 = nullptr;   // command chooser
    SpinEdit* SpinEdit10 = nullptr;   // operand
    QPushButton* Button15 = nullptr;  // "Add"
    QPushButton* Button14 = nullptr;  // "Replace"
    QPushButton* Button16 = nullptr;  // "Delete"
    QGroupBox* GroupBox3 = nullptr;   // "Demo level list"
    QListWidget* ListBox11 = nullptr; // demo level descriptions
    SpinEdit* SpinEdit11 = nullptr;   // demo level number
    QPushButton* Button11 = nullptr;  // demo "Add"
    QPushButton* Button17 = nullptr;  // demo "Replace"
    QPushButton* Button18 = nullptr;  // demo "Delete"

    // Lists the selected slot's commands in ListBox10.
    void ListBox9Click();
    void Copyscriptslot1Click();
    void Pastescriptslot1Click();

private:
    EditorContext& ctx_;
};
