// The close prompt "Really Close??": offers to save unsaved changes when the
// main window closes. "YES SURE !!!" saves and closes, "No i'm tired for do
// that!!" closes without saving; closing the prompt itself (Escape, its title
// bar) keeps the main window open with its changes.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

class TForm8 : public QDialog {
    Q_OBJECT
public:
    // The prompt's result: what becomes of the main window.
    enum Answer {
        KeepOpen = QDialog::Rejected,  // Escape or the title bar: the close is called off
        Saved = QDialog::Accepted,     // "YES SURE !!!" and the save completed
        NotSaved = 2,                  // "No i'm tired for do that!!"
    };

    explicit TForm8(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;        // "Do you wnt to save the file ??"
    QPushButton* Button1 = nullptr;  // "YES SURE !!!"
    QPushButton* Button2 = nullptr;  // "No i'm tired for do that!!"

    // The main menu's "Save"; true when it completed. A failed save keeps the
    // prompt open.
    std::function<bool()> save;

    void Button1Click();
    void Button2Click();
};
