// The "Script Commands" tab: script slots and their commands, the demo level
// list, and the slot copy and paste of the "&Edit" menu.
//
// The slots and the demo level list live in the document; ListBox9, ListBox10
// and ListBox11 show them.
#pragma once

#include <QWidget>
#include <optional>

#include "codec/tombpcdat.h"

class Dialogs;
class ScriptDocument;
class QComboBox;
class QGroupBox;
class QLabel;
class CommandListModel;
class ListBox;
class QPushButton;
class SpinEdit;

class ScriptTab : public QWidget {
    Q_OBJECT
public:
    ScriptTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent = nullptr);

    QGroupBox* GroupBox1 = nullptr;   // "Script Slots"
    ListBox* ListBox9 = nullptr;   // slot labels
    ListBox* ListBox10 = nullptr;  // commands of the selected slot
    QComboBox* ComboBox1 = nullptr;   // command chooser
    SpinEdit* SpinEdit10 = nullptr;   // operand
    QPushButton* Button15 = nullptr;  // "Add"
    QPushButton* Button14 = nullptr;  // "Replace"
    QPushButton* Button16 = nullptr;  // "Delete"
    QGroupBox* GroupBox3 = nullptr;   // "Demo level list"
    ListBox* ListBox11 = nullptr;  // demo level descriptions
    SpinEdit* SpinEdit11 = nullptr;   // demo level number
    QPushButton* Button11 = nullptr;  // demo "Add"
    QPushButton* Button17 = nullptr;  // demo "Replace"
    QPushButton* Button18 = nullptr;  // demo "Delete"

    // Lists the selected slot's commands in ListBox10.
    void ListBox9Click();
    void Copyscriptslot1Click();
    void Pastescriptslot1Click();

    // Shows the selected command in the chooser and the operand field.
    void ListBox10Click();
    void Button15Click();  // Add a command under the selected line
    void Button14Click();  // Replace the selected command
    void Button16Click();  // Delete the selected command
    // Puts the selected demo entry's level number into SpinEdit11.
    void ListBox11Click();
    void Button11Click();  // Add a demo level entry at the end
    void Button17Click();  // Replace the selected demo level entry
    void Button18Click();  // Delete the last demo level entry

    // The slot that "&Copy script slot" remembered, -1 for none; a load
    // forgets it, level operations carry it along (the document keeps it).
    int copied_slot() const;
    // A level was selected on the Levels tab: the operand field takes its number.
    void setOperand(int level);

private:
    void documentReset();
    void slotsReplaced(int first, int removed, int inserted);
    // Index of the selected slot in ctx.doc.scripts, or -1.
    int selected_slot() const;
    // The entry built from the chooser and the operand field; nothing while
    // no command is chosen.
    std::optional<vellumark::script_command> new_entry() const;
    // Lists the selected slot again, then selects line `line` (when it
    // exists) and shows it.
    void relist_and_show(int line);
    // The slot being edited, or nothing when no slot is selected.
    const vellumark::script_slot* slot(int s) const;
    // Checks a demo level number; shows "Invalid demo level # slot" when it
    // names no level.
    bool validDemoLevel(int n);

    ScriptDocument& doc_;
    Dialogs& dialogs_;
    CommandListModel* commands_ = nullptr;  // ListBox10's rows
};
