#include "editors/script_tab.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "codec/commands.h"
#include "codec/layout.h"
#include "editors/colors.h"
#include "editors/dialogs.h"
#include "editors/levels_tab.h"
#include "editors/media_tab.h"
#include "editors/spin_edit.h"
#include "editors/text.h"

namespace {

using vellumark::script_command;
using vellumark::script_slot;

const QColor kSlotListColour(0xCA, 0xD6, 0xE3);
const QColor kChooserColour(0x9F, 0xCF, 0xFF);
const QColor kDemoNumberColour(0xC7, 0xE7, 0xE7);

// Answers the listing's name look-ups from the lines of ListBox1, ListBox3,
// ListBox4 and ListBox5, by position.
class view_lookup : public vellumark::listing_lookup {
public:
    explicit view_lookup(const EditorContext& ctx) : ctx_(ctx) {}

    bool row(int list, int index, std::string& out) const override {
        const QListWidget* box = nullptr;
        if (list == 1 && ctx_.levels) box = ctx_.levels->ListBox1;
        if (list == 3 && ctx_.levels) box = ctx_.levels->ListBox3;
        if (list == 4 && ctx_.media) box = ctx_.media->ListBox4;
        if (list == 5 && ctx_.media) box = ctx_.media->ListBox5;
        if (!box || index < 0 || index >= box->count()) return false;
        auto bytes = to_bytes(box->item(index)->text());
        if (!bytes) return false;
        out = std::move(*bytes);
        return true;
    }

private:
    const EditorContext& ctx_;
};

template <class W>
W* named(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
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

ScriptTab::ScriptTab(EditorContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    // ---- "Script Slots": slot list | command list, chooser, operand, buttons
    GroupBox1 = named<QGroupBox>(this, "GroupBox1");
    GroupBox1->setTitle(QStringLiteral("Script Slots"));
    ListBox9 = named<QListWidget>(GroupBox1, "ListBox9");
    ListBox10 = named<QListWidget>(GroupBox1, "ListBox10");
    ComboBox1 = named<QComboBox>(GroupBox1, "ComboBox1");
    SpinEdit10 = named<SpinEdit>(GroupBox1, "SpinEdit10");
    Button15 = button(GroupBox1, "Button15", "Add");
    Button14 = button(GroupBox1, "Button14", "Replace");
    Button16 = button(GroupBox1, "Button16", "Delete");

    ListBox9->setFixedWidth(110);
    ComboBox1->setEditable(false);
    for (const auto name : vellumark::command_names) ComboBox1->addItem(to_text(name));
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
    ListBox11 = named<QListWidget>(GroupBox3, "ListBox11");
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
        // A drop-down list paints its closed face with the button roles.
        QPalette p = ComboBox1->palette();
        p.setColor(QPalette::Button, kChooserColour);
        p.setColor(QPalette::ButtonText, Qt::blue);
        ComboBox1->setPalette(p);
    }
    set_background(SpinEdit10, kSilver);
    set_background(SpinEdit11, kDemoNumberColour);

    // ---- behaviour
    connect(ListBox9, &QListWidget::currentRowChanged, this, [this] {
        if (!quiet_) ListBox9Click();
    });
    connect(ListBox10, &QListWidget::currentRowChanged, this, [this] {
        if (!quiet_) ListBox10Click();
    });
    connect(ListBox11, &QListWidget::currentRowChanged, this, [this] {
        if (!quiet_) ListBox11Click();
    });
    // A click on the line that is already selected shows it again.
    connect(ListBox9, &QListWidget::itemClicked, this, [this] { ListBox9Click(); });
    connect(ListBox10, &QListWidget::itemClicked, this, [this] { ListBox10Click(); });
    connect(ListBox11, &QListWidget::itemClicked, this, [this] { ListBox11Click(); });
    connect(Button15, &QPushButton::clicked, this, &ScriptTab::Button15Click);
    connect(Button14, &QPushButton::clicked, this, &ScriptTab::Button14Click);
    connect(Button16, &QPushButton::clicked, this, &ScriptTab::Button16Click);
    connect(Button11, &QPushButton::clicked, this, &ScriptTab::Button11Click);
    connect(Button17, &QPushButton::clicked, this, &ScriptTab::Button17Click);
    connect(Button18, &QPushButton::clicked, this, &ScriptTab::Button18Click);
}

// ---- helpers ---------------------------------------------------------------

int ScriptTab::selected_slot() const {
    const int row = ListBox9->currentRow();
    if (row < 0 || row >= static_cast<int>(ctx_.doc.scripts.size())) return -1;
    return row;
}

int ScriptTab::used_commands(const script_slot& slot) {
    return std::clamp<int>(slot.command_count, 0, vellumark::kSlotCapacity);
}

std::optional<script_command> ScriptTab::new_entry() const {
    const int chosen = ComboBox1->currentIndex();
    if (chosen < 0) return std::nullopt;
    script_command entry;
    entry.command = static_cast<std::uint16_t>(chosen);
    entry.operand = vellumark::layout::kNoOperand;
    if (vellumark::layout::carries_operand(entry.command))
        entry.operand = static_cast<std::uint16_t>(static_cast<std::uint32_t>(SpinEdit10->value()));
    return entry;
}

void ScriptTab::relist_and_show(int line) {
    ListBox9Click();
    if (line < 0 || line >= ListBox10->count()) return;
    {
        const bool was = std::exchange(quiet_, true);
        ListBox10->setCurrentRow(line);
        quiet_ = was;
    }
    ListBox10Click();
}

int ScriptTab::level_line_count() const {
    return ctx_.levels ? ctx_.levels->ListBox1->count() : 0;
}

std::optional<QString> ScriptTab::level_description(int n) const {
    if (n < 0 || n >= level_line_count()) return std::nullopt;
    return ctx_.levels->ListBox1->item(n)->text();
}

void ScriptTab::sync_demo_levels() {
    ctx_.doc.demo_levels.resize(static_cast<std::size_t>(ListBox11->count()));
    ctx_.doc.demo_level_count = static_cast<std::int16_t>(ListBox11->count());
}

// ---- the slot listing and the command list --------------------------------

void ScriptTab::ListBox9Click() {
    const bool was = std::exchange(quiet_, true);
    ListBox10->clear();
    quiet_ = was;

    const int s = selected_slot();
    if (s < 0) return;
    const script_slot& slot = ctx_.doc.scripts[static_cast<std::size_t>(s)];
    const view_lookup lookup(ctx_);
    QStringList lines;
    const int n = used_commands(slot);
    lines.reserve(n);
    for (int i = 0; i < n; ++i)
        lines << to_text(vellumark::format_command(slot.commands[static_cast<std::size_t>(i)], lookup));
    ListBox10->addItems(lines);
    // No line is selected; the chooser and the operand field keep their values.
}

void ScriptTab::ListBox10Click() {
    const int s = selected_slot();
    const int k = ListBox10->currentRow();
    if (s < 0 || k < 0) return;
    const script_slot& slot = ctx_.doc.scripts[static_cast<std::size_t>(s)];
    if (k >= used_commands(slot)) return;
    const script_command& cmd = slot.commands[static_cast<std::size_t>(k)];
    ComboBox1->setCurrentIndex(cmd.command < vellumark::kCommandNameCount ? cmd.command : -1);
    if (cmd.operand != vellumark::layout::kNoOperand) SpinEdit10->setValue(cmd.operand);
}

void ScriptTab::Button15Click() {
    const int s = selected_slot();
    if (s < 0) return;
    const auto entry = new_entry();
    if (!entry) return;
    script_slot& slot = ctx_.doc.scripts[static_cast<std::size_t>(s)];
    const int count = used_commands(slot);
    if (count >= vellumark::kSlotCapacity) {
        ctx_.dialogs->message(this, QStringLiteral("A script slot holds at most 64 commands."));
        return;
    }
    const int p = std::min(ListBox10->currentRow() + 1, count);
    auto first = slot.commands.begin();
    std::move_backward(first + p, first + count, first + count + 1);
    slot.commands[static_cast<std::size_t>(p)] = *entry;
    slot.command_count = static_cast<std::int16_t>(count + 1);
    relist_and_show(p);
    ctx_.setModified();
}

void ScriptTab::Button14Click() {
    const int s = selected_slot();
    if (s < 0) return;
    script_slot& slot = ctx_.doc.scripts[static_cast<std::size_t>(s)];
    const int k = ListBox10->currentRow();
    if (k < 0 || k >= used_commands(slot)) return;
    const auto entry = new_entry();
    if (!entry) return;
    slot.commands[static_cast<std::size_t>(k)] = *entry;
    relist_and_show(k);
    ctx_.setModified();
}

void ScriptTab::Button16Click() {
    const int s = selected_slot();
    if (s < 0) return;
    script_slot& slot = ctx_.doc.scripts[static_cast<std::size_t>(s)];
    const int count = used_commands(slot);
    const int k = ListBox10->currentRow();
    if (k < 0 || k >= count) return;
    auto first = slot.commands.begin();
    std::move(first + k + 1, first + count, first + k);
    slot.commands[static_cast<std::size_t>(count - 1)] = script_command{};
    slot.command_count = static_cast<std::int16_t>(count - 1);
    relist_and_show(k);  // the line that followed; none after the last line
    ctx_.setModified();
}

// ---- the demo level list ---------------------------------------------------

void ScriptTab::ListBox11Click() {
    const int r = ListBox11->currentRow();
    if (r < 0 || r >= static_cast<int>(ctx_.doc.demo_levels.size())) return;
    SpinEdit11->setValue(ctx_.doc.demo_levels[static_cast<std::size_t>(r)]);
}

void ScriptTab::Button11Click() {
    const int n = SpinEdit11->value();
    const auto description = level_description(n);
    if (!description) {
        ctx_.dialogs->message(this, QStringLiteral("Invalid demo level # slot"));
        return;
    }
    sync_demo_levels();
    ctx_.doc.demo_levels.push_back(static_cast<std::uint16_t>(n));
    ListBox11->addItem(*description);
    sync_demo_levels();
    ctx_.setModified();
}

void ScriptTab::Button17Click() {
    const int r = ListBox11->currentRow();
    if (r < 0) return;
    const int n = SpinEdit11->value();
    const auto description = level_description(n);
    if (!description) {
        ctx_.dialogs->message(this, QStringLiteral("Invalid demo level # slot"));
        return;
    }
    sync_demo_levels();
    ctx_.doc.demo_levels[static_cast<std::size_t>(r)] = static_cast<std::uint16_t>(n);
    ListBox11->item(r)->setText(*description);
    ctx_.setModified();
}

void ScriptTab::Button18Click() {
    const int count = ListBox11->count();
    if (count == 0) return;
    {
        const bool was = std::exchange(quiet_, true);
        delete ListBox11->takeItem(count - 1);
        quiet_ = was;
    }
    sync_demo_levels();
    ctx_.setModified();
}

// ---- copy and paste of a slot ------------------------------------------------

void ScriptTab::Copyscriptslot1Click() {
    if (ListBox9->count() == 0) return;
    ctx_.copied_slot = ListBox9->currentRow();
}

void ScriptTab::Pastescriptslot1Click() {
    const int source = ctx_.copied_slot;
    const int slotTotal = std::min(ListBox9->count(), static_cast<int>(ctx_.doc.scripts.size()));
    const int target = selected_slot();
    if (source < 0 || source >= slotTotal || target < 0) return;
    // The source's content now, not when it was copied.
    const script_slot copy = ctx_.doc.scripts[static_cast<std::size_t>(source)];
    ctx_.doc.scripts[static_cast<std::size_t>(target)] = copy;
    relist_and_show(0);
    ctx_.setModified();
}
