// Placeholder layout: every control exists with its name; the real layout and
// the editing behaviour replace this.
#include "editors/script_tab.h"

#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/spin_edit.h"

template <class W>
static W* named(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    parent->layout()->addWidget(w);
    return w;
}

ScriptTab::ScriptTab(EditorContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    new QVBoxLayout(this);
    GroupBox1 = named<QGroupBox>(this, "GroupBox1");
    ListBox9 = named<QListWidget>(this, "ListBox9");
    ListBox10 = named<QListWidget>(this, "ListBox10");
    ComboBox1 = named<QComboBox>(this, "ComboBox1");
    SpinEdit10 = named<SpinEdit>(this, "SpinEdit10");
    Button15 = named<QPushButton>(this, "Button15");
    Button14 = named<QPushButton>(this, "Button14");
    Button16 = named<QPushButton>(this, "Button16");
    GroupBox3 = named<QGroupBox>(this, "GroupBox3");
    ListBox11 = named<QListWidget>(this, "ListBox11");
    SpinEdit11 = named<SpinEdit>(this, "SpinEdit11");
    Button11 = named<QPushButton>(this, "Button11");
    Button17 = named<QPushButton>(this, "Button17");
    Button18 = named<QPushButton>(this, "Button18");
}

void ScriptTab::ListBox9Click() {}
void ScriptTab::Copyscriptslot1Click() {}
void ScriptTab::Pastescriptslot1Click() {}
