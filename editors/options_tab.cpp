#include "editors/options_tab.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "editors/colors.h"
#include "editors/list_edit.h"
#include "editors/spin_edit.h"

namespace {

template <class W>
W* make(QWidget* parent, const QString& name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}

void select_into(QListWidget* list, QLineEdit* edit) {
    const int row = selected_row(list);
    if (row >= 0) edit->setText(list->item(row)->text());
}

}  // namespace

OptionsTab::OptionsTab(EditorContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    auto* group = make<QGroupBox>(this, QStringLiteral("GroupBox2"), 8, 4, 330, 436);
    group->setTitle(QStringLiteral("Game Options"));

    // Screen order; the control numbers follow the order of the values in the file.
    const struct {
        int spin;
        const char* label;
    } spins[9] = {
        {1, "First Option"},  {2, "Title Replace"},   {4, "On death-Game"},
        {8, "Title Sound ID"}, {9, "Secret Sound ID"}, {5, "Demo Time"},
        {6, "On Interrupt"},  {3, "On death-Demo "},  {7, "On Demo end"},
    };
    for (int i = 0; i < 9; ++i) {
        const int x = 10 + (i % 3) * 106;
        const int y = 22 + (i / 3) * 52;
        auto* label = new QLabel(QString::fromLatin1(spins[i].label), group);
        label->setGeometry(x, y, 100, 16);
        SpinEdit* spin = spins_[spins[i].spin] =
            make<SpinEdit>(group, QStringLiteral("SpinEdit%1").arg(spins[i].spin), x, y + 18, 98, 24);
        connect(spin, &SpinEdit::textChanged, this, [this] { ctx_.setModified(); });
    }

    // Two columns of flag boxes, top to bottom.
    const struct {
        int box;
        const char* caption;
    } boxes[10] = {
        {2, "Demo Version"},        {3, "Title Disabled"},
        {10, "Select Any Level"},   {9, "Dozy Cheat Enabled"},
        {5, "Demos Disabled"},      {1, "Single Level"},
        {4, "Cheat mode Disabled"}, {8, "Lockup Option Ring"},
        {6, "Load/Save Disabled"},  {7, "Screen Sizing Disabled"},
    };
    for (int i = 0; i < 10; ++i) {
        const int x = 10 + (i % 2) * 160;
        const int y = 186 + (i / 2) * 28;
        QCheckBox* box = checks_[boxes[i].box] =
            make<QCheckBox>(group, QStringLiteral("CheckBox%1").arg(boxes[i].box), x, y, 156, 22);
        box->setText(QString::fromLatin1(boxes[i].caption));
        // "Single Level" only shows single_level; the save never reads it, but
        // clicking it still counts as a change.
        connect(box, &QCheckBox::toggled, this, [this] { ctx_.setModified(); });
    }

    // The two game string lists on the right.
    const int x7 = 346, x8 = 520, w = 166;
    (new QLabel(QStringLiteral("Game String 1"), this))->setGeometry(x7, 6, w, 16);
    (new QLabel(QStringLiteral("Game String 2"), this))->setGeometry(x8, 6, w, 16);
    ListBox7 = make<QListWidget>(this, QStringLiteral("ListBox7"), x7, 24, w, 342);
    ListBox8 = make<QListWidget>(this, QStringLiteral("ListBox8"), x8, 24, w, 342);
    Edit7 = make<QLineEdit>(this, QStringLiteral("Edit7"), x7, 372, w, 22);
    Edit8 = make<QLineEdit>(this, QStringLiteral("Edit8"), x8, 372, w, 22);
    Button9 = make<QPushButton>(this, QStringLiteral("Button9"), x7, 400, w, 25);
    Button10 = make<QPushButton>(this, QStringLiteral("Button10"), x8, 400, w, 25);
    Button9->setText(QStringLiteral("Replace"));
    Button10->setText(QStringLiteral("Replace"));
    for (QListWidget* list : {ListBox7, ListBox8}) list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (QLineEdit* edit : {Edit7, Edit8}) restrict_to_script_text(edit, ctx_);
    set_background(ListBox7, QColor(0xF3, 0xF1, 0xD1));
    set_background(ListBox8, QColor(0x80, 0xD6, 0xFF));
    set_background(Edit7, QColor(0xD2, 0xFF, 0xD2));
    set_background(Edit8, QColor(0xFF, 0xB9, 0xB9));

    connect(ListBox7, &QListWidget::itemSelectionChanged, this, &OptionsTab::ListBox7Click);
    connect(ListBox8, &QListWidget::itemSelectionChanged, this, &OptionsTab::ListBox8Click);
    connect(Button9, &QPushButton::clicked, this, &OptionsTab::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &OptionsTab::Button10Click);
}

void OptionsTab::ListBox7Click() { select_into(ListBox7, Edit7); }

void OptionsTab::ListBox8Click() { select_into(ListBox8, Edit8); }

void OptionsTab::Button9Click() {
    const int row = selected_row(ListBox7);
    if (row >= 0) ListBox7->item(row)->setText(Edit7->text());
    ctx_.setModified();
}

void OptionsTab::Button10Click() {
    const int row = selected_row(ListBox8);
    if (row >= 0) ListBox8->item(row)->setText(Edit8->text());
    ctx_.setModified();
}
