// TForm3, the add-level dialog of the Levels tab: a description, a level file
// name and a picture file name, added as one level by BitBtn2. The dialog is
// created once and keeps its text between openings.
#pragma once

#include <QDialog>

class Dialogs;
class QLineEdit;
class QPushButton;
class LevelsTab;
class ScriptDocument;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(LevelsTab& levels, const ScriptDocument& doc, Dialogs& dialogs, QWidget* parent = nullptr);

    QLineEdit* Edit1 = nullptr;        // level description
    QLineEdit* Edit2 = nullptr;        // level file name
    QLineEdit* Edit3 = nullptr;        // picture file name (skipped when blank)
    QPushButton* BitBtn2 = nullptr;    // adds the level; the dialog stays open
    QPushButton* Button1 = nullptr;    // "OK"

    void BitBtn2Click();

private:
    LevelsTab& levels_;
};
