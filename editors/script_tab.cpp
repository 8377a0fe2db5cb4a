#include "editors/script_tab.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/slots.h"
#include "codec/transcript.h"
#include "editors/colors.h"
#include "editors/dialogs.h"
#include "editors/document.h"
#include "editors/list_box.h"
#include "editors/list_edit.h"
#include "editors/list_models.h"
#include "editors/spin_edit.h"
#include "editors/text.h"

namespace {

using vellumark::script_command;
using vellumark::script_slot;
using vellumark::used_commands;

const QColor kSlotListColour(0xCA, 0xD6, 0xE3);
const QColor kChooserColour(0x9F, 0xCF, 0xFF);
const QColor kDemoNumberColour(0xC7, 0xE7, 0xE7);

template <class W>
W* named(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

ListBox* list_box(ScriptListModel* model, QWidget* parent, const char* name) {
    auto* box = new ListBox(model, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = named<QPushButton>(parent, name);
    b->setText(QString::fromLatin1(caption));
    return b;
}

// A label over a field.
QVBoxLayout* labelled(QWidget* parent, const char* caption, QWidget* field) {
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setBuddy(field);
    column->addWidget(label);
    column->addWidget(field);
    return column;
}

}  // namespace

ScriptTab::ScriptTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), doc_(doc), dialogs_(dialogs) {
    // ---- "Script Slots": slot list | command list, chooser, operand, buttons
    GroupBox1 = named<QGroupBox>(this, "GroupBox1");
    GroupBox1->setTitle(QStringLiteral("Script Slots"));
    ListBox9 = list_box(new SlotListModel(doc_), GroupBox1, "ListBox9");
    commands_ = new CommandListModel(doc_);
    ListBox10 = list_box(commands_, GroupBox1, "ListBox10");
    ComboBox1 = named<QComboBox>(GroupBox1, "ComboBox1");
    SpinEdit10 = named<SpinEdit>(GroupBox1, "SpinEdit10");
    Button15 = button(GroupBox1, "Button15", "Add");
    Button14 = button(GroupBox1, "Button14", "Replace");
    Button16 = button(GroupBox1, "Button16", "Delete");

    ListBox9->setFixedWidth(110);
    ComboBox1->setEditable(false);
    for (const auto name : vellumark::command_names) ComboBox1->addItem(doc_.toText(name));
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    SpinEdit10->setValue(0);
    SpinEdit10->setMinimumWidth(80);

    auto* fields = new QHBoxLayout;
    fields->addLayout(labelled(GroupBox1, "Command", ComboBox1), 1);
    fields->addLayout(labelled(GroupBox1, "Operand", SpinEdit10));
    auto* commandButtons = new QHBoxLayout;
    commandButtons->addWidget(Button15);
    commandButtons->addWidget(Button14);
    commandButtons->addWidget(Button16);
    commandButtons->addStretch(1);
    auto* commandColumn = new QVBoxLayout;
    commandColumn->addWidget(ListBox10, 1);
    commandColumn->addLayout(fields);
    commandColumn->addLayout(commandButtons);
    auto* slotRow = new QHBoxLayout(GroupBox1);
    slotRow->addWidget(ListBox9);
    slotRow->addLayout(commandColumn, 1);

    // ---- "Demo level list": list, then number field and buttons in one row
    GroupBox3 = named<QGroupBox>(this, "GroupBox3");
    GroupBox3->setTitle(QStringLiteral("Demo level list"));
    ListBox11 = list_box(new DemoListModel(doc_), GroupBox3, "ListBox11");
    SpinEdit11 = named<SpinEdit>(GroupBox3, "SpinEdit11");
    Button11 = button(GroupBox3, "Button11", "Add");
    Button17 = button(GroupBox3, "Button17", "Replace");
    Button18 = button(GroupBox3, "Button18", "Delete");
    SpinEdit11->setValue(0);
    SpinEdit11->setFixedWidth(60);
    for (auto* b : {Button11, Button17, Button18}) b->setMinimumWidth(50);

    auto* demoRow = new QHBoxLayout;
    demoRow->addLayout(labelled(GroupBox3, "Slot#", SpinEdit11));
    demoRow->addWidget(Button11, 0, Qt::AlignBottom);
    demoRow->addWidget(Button17, 0, Qt::AlignBottom);
    demoRow->addWidget(Button18, 0, Qt::AlignBottom);
    auto* demo = new QVBoxLayout(GroupBox3);
    demo->addWidget(ListBox11, 1);
    demo->addLayout(demoRow);

    auto* page = new QHBoxLayout(this);
    page->addWidget(GroupBox1, 3);
    page->addWidget(GroupBox3, 2);

    // ---- design colours
    for (auto* list : {ListBox9, ListBox10, ListBox11}) set_background(list, kSlotListColour);
    set_background(ComboBox1, kChooserColour);
    set_text_color(ComboBox1, Qt::blue);
    {
        // A drop-down list paints its closed face with the button roles, and
        // the style draws that as a gradient: a style sheet keeps it flat.
        QPalette p = ComboBox1->palette();
        p.setColor(QPalette::Button, kChooserColour);
        p.setColor(QPalette::ButtonText, Qt::blue);
        ComboBox1->setPalette(p);
        ComboBox1->view()->setPalette(p);
        ComboBox1->setStyleSheet(
            QStringLiteral("QComboBox { background: %1; color: blue; border: 1px solid #7f9db9; padding: 1px 4px; }"
                           "QComboBox QAbstractItemView { background: %1; color: blue; }")
                .arg(kChooserColour.name()));
    }
    set_background(SpinEdit10, kSilver);
    set_background(SpinEdit11, kDemoNumberColour);

    // ---- behaviour
    connect(ListBox9, &ListBox::currentRowChanged, this, &ScriptTab::ListBox9Click);
    connect(ListBox10, &ListBox::currentRowChanged, this, &ScriptTab::ListBox10Click);
    connect(ListBox11, &ListBox::currentRowChanged, this, &ScriptTab::ListBox11Click);
    // A click on the line that is already selected shows it again.
    connect(ListBox9, &ListBox::clicked, this, &ScriptTab::ListBox9Click);
    connect(ListBox10, &ListBox::clicked, this, &ScriptTab::ListBox10Click);
    connect(ListBox11, &ListBox::clicked, this, &ScriptTab::ListBox11Click);
    connect(Button15, &QPushButton::clicked, this, &ScriptTab::Button15Click);
    connect(Button14, &QPushButton::clicked, this, &ScriptTab::Button14Click);
    connect(Button16, &QPushButton::clicked, this, &ScriptTab::Button16Click);
    connect(Button11, &QPushButton::clicked, this, &ScriptTab::Button11Click);
    connect(Button17, &QPushButton::clicked, this, &ScriptTab::Button17Click);
    connect(Button18, &QPushButton::clicked, this, &ScriptTab::Button18Click);

    // The lists follow the document through their models; this tab decides
    // which slot is selected and listed.
    connect(&doc_, &ScriptDocument::reset, this, &ScriptTab::documentReset);
    connect(&doc_, &ScriptDocument::slotsReplaced, this, &ScriptTab::slotsReplaced);
}

// ---- the document's changes -------------------------------------------------

void ScriptTab::documentReset() {
    // Slot 0 is selected and listed once.
    if (!doc_.record().scripts.empty()) {
        ListBox9->selectQuietly(0);
        ListBox9Click();
    }
}

void ScriptTab::slotsReplaced(int first, int removed, int inserted) {
    // The slot list shows the change already; the selection stayed on its
    // slot, which the command list follows.
    const int total = static_cast<int>(doc_.record().scripts.size());
    const int last = first + inserted - 1;
    const int shown = ListBox9->currentRow();
    if (inserted > removed && doc_.slotsAdded()[std::size_t(last)]) {
        // A level added through the dialog: its empty slot is selected and listed.
        ListBox9->selectQuietly(last);
        ListBox9Click();
    } else if (removed > inserted || shown < 0 || shown >= total) {
        // Levels deleted: slot 0 is selected and listed.
        ListBox9->selectQuietly(total > 0 ? 0 : -1);
        ListBox9Click();
    } else if (shown >= first && shown < first + inserted) {
        ListBox9Click();  // the listed slot changed
    }
}

void ScriptTab::setOperand(int level) { SpinEdit10->setValue(level); }

// ---- helpers ---------------------------------------------------------------

int ScriptTab::selected_slot() const {
    const int row = ListBox9->currentRow();
    if (row < 0 || row >= static_cast<int>(doc_.record().scripts.size())) return -1;
    return row;
}

const script_slot* ScriptTab::slot(int s) const {
    return s < 0 ? nullptr : &doc_.record().scripts[static_cast<std::size_t>(s)];
}

std::optional<script_command> ScriptTab::new_entry() const {
    const int chosen = ComboBox1->currentIndex();
    if (chosen < 0) return std::nullopt;
    script_command entry;
    entry.command = static_cast<std::uint16_t>(chosen);
    entry.operand = vellumark::cmd::kNoOperand;
    if (vellumark::cmd::carries_operand(entry.command))
        entry.operand = static_cast<std::uint16_t>(static_cast<std::uint32_t>(SpinEdit10->value()));
    return entry;
}

void ScriptTab::relist_and_show(int line) {
    ListBox9Click();
    const script_slot* s = slot(selected_slot());
    if (!s || line < 0 || line >= used_commands(*s)) return;
    ListBox10->selectQuietly(line);
    ListBox10Click();
}

bool ScriptTab::validDemoLevel(int n) {
    if (n >= 0 && n < static_cast<int>(doc_.record().level_names.strings.size())) return true;
    dialogs_.message(this, QStringLiteral("Invalid demo level # slot"));
    return false;
}

// ---- the slot listing and the command list --------------------------------

void ScriptTab::ListBox9Click() {
    // No line is selected; the chooser and the operand field keep their values.
    commands_->showSlot(selected_slot());
}

void ScriptTab::ListBox10Click() {
    const script_slot* s = slot(selected_slot());
    const int k = ListBox10->currentRow();
    if (!s || k < 0 || k >= used_commands(*s)) return;
    const script_command& c = s->commands[static_cast<std::size_t>(k)];
    ComboBox1->setCurrentIndex(c.command < vellumark::kCommandNameCount ? c.command : -1);
    if (c.operand != vellumark::cmd::kNoOperand) SpinEdit10->setValue(c.operand);
}

void ScriptTab::Button15Click() {
    const int s = selected_slot();
    if (s < 0) return;
    const auto entry = new_entry();
    if (!entry) return;
    const int p = std::min(ListBox10->currentRow() + 1, used_commands(*slot(s)));
    try {
        doc_.insertCommand(s, p, *entry);
    } catch (const vellumark::script_error& e) {
        dialogs_.message(this, QString::fromUtf8(e.what()));  // the slot is full
        return;
    }
    relist_and_show(p);
}

void ScriptTab::Button14Click() {
    const int s = selected_slot();
    if (s < 0) return;
    const int k = ListBox10->currentRow();
    if (k < 0 || k >= used_commands(*slot(s))) return;
    const auto entry = new_entry();
    if (!entry) return;
    doc_.replaceCommand(s, k, *entry);
    relist_and_show(k);
}

void ScriptTab::Button16Click() {
    const int s = selected_slot();
    if (s < 0) return;
    const int k = ListBox10->currentRow();
    if (k < 0 || k >= used_commands(*slot(s))) return;
    doc_.removeCommand(s, k);
    relist_and_show(k);  // the line that followed; none after the last line
}

// ---- the demo level list ---------------------------------------------------

void ScriptTab::ListBox11Click() {
    const int r = ListBox11->currentRow();
    const auto& levels = doc_.record().demo_levels;
    if (r < 0 || r >= static_cast<int>(levels.size())) return;
    SpinEdit11->setValue(levels[static_cast<std::size_t>(r)]);
}

void ScriptTab::Button11Click() {
    const int n = SpinEdit11->value();
    if (!validDemoLevel(n)) return;
    auto levels = doc_.record().demo_levels;
    Lines texts = doc_.demoTexts();
    levels.push_back(static_cast<std::uint16_t>(n));
    texts.push_back(vellumark::level_description(doc_.record(), std::size_t(n)));
    doc_.setDemoLevels(std::move(levels), std::move(texts), QStringLiteral("Add demo level"));
}

void ScriptTab::Button17Click() {
    const int r = ListBox11->currentRow();
    if (r < 0 || r >= static_cast<int>(doc_.record().demo_levels.size())) return;
    const int n = SpinEdit11->value();
    if (!validDemoLevel(n)) return;
    auto levels = doc_.record().demo_levels;
    Lines texts = doc_.demoTexts();
    levels[std::size_t(r)] = static_cast<std::uint16_t>(n);
    texts[std::size_t(r)] = vellumark::level_description(doc_.record(), std::size_t(n));
    doc_.setDemoLevels(std::move(levels), std::move(texts), QStringLiteral("Replace demo level %1").arg(r));
}

void ScriptTab::Button18Click() {
    auto levels = doc_.record().demo_levels;
    if (levels.empty()) return;
    Lines texts = doc_.demoTexts();
    levels.pop_back();
    texts.pop_back();
    doc_.setDemoLevels(std::move(levels), std::move(texts), QStringLiteral("Delete demo level"));
}

// ---- copy and paste of a slot ------------------------------------------------

int ScriptTab::copied_slot() const { return doc_.copiedSlot(); }

void ScriptTab::Copyscriptslot1Click() {
    if (doc_.record().scripts.empty()) return;
    doc_.setCopiedSlot(ListBox9->currentRow());
}

void ScriptTab::Pastescriptslot1Click() {
    const int source = doc_.copiedSlot();
    const int target = selected_slot();
    if (source < 0 || source >= static_cast<int>(doc_.record().scripts.size()) || target < 0) return;
    // The source's content now, not when it was copied.
    const script_slot copy = *slot(source);
    doc_.setSlot(target, copy, QStringLiteral("Paste script slot %1 onto %2").arg(source).arg(target));
    relist_and_show(0);
}
