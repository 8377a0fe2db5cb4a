#include "shell/close_prompt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TForm8::TForm8(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Really Close??"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // sizes itself to its content

    Label1 = new QLabel(QStringLiteral("Do you wnt to save the file ??"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    layout->addWidget(Label1);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("YES SURE !!!"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("No i'm tired for do that!!"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
}

void TForm8::Button1Click() {
    if (save && !save()) return;  // the failure was shown; the user may still choose No
    done(Saved);
}

void TForm8::Button2Click() { done(NotSaved); }
