#include "editors/add_level_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "editors/levels_tab.h"
#include "editors/list_edit.h"

TForm3::TForm3(LevelsTab& levels, const ScriptDocument& doc, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), levels_(levels) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Add Level\\file\\Pic's name description ..."));
    setFixedSize(520, 96);

    const struct {
        QLineEdit** edit;
        const char* name;
    } edits[] = {{&Edit1, "Edit1"}, {&Edit2, "Edit2"}, {&Edit3, "Edit3"}};
    int y = 8;
    for (const auto& e : edits) {
        *e.edit = new QLineEdit(this);
        (*e.edit)->setObjectName(QString::fromLatin1(e.name));
        (*e.edit)->setGeometry(8, y, 260, 24);
        restrict_to_script_text(*e.edit, dialogs, doc);
        y += 28;
    }

    BitBtn2 = new QPushButton(
        QStringLiteral("Add new Level descript\nLevel File name and \nPicture File Name"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(276, 8, 156, 80);
    BitBtn2->setAutoDefault(false);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(440, 8, 72, 26);
    Button1->setAutoDefault(false);

    connect(BitBtn2, &QPushButton::clicked, this, &TForm3::BitBtn2Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm3::BitBtn2Click() { levels_.AddLevel(Edit1->text(), Edit2->text(), Edit3->text()); }
