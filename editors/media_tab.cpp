#include "editors/media_tab.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <algorithm>

#include "editors/colors.h"
#include "editors/document.h"
#include "editors/list_box.h"
#include "editors/list_edit.h"
#include "editors/list_models.h"
#include "editors/text.h"

namespace {

template <class W>
W* make(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y, int w) {
    auto* b = make<QPushButton>(parent, name, x, y, w, 25);
    b->setText(caption);
    return b;
}

// A movie record's value: a whole number from 0 to 4294967295.
class RecordValueValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.isEmpty()) return Intermediate;
        bool ok = false;
        const qulonglong v = input.toULongLong(&ok);
        const bool digits = std::all_of(input.begin(), input.end(), [](QChar c) { return c.isDigit(); });
        return digits && ok && v <= 0xFFFFFFFFull ? Acceptable : Invalid;
    }
};

// The record a movie added to a PlayStation script starts with: the first
// value is 1 in every record of the game's own script.
constexpr vellumark::movie_record kNewMovieRecord{1, 0};

}  // namespace

MediaTab::MediaTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent) : QWidget(parent), doc_(doc) {
    struct Column {
        const char* heading;
        const char* list;
        const char* edit;
        const char* label;
        const char* replace;
        const char* remove;
        const char* group;
        const char* group_title;
        const char* add;
        const char* add_edit;
    };
    const Column columns[3] = {
        {"RPLs File Names", "ListBox4", "Edit4", "Label7", "BitBtn2", "Button7", "GroupBox4",
         "Add new RPL's file name", "Button3", "Edit9"},
        {"Cut Scene File names", "ListBox5", "Edit5", "Label8", "Button22", "Button20", "GroupBox5",
         "Add New Cut Scene's file name", "Button21", "Edit10"},
        {"Titles and legal file names", "ListBox6", "Edit6", "Label9", "Button24", "Button8",
         "GroupBox6", "Add New title's and legel's File Name", "Button23", "Edit11"},
    };
    ListBox** lists[3] = {&ListBox4, &ListBox5, &ListBox6};
    const vellumark::table_id tables[3] = {vellumark::table_id::fmv_files, vellumark::table_id::cutscene_files,
                                           vellumark::table_id::title_files};
    QLineEdit** edits[3] = {&Edit4, &Edit5, &Edit6};
    QLabel** labels[3] = {&Label7, &Label8, &Label9};
    QPushButton** replaces[3] = {&BitBtn2, &Button22, &Button24};
    QPushButton** removes[3] = {&Button7, &Button20, &Button8};
    QGroupBox** groups[3] = {&GroupBox4, &GroupBox5, &GroupBox6};
    QPushButton** adds[3] = {&Button3, &Button21, &Button23};
    QLineEdit** add_edits[3] = {&Edit9, &Edit10, &Edit11};

    constexpr int kColumnW = 216;
    for (int i = 0; i < 3; ++i) {
        const Column& s = columns[i];
        const int x = 8 + i * 228;
        auto* heading = new QLabel(QString::fromLatin1(s.heading), this);
        heading->setGeometry(x, 4, kColumnW, 16);
        ListBox* list = *lists[i] = new ListBox(new StringTableModel(doc_, tables[i]), this);
        list->setObjectName(QString::fromLatin1(s.list));
        list->setGeometry(x, 22, kColumnW, 250);
        QLineEdit* edit = *edits[i] = make<QLineEdit>(this, s.edit, x, 276, kColumnW, 22);
        restrict_to_script_text(edit, dialogs, doc_);
        QLabel* label = *labels[i] = make<QLabel>(this, s.label, x, 300, kColumnW, 16);
        label->setText(slot_caption(-1));
        const int half = (kColumnW - 4) / 2;
        QPushButton* replace = *replaces[i] =
            button(this, s.replace, QStringLiteral("Replace"), x, 320, half);
        QPushButton* remove = *removes[i] =
            button(this, s.remove, QStringLiteral("Delete Last"), x + half + 4, 320, half);
        QGroupBox* group = *groups[i] = make<QGroupBox>(this, s.group, x, 354, kColumnW, 64);
        group->setTitle(QString::fromLatin1(s.group_title));
        QPushButton* add = *adds[i] = button(group, s.add, QStringLiteral("Add New"), 8, 26, 70);
        QLineEdit* add_edit = *add_edits[i] = make<QLineEdit>(group, s.add_edit, 84, 27, kColumnW - 92, 22);
        restrict_to_script_text(add_edit, dialogs, doc_);

        connect(list, &ListBox::selectedRowChanged, this, [this, i] { selectEntry(i); });
        connect(replace, &QPushButton::clicked, this, [this, i] { replaceEntry(i); });
        connect(remove, &QPushButton::clicked, this, [this, i] { deleteEntry(i); });
        connect(add, &QPushButton::clicked, this, [this, i] { addEntry(i); });
    }

    // The movie records of a PlayStation script, under the movie list.
    MovieRecordLabel = make<QLabel>(this, "MovieRecordLabel", 8, 254, 90, 20);
    MovieRecordLabel->setText(QStringLiteral("Movie record:"));
    MovieRecord1 = make<QLineEdit>(this, "MovieRecord1", 100, 252, 60, 22);
    MovieRecord2 = make<QLineEdit>(this, "MovieRecord2", 164, 252, 60, 22);
    for (QLineEdit* field : {MovieRecord1, MovieRecord2}) {
        field->setValidator(new RecordValueValidator(field));
        connect(field, &QLineEdit::textEdited, this, &MediaTab::editMovieRecord);
    }
    connect(&doc_, &ScriptDocument::reset, this, &MediaTab::showMovieRecord);
    connect(&doc_, &ScriptDocument::movieRecordsChanged, this, &MediaTab::showMovieRecord);
    connect(ListBox4, &ListBox::selectedRowChanged, this, &MediaTab::showMovieRecord);
    showMovieRecord();

    set_background(ListBox4, QColor(0xC7, 0xDF, 0xE7));
    set_background(ListBox5, kSilver);
    set_background(ListBox6, QColor(0xFE, 0xD9, 0xC2));
    set_background(Edit4, QColor(0x00, 0x00, 0xFF));
    set_text_color(Edit4, QColor(0xFF, 0xFF, 0x00));
    set_background(Edit5, QColor(0x80, 0xFF, 0x00));
    set_text_color(Edit5, QColor(0x00, 0x00, 0x00));
    set_background(Edit6, QColor(0xCA, 0xD6, 0xE3));
    set_background(Edit9, QColor(0xC7, 0xDF, 0xE7));
    set_background(Edit10, kSilver);
    set_background(Edit11, QColor(0xFE, 0xD9, 0xC2));
}

