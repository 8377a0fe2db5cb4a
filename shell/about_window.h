// The About window: the readme text and a running clock.
#pragma once

#include <QDialog>

class Dialogs;
class QLabel;
class QPlainTextEdit;
class QTimer;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    // Reads "readme" once (see readmePath()); the clock starts at once.
    explicit TForm6(Dialogs& dialogs, QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Panel1 = nullptr;
    QTimer* Timer1 = nullptr;

    // One clock tick: Panel1 shows the current time.
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
};
