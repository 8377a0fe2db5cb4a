// Placeholder layout: every control exists with its name; the real layout and
// the editing behaviour replace this.
#include "editors/levels_tab.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTextEdit>
#include <QVBoxLayout>

template <class W>
static W* named(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    parent->layout()->addWidget(w);
    return w;
}

LevelsTab::LevelsTab(EditorContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    new QVBoxLayout(this);
    ListBox1 = named<QListWidget>(this, "ListBox1");
    ListBox2 = named<QListWidget>(this, "ListBox2");
    ListBox3 = named<QListWidget>(this, "ListBox3");
    Edit1 = named<QLineEdit>(this, "Edit1");
    Edit2 = named<QLineEdit>(this, "Edit2");
    Edit3 = named<QLineEdit>(this, "Edit3");
    Label4 = named<QLabel>(this, "Label4");
    Label5 = named<QLabel>(this, "Label5");
    Label6 = named<QLabel>(this, "Label6");
    Button1 = named<QPushButton>(this, "Button1");
    Button4 = named<QPushButton>(this, "Button4");
    Button5 = named<QPushButton>(this, "Button5");
    Button6 = named<QPushButton>(this, "Button6");
    shit = named<QTextEdit>(this, "shit");
    Button19 = named<QPushButton>(this, "Button19");
    Memo12 = named<QPlainTextEdit>(this, "Memo12");
    TrackBar1 = named<QSlider>(this, "TrackBar1");
    StaticText11 = named<QLabel>(this, "StaticText11");
}