MediaTab::Column MediaTab::column(int index) const {
    using vellumark::table_id;
    switch (index) {
    case 0: return {ListBox4, Edit4, Label7, Edit9, table_id::fmv_files, "movie"};
    case 1: return {ListBox5, Edit5, Label8, Edit10, table_id::cutscene_files, "cut-scene"};
    default: return {ListBox6, Edit6, Label9, Edit11, table_id::title_files, "title"};
    }
}

void MediaTab::selectEntry(int index) {
    const Column c = column(index);
    const int row = c.list->selectedRow();
    const auto& strings = vellumark::table(doc_.record(), c.table).strings;
    if (row < 0 || std::size_t(row) >= strings.size()) return;
    c.edit->setText(doc_.toText(strings[std::size_t(row)]));
    c.label->setText(slot_caption(row));
}

// Without a selected entry, Replace and "Delete Last" change nothing but
// still count as an edit.
void MediaTab::replaceEntry(int index) {
    const Column c = column(index);
    const int row = c.list->selectedRow();
    const auto bytes = doc_.toBytes(c.edit->text());
    if (row >= 0 && bytes)
        doc_.setEntry(c.table, row, *bytes, QStringLiteral("Replace %1 %2").arg(c.entry).arg(row));
    else
        doc_.touch(QStringLiteral("Replace %1").arg(c.entry));
}

// A movie goes and comes with its record.
void MediaTab::deleteEntry(int index) {
    const Column c = column(index);
    const int row = c.list->selectedRow();
    const QString text = QStringLiteral("Delete %1 %2").arg(c.entry).arg(row);
    if (row < 0)
        doc_.touch(QStringLiteral("Delete %1").arg(c.entry));
    else if (index == 0)
        doc_.replaceMovies(row, 1, {}, {}, text);
    else
        doc_.replaceEntries(c.table, row, 1, {}, text);
}

void MediaTab::addEntry(int index) {
    const Column c = column(index);
    const int end = int(vellumark::table(doc_.record(), c.table).strings.size());
    std::string name = doc_.toBytes(c.add_edit->text()).value_or(std::string());
    const QString text = QStringLiteral("Add %1").arg(c.entry);
    if (index == 0)
        doc_.replaceMovies(end, 0, {std::move(name)}, {kNewMovieRecord}, text);
    else
        doc_.replaceEntries(c.table, end, 0, {std::move(name)}, text);
}

void MediaTab::showMovieRecord() {
    const auto& doc = doc_.record();
    const bool console = vellumark::has_movie_records(doc.layout);
    for (QWidget* w : std::initializer_list<QWidget*>{MovieRecordLabel, MovieRecord1, MovieRecord2})
        w->setVisible(console);
    ListBox4->setFixedHeight(console ? 226 : 250);
    const int row = ListBox4->selectedRow();
    const bool has = console && row >= 0 && std::size_t(row) < doc.movie_records.size();
    // setText() is not an edit: textEdited stays for the user's typing.
    MovieRecord1->setEnabled(has);
    MovieRecord2->setEnabled(has);
    MovieRecord1->setText(has ? QString::number(doc.movie_records[std::size_t(row)].first) : QString());
    MovieRecord2->setText(has ? QString::number(doc.movie_records[std::size_t(row)].second) : QString());
}

void MediaTab::editMovieRecord() {
    const int row = ListBox4->selectedRow();
    if (row < 0) return;
    // An emptied field counts as 0, as a spin edit's does.
    doc_.setMovieRecord(row, {static_cast<std::uint32_t>(MovieRecord1->text().toULongLong()),
                              static_cast<std::uint32_t>(MovieRecord2->text().toULongLong())});
}
