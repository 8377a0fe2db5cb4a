#include "shell/Unit5.h"

#include <QTextEdit>

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window) {
    RichEdit1 = new QTextEdit(this);
}

void TForm5::showAndRaise() {
    show();
    raise();
    activateWindow();
}
