// The close prompt "Really Close??": offers to save unsaved changes when the
// main window closes. It offers no way to keep the program running.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

class TForm8 : public QDialog {
    Q_OBJECT
public:
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
