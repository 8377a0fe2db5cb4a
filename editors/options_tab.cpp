// Placeholder layout: every control exists with its name; the real layout and
// the editing behaviour replace this.
#include "editors/options_tab.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/spin_edit.h"

template <class W>
static W* named(QWidget* parent, const QString& name) {
    auto* w = new W(parent);
    w->setObjectName(name);
    parent->layout()->addWidget(w);
    return w;
}

OptionsTab::OptionsTab(EditorContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    new QVBoxLayout(this);
    for (int i = 1; i <= 9; ++i) spins_[i] = named<SpinEdit>(this, QStringLiteral("SpinEdit%1").arg(i));
    for (int i = 1; i <= 10; ++i) checks_[i] = named<QCheckBox>(this, QStringLiteral("CheckBox%1").arg(i));
    ListBox7 = named<QListWidget>(this, QStringLiteral("ListBox7"));
    ListBox8 = named<QListWidget>(this, QStringLiteral("ListBox8"));
    Edit7 = named<QLineEdit>(this, QStringLiteral("Edit7"));
    Edit8 = named<QLineEdit>(this, QStringLiteral("Edit8"));
    Button9 = named<QPushButton>(this, QStringLiteral("Button9"));
    Button10 = named<QPushButton>(this, QStringLiteral("Button10"));
}
