#include "editors/options_tab.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "codec/options.h"
#include "editors/colors.h"
#include "editors/document.h"
#include "editors/list_box.h"
#include "editors/list_edit.h"
#include "editors/list_models.h"
#include "editors/spin_edit.h"
#include "editors/text.h"

namespace {

template <class W>
W* make(QWidget* parent, const QString& name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}

}  // namespace

using vellumark::option_id;

OptionsTab::OptionsTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent) : QWidget(parent), doc_(doc) {
    auto* group = make<QGroupBox>(this, QStringLiteral("GroupBox2"), 8, 4, 330, 436);
    group->setTitle(QStringLiteral("Game Options"));

    // Screen order; the control numbers follow the order of the values in the file.
    const option_id screen_order[9] = {
        option_id::first_option,   option_id::title_replace,   option_id::on_death_game,
        option_id::title_sound_id, option_id::secret_sound_id, option_id::demo_time,
        option_id::on_interrupt,   option_id::on_death_demo,   option_id::on_demo_end,
    };
    for (int i = 0; i < 9; ++i) {
        const option_id id = screen_order[i];
        const int n = static_cast<int>(id) + 1;
        const int x = 10 + (i % 3) * 106;
        const int y = 22 + (i / 3) * 52;
        const std::string_view caption = vellumark::info(id).label;
        auto* label = new QLabel(QString::fromLatin1(caption.data(), qsizetype(caption.size())), group);
        label->setGeometry(x, y, 100, 16);
        SpinEdit* spin = spins_[n] = make<SpinEdit>(group, QStringLiteral("SpinEdit%1").arg(n), x, y + 18, 98, 24);
        connect(spin, &SpinEdit::textChanged, this,
                [this, id](const QString& text) { doc_.setOption(id, spin_text_value(text)); });
    }

    // Two columns of flag boxes, top to bottom.
    // CheckBox2 to CheckBox10 stand for the option flags in box order;
    // CheckBox1 is "Single Level".
    const int boxes[10] = {2, 3, 10, 9, 5, 1, 4, 8, 6, 7};
    for (int i = 0; i < 10; ++i) {
        const int n = boxes[i];
        const int x = 10 + (i % 2) * 160;
        const int y = 186 + (i / 2) * 28;
        QCheckBox* box = checks_[n] = make<QCheckBox>(group, QStringLiteral("CheckBox%1").arg(n), x, y, 156, 22);
        if (n == 1) {
            box->setText(QStringLiteral("Single Level"));
            // "Single Level" only shows single_level; the save never reads it,
            // but clicking it still counts as a change.
            connect(box, &QCheckBox::toggled, this, [this](bool on) { doc_.setSingleLevelBox(on); });
        } else {
            const vellumark::flag_info& flag = vellumark::kOptionFlags[std::size_t(n - 2)];
            box->setText(QString::fromLatin1(flag.caption.data(), qsizetype(flag.caption.size())));
            connect(box, &QCheckBox::toggled, this, [this, bit = flag.bit](bool on) { doc_.setFlag(bit, on); });
        }
    }

    // The two game string lists on the right.
    const int x7 = 346, x8 = 520, w = 166;
    (new QLabel(QStringLiteral("Game String 1"), this))->setGeometry(x7, 6, w, 16);
    (new QLabel(QStringLiteral("Game String 2"), this))->setGeometry(x8, 6, w, 16);
    const auto list = [this, w](const char* name, vellumark::table_id table, int x) {
        auto* box = new ListBox(new StringTableModel(doc_, table), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(x, 24, w, 342);
        return box;
    };
    ListBox7 = list("ListBox7", vellumark::table_id::game_strings1, x7);
    ListBox8 = list("ListBox8", vellumark::table_id::game_strings2, x8);
    Edit7 = make<QLineEdit>(this, QStringLiteral("Edit7"), x7, 372, w, 22);
    Edit8 = make<QLineEdit>(this, QStringLiteral("Edit8"), x8, 372, w, 22);
    Button9 = make<QPushButton>(this, QStringLiteral("Button9"), x7, 400, w, 25);
    Button10 = make<QPushButton>(this, QStringLiteral("Button10"), x8, 400, w, 25);
    Button9->setText(QStringLiteral("Replace"));
    Button10->setText(QStringLiteral("Replace"));
    for (QLineEdit* edit : {Edit7, Edit8}) restrict_to_script_text(edit, dialogs, doc_);
    set_background(ListBox7, QColor(0xF3, 0xF1, 0xD1));
    set_background(ListBox8, QColor(0x80, 0xD6, 0xFF));
    set_background(Edit7, QColor(0xD2, 0xFF, 0xD2));
    set_background(Edit8, QColor(0xFF, 0xB9, 0xB9));

    connect(ListBox7, &ListBox::selectedRowChanged, this, &OptionsTab::ListBox7Click);
    connect(ListBox8, &ListBox::selectedRowChanged, this, &OptionsTab::ListBox8Click);
    connect(Button9, &QPushButton::clicked, this, &OptionsTab::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &OptionsTab::Button10Click);

    connect(&doc_, &ScriptDocument::reset, this, [this] {
        for (const vellumark::option_info& o : vellumark::kOptions) showOption(o.id, true);
        showFlags();
    });
    connect(&doc_, &ScriptDocument::optionChanged, this, [this](option_id id) { showOption(id, false); });
    connect(&doc_, &ScriptDocument::flagsChanged, this, &OptionsTab::showFlags);
    connect(&doc_, &ScriptDocument::singleLevelBoxChanged, this, &OptionsTab::showFlags);
}

void OptionsTab::showOption(option_id id, bool always) {
    SpinEdit* spin = spins_[static_cast<int>(id) + 1];
    const std::int32_t value = vellumark::option_value(doc_.record(), id);
    std::int32_t shown = spin_text_value(spin->text());
    if (!vellumark::info(id).wide) shown = static_cast<std::int16_t>(static_cast<std::uint16_t>(shown));
    if (shown == value && !always) return;
    const QSignalBlocker block(spin);
    spin->setValue(value);
}

void OptionsTab::showFlags() {
    const std::uint16_t flags = doc_.record().flags;
    for (int n = 2; n <= 10; ++n) {
        const QSignalBlocker block(checks_[n]);
        checks_[n]->setChecked((flags & vellumark::kOptionFlags[std::size_t(n - 2)].bit) != 0);
    }
    const QSignalBlocker block(checks_[1]);
    checks_[1]->setChecked(doc_.singleLevelBox());
}

void OptionsTab::selectInto(ListBox* list, QLineEdit* edit, vellumark::table_id table) {
    const int row = list->selectedRow();
    const auto& strings = vellumark::table(doc_.record(), table).strings;
    if (row >= 0 && std::size_t(row) < strings.size()) edit->setText(doc_.toText(strings[std::size_t(row)]));
}

void OptionsTab::ListBox7Click() { selectInto(ListBox7, Edit7, vellumark::table_id::game_strings1); }

void OptionsTab::ListBox8Click() { selectInto(ListBox8, Edit8, vellumark::table_id::game_strings2); }

void OptionsTab::replaceGameString(ListBox* list, QLineEdit* edit, int number) {
    const int row = list->selectedRow();
    const auto bytes = doc_.toBytes(edit->text());
    const auto table = number == 1 ? vellumark::table_id::game_strings1 : vellumark::table_id::game_strings2;
    if (row >= 0 && bytes)
        doc_.setEntry(table, row, *bytes, QStringLiteral("Replace Game String %1 entry %2").arg(number).arg(row));
    else
        doc_.touch(QStringLiteral("Replace Game String %1").arg(number));  // no entry selected: still an edit
}

void OptionsTab::Button9Click() { replaceGameString(ListBox7, Edit7, 1); }

void OptionsTab::Button10Click() { replaceGameString(ListBox8, Edit8, 2); }
