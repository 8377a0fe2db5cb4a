// The "Options" tab: nine option values, ten flag boxes, the two game string lists.
#pragma once

#include <QWidget>

#include "codec/options.h"
#include "codec/tables.h"

class Dialogs;
class ScriptDocument;
class QCheckBox;
class QLineEdit;
class ListBox;
class QPushButton;
class SpinEdit;

class OptionsTab : public QWidget {
    Q_OBJECT
public:
    OptionsTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent = nullptr);

    // SpinEdit1..SpinEdit9 at index 1..9 (index 0 unused).
    SpinEdit* spin(int n) const { return spins_[n]; }
    // CheckBox1..CheckBox10 at index 1..10 (CheckBox1 "Single Level" is display only).
    QCheckBox* check(int n) const { return checks_[n]; }

    ListBox* ListBox7 = nullptr;  // "Game String 1"
    ListBox* ListBox8 = nullptr;  // "Game String 2"
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QPushButton* Button9 = nullptr;   // "Replace" of ListBox7
    QPushButton* Button10 = nullptr;  // "Replace" of ListBox8

    void ListBox7Click();  // copies the selected entry into Edit7
    void ListBox8Click();  // copies the selected entry into Edit8
    void Button9Click();   // replaces the selected entry of ListBox7 with Edit7
    void Button10Click();  // replaces the selected entry of ListBox8 with Edit8

private:
    // Shows an option value; unless `always`, the user's own text stays
    // while it reads as the value ("" reads as 0).
    void showOption(vellumark::option_id id, bool always);
    void showFlags();
    // Replace of a game string list with its edit box.
    void replaceGameString(ListBox* list, QLineEdit* edit, int number);
    // Copies the selected entry of a game string list into its edit box.
    void selectInto(ListBox* list, QLineEdit* edit, vellumark::table_id table);

    ScriptDocument& doc_;
    SpinEdit* spins_[10] = {};
    QCheckBox* checks_[11] = {};
};
