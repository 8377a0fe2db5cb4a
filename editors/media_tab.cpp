// Placeholder layout: every control exists with its name; the real layout and
// the editing behaviour replace this.
#include "editors/media_tab.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

template <class W>
static W* named(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    parent->layout()->addWidget(w);
    return w;
}

MediaTab::MediaTab(EditorContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    new QVBoxLayout(this);
    ListBox4 = named<QListWidget>(this, "ListBox4");
    ListBox5 = named<QListWidget>(this, "ListBox5");
    ListBox6 = named<QListWidget>(this, "ListBox6");
    Edit4 = named<QLineEdit>(this, "Edit4");
    Edit5 = named<QLineEdit>(this, "Edit5");
    Edit6 = named<QLineEdit>(this, "Edit6");
    Label7 = named<QLabel>(this, "Label7");
    Label8 = named<QLabel>(this, "Label8");
    Label9 = named<QLabel>(this, "Label9");
    BitBtn2 = named<QPushButton>(this, "BitBtn2");
    Button22 = named<QPushButton>(this, "Button22");
    Button24 = named<QPushButton>(this, "Button24");
    Button7 = named<QPushButton>(this, "Button7");
    Button20 = named<QPushButton>(this, "Button20");
    Button8 = named<QPushButton>(this, "Button8");
    Button3 = named<QPushButton>(this, "Button3");
    Button21 = named<QPushButton>(this, "Button21");
    Button23 = named<QPushButton>(this, "Button23");
    Edit9 = named<QLineEdit>(this, "Edit9");
    Edit10 = named<QLineEdit>(this, "Edit10");
    Edit11 = named<QLineEdit>(this, "Edit11");
}
