#include "shell/Unit6.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

#include "editors/dialogs.h"

TForm6::TForm6(Dialogs&, QWidget* parent) : QDialog(parent) {
    Memo1 = new QPlainTextEdit(this);
    Panel1 = new QLabel(QStringLiteral("Panel1"), this);
    Timer1 = new QTimer(this);
}

void TForm6::Timer1Timer() {}
