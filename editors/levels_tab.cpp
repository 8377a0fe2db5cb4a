#include "editors/levels_tab.h"

#include <QAction>
#include <QFrame>
#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include "codec/check.h"
#include "codec/levels.h"
#include "editors/add_level_dialog.h"
#include "editors/colors.h"
#include "editors/dialogs.h"
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

QLabel* heading(QWidget* parent, const QString& text, int x, int y, int w) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, 16);
    return label;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y, int w,
                    int h = 25) {
    auto* b = make<QPushButton>(parent, name, x, y, w, h);
    b->setText(caption);
    return b;
}

constexpr const char* kHoldsLines = "vellumark_holds_lines";

// Appends text as new paragraphs after whatever the document holds, in one
// edit. A document that holds nothing yet takes them from its first line; one
// whose only line is an empty appended one keeps that line.
void append_paragraphs(QTextDocument* doc, QString text) {
    if (!doc->isEmpty() || doc->property(kHoldsLines).toBool()) text.prepend(QLatin1Char('\n'));
    QTextCursor c(doc);
    c.movePosition(QTextCursor::End);
    c.insertText(text);
    doc->setProperty(kHoldsLines, true);
}

// The transcript's lines as text. A paragraph of a text pane is a block of its
// document, and building the tens of thousands of blocks of a near-limit
// script was most of an open; so the lines are joined by line separators, a
// paragraph every kLinesPerParagraph lines. The lines show one under the
// other just the same, and read back as lines (Save Text, copying).
constexpr std::size_t kLinesPerParagraph = 32;
// The pane lays out what it is given at once, or in the background in
// growing steps (up to 40 ms for 21,000 lines); so a transcript goes into it
// a slice at a time: at once the lines that fill the pane, then, a frame
// later (the window has shown the file), slices of kLinesPerSlice lines a
// millisecond apart (about 2 ms of work each).
constexpr std::size_t kLinesAtOnce = 16;
constexpr std::size_t kLinesPerSlice = 4 * kLinesPerParagraph;
constexpr int kFirstSliceDelay = 16;  // ms
constexpr int kSliceInterval = 1;     // ms

// Holds back repaints of a widget while it is filled, when they run: one
// whose repaints its parent holds back must not hold them itself, or it would
// stay unpainted once the parent lets them go.
class NoUpdates {
public:
    explicit NoUpdates(QWidget* w) : w_(w), was_(w->updatesEnabled()) {
        if (was_) w_->setUpdatesEnabled(false);
    }
    ~NoUpdates() {
        if (was_) w_->setUpdatesEnabled(true);
    }
    NoUpdates(const NoUpdates&) = delete;
    NoUpdates& operator=(const NoUpdates&) = delete;

private:
    QWidget* w_;
    bool was_;
};

// An entry of a table as its list shows it; nothing for no entry.
QString entry_text(const ScriptDocument& doc, vellumark::table_id table, int row) {
    const auto& strings = vellumark::table(doc.record(), table).strings;
    return row >= 0 && std::size_t(row) < strings.size() ? doc.toText(strings[std::size_t(row)]) : QString();
}

}  // namespace

using vellumark::table_id;

LevelsTab::LevelsTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), doc_(doc), dialogs_(dialogs) {
    // Three columns: heading, list, edit box, "Slot#".
    constexpr int kColumnX[] = {8, 236, 464};
    constexpr int kColumnW = 216;
    heading(this, QStringLiteral("Level's Description"), kColumnX[0], 4, kColumnW);
    heading(this, QStringLiteral("Level's File Names"), kColumnX[1], 4, kColumnW);
    heading(this, QStringLiteral("Level's Pic file Names"), kColumnX[2], 4, kColumnW);
    const auto list = [this](const char* name, table_id table, int x) {
        auto* box = new ListBox(new StringTableModel(doc_, table), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(x, 22, kColumnW, 170);
        set_background(box, QColor(0xC1, 0xDA, 0xEC));
        return box;
    };
    ListBox1 = list("ListBox1", table_id::level_names, kColumnX[0]);
    ListBox2 = list("ListBox2", table_id::level_files, kColumnX[1]);
    ListBox3 = list("ListBox3", table_id::pic_files, kColumnX[2]);
    Edit1 = make<QLineEdit>(this, "Edit1", kColumnX[0], 196, kColumnW, 22);
    Edit2 = make<QLineEdit>(this, "Edit2", kColumnX[1], 196, kColumnW, 22);
    Edit3 = make<QLineEdit>(this, "Edit3", kColumnX[2], 196, kColumnW, 22);
    Label4 = make<QLabel>(this, "Label4", kColumnX[0], 220, kColumnW, 16);
    Label5 = make<QLabel>(this, "Label5", kColumnX[1], 220, kColumnW, 16);
    Label6 = make<QLabel>(this, "Label6", kColumnX[2], 220, kColumnW, 16);
    for (QLabel* label : {Label4, Label5, Label6}) label->setText(slot_caption(-1));
    for (QLineEdit* edit : {Edit1, Edit2, Edit3}) restrict_to_script_text(edit, dialogs_, doc_);
    set_background(Edit1, QColor(0x82, 0xC4, 0xE8));
    set_background(Edit2, QColor(0xFD, 0xB5, 0xAA));
    set_background(Edit3, QColor(0xBE, 0xFC, 0xFB));

    // The framed button block under the middle column.
    auto* block = make<QFrame>(this, "Panel1", kColumnX[1], 242, kColumnW, 96);
    block->setFrameStyle(QFrame::Box | QFrame::Raised);
    Button1 = button(block, "Button1", QStringLiteral("Replace"), 8, 6, kColumnW - 16);
    Button4 = button(block, "Button4", QStringLiteral("Add New"), 8, 35, (kColumnW - 20) / 2);
    Button6 = button(block, "Button6", QStringLiteral("Delete all"), 12 + (kColumnW - 20) / 2, 35,
                     (kColumnW - 20) / 2);
    Button5 = button(block, "Button5", QStringLiteral("Delete Last"), 8, 64, kColumnW - 16);

    // The one-byte description lines and the font-size bar on the left.
    Memo12 = make<QPlainTextEdit>(this, "Memo12", kColumnX[0], 242, kColumnW, 120);
    Memo12->setReadOnly(true);
    set_background(Memo12, QColor(0xC7, 0xDF, 0xE7));
    StaticText11 = make<QLabel>(this, "StaticText11", kColumnX[0], 370, kColumnW, 16);
    StaticText11->setText(QStringLiteral("ListBox's Font Size"));
    TrackBar1 = make<QSlider>(this, "TrackBar1", kColumnX[0], 388, kColumnW, 36);
    TrackBar1->setOrientation(Qt::Horizontal);
    TrackBar1->setRange(6, 40);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickInterval(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setValue(7);

    // The load transcript at the bottom right, its "Save --->" to the left.
    shit = make<QTextEdit>(this, "shit", kColumnX[2], 242, kColumnW, 196);
    shit->setAcceptRichText(true);
    shit->setReadOnly(false);
    shit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    set_background(shit, QColor(0xCE, 0xFF, 0xE4));
    Button19 = button(this, "Button19", QStringLiteral("Save --->"), kColumnX[1] + kColumnW - 90, 412, 90);

    // The level operations: buttons under the block, the lists' context menu.
    const auto action = [this](const char* name, const QString& text, void (LevelsTab::*slot)()) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        if (slot) connect(a, &QAction::triggered, this, slot);
        return a;
    };
    InsertLevel1 = action("InsertLevel1", QStringLiteral("Insert level before"), &LevelsTab::insertLevel);
    MoveLevelUp1 = action("MoveLevelUp1", QStringLiteral("Move level up"), nullptr);
    connect(MoveLevelUp1, &QAction::triggered, this, [this] { moveLevel(-1); });
    MoveLevelDown1 = action("MoveLevelDown1", QStringLiteral("Move level down"), nullptr);
    connect(MoveLevelDown1, &QAction::triggered, this, [this] { moveLevel(+1); });
    MoveLevelTo1 = action("MoveLevelTo1", QStringLiteral("Move level to..."), &LevelsTab::moveLevelTo);
    DeleteLevel1 = action("DeleteLevel1", QStringLiteral("Delete this level"), &LevelsTab::deleteLevel);
    const int half = (kColumnW - 4) / 2;
    const struct {
        QAction* action;
        int x, y, w;
    } placed[] = {{InsertLevel1, 0, 344, half},       {DeleteLevel1, half + 4, 344, half},
                  {MoveLevelUp1, 0, 372, half},       {MoveLevelDown1, half + 4, 372, half},
                  {MoveLevelTo1, 0, 412, kColumnW - 94}};
    for (const auto& p : placed) {
        auto* b = make<QPushButton>(this, (p.action->objectName().chopped(1) + "Button").toLatin1().constData(),
                                    kColumnX[1] + p.x, p.y, p.w, 25);
        b->setText(p.action->text());
        connect(b, &QPushButton::clicked, p.action, &QAction::trigger);
        connect(p.action, &QAction::enabledChanged, b, &QPushButton::setEnabled);
    }
    for (ListBox* box : {ListBox1, ListBox2}) {
        box->setContextMenuPolicy(Qt::ActionsContextMenu);
        box->addActions(levelActions());
    }
    updateLevelActions();
    connect(&doc_, &ScriptDocument::reset, this, &LevelsTab::updateLevelActions);
    connect(&doc_, &ScriptDocument::entriesReplaced, this, &LevelsTab::updateLevelActions);
    connect(&doc_, &ScriptDocument::entryMoved, this, &LevelsTab::updateLevelActions);

    slice_timer_ = new QTimer(this);
    slice_timer_->setSingleShot(true);
    connect(slice_timer_, &QTimer::timeout, this, [this] {
        appendTranscriptSlice();
        if (!transcript_slices_.isEmpty()) slice_timer_->start(kSliceInterval);
    });

    form3_ = new TForm3(*this, doc_, dialogs_, this);
    form3_->hide();

    connect(ListBox1, &ListBox::selectedRowChanged, this, &LevelsTab::ListBox1Click);
    connect(ListBox2, &ListBox::selectedRowChanged, this, &LevelsTab::ListBox2Click);
    connect(ListBox3, &ListBox::selectedRowChanged, this, &LevelsTab::ListBox3Click);
    connect(Button1, &QPushButton::clicked, this, &LevelsTab::Button1Click);
    connect(Button4, &QPushButton::clicked, this, &LevelsTab::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &LevelsTab::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &LevelsTab::Button6Click);
    connect(Button19, &QPushButton::clicked, this, &LevelsTab::saveTranscriptClicked);
    connect(TrackBar1, &QSlider::valueChanged, this, &LevelsTab::listFontSizeChanged);
}

bool LevelsTab::holdsPlace(const vellumark::place& where) const {
    return where.in == vellumark::place::area::table &&
           (where.table == table_id::level_names || where.table == table_id::level_files ||
            where.table == table_id::pic_files);
}

void LevelsTab::showPlace(const vellumark::place& where) {
    ListBox* list = where.table == table_id::level_names ? ListBox1
                    : where.table == table_id::level_files ? ListBox2
                                                           : ListBox3;
    list->showRow(where.index);
}

std::vector<QWidget*> LevelsTab::recolourableViews() {
    return {ListBox1, ListBox2, ListBox3, Edit1, Edit2, Edit3, shit};
}

std::vector<ListBox*> LevelsTab::lists() { return {ListBox1, ListBox2, ListBox3}; }

void LevelsTab::selectLevel(ListBox* from, ListBox* partner, bool from_descriptions) {
    const int row = from->selectedRow();
    if (row < 0) return;  // the selected entry went: nothing is selected
    partner->selectQuietly(row);
    if (from_descriptions) emit levelSelected(row);
    Edit1->setText(entry_text(doc_, table_id::level_names, ListBox1->selectedRow()));
    Edit2->setText(entry_text(doc_, table_id::level_files, ListBox2->selectedRow()));
    Label4->setText(slot_caption(ListBox1->selectedRow()));
    Label5->setText(slot_caption(ListBox2->selectedRow()));
}

void LevelsTab::ListBox1Click() {
    selectLevel(ListBox1, ListBox2, true);
    updateLevelActions();
}

void LevelsTab::ListBox2Click() {
    selectLevel(ListBox2, ListBox1, false);
    updateLevelActions();
}

void LevelsTab::ListBox3Click() {
    const int row = ListBox3->selectedRow();
    if (row < 0) return;
    Edit3->setText(entry_text(doc_, table_id::pic_files, row));
    Label6->setText(slot_caption(row));
}

void LevelsTab::Button1Click() {
    // Each list at its own selection, as one step.
    const int level = ListBox1->selectedRow(), picture = ListBox3->selectedRow();
    const QString text = level >= 0     ? QStringLiteral("Replace level %1").arg(level)
                         : picture >= 0 ? QStringLiteral("Replace picture %1").arg(picture)
                                        : QStringLiteral("Replace");
    doc_.undoStack()->beginMacro(text);
    const struct {
        ListBox* list;
        QLineEdit* edit;
        table_id table;
    } columns[] = {{ListBox1, Edit1, table_id::level_names},
                   {ListBox2, Edit2, table_id::level_files},
                   {ListBox3, Edit3, table_id::pic_files}};
    for (const auto& c : columns) {
        const int row = c.list->selectedRow();
        if (row < 0) continue;
        if (auto bytes = doc_.toBytes(c.edit->text())) doc_.setEntry(c.table, row, std::move(*bytes), text);
    }
    doc_.undoStack()->endMacro();
}

void LevelsTab::Button4Click() { dialogs_.exec(form3_); }

void LevelsTab::appendMemo12(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    NoUpdates hold(Memo12);
    append_paragraphs(Memo12->document(), to_text_lines(lines, doc_.codePageTable()));
}

void LevelsTab::appendTranscript(const std::vector<std::string>& lines) {
    const bool idle = transcript_slices_.isEmpty();
    for (std::size_t first = 0; first < lines.size();) {
        const std::size_t last = std::min(lines.size(), first + (first == 0 ? kLinesAtOnce : kLinesPerSlice));
        transcript_slices_.append(to_text_lines(lines, first, last, doc_.codePageTable(), kLinesPerParagraph));
        first = last;
    }
    if (!idle || transcript_slices_.isEmpty()) return;
    // The first slice at once; the others once the window has shown the file.
    appendTranscriptSlice();
    if (!transcript_slices_.isEmpty()) slice_timer_->start(kFirstSliceDelay);
}

void LevelsTab::appendTranscriptSlice() {
    if (transcript_slices_.isEmpty()) return;
    QTextDocument* doc = shit->document();
    NoUpdates hold(shit);
    if (doc->isEmpty() && !doc->property(kHoldsLines).toBool()) {
        // The first text: setting it whole is several times faster than
        // inserting it through a cursor.
        shit->setPlainText(transcript_slices_.takeFirst());
        doc->setProperty(kHoldsLines, true);
    } else {
        append_paragraphs(doc, transcript_slices_.takeFirst());
    }
}

void LevelsTab::finishTranscript() {
    while (!transcript_slices_.isEmpty()) appendTranscriptSlice();
}

void LevelsTab::clearAppended() {
    transcript_slices_.clear();
    slice_timer_->stop();
    for (QTextDocument* doc : {Memo12->document(), shit->document()}) {
        doc->clear();
        doc->setProperty(kHoldsLines, false);
    }
}

void LevelsTab::AddLevel(const QString& description, const QString& file_name, const QString& picture) {
    // A picture name made only of characters 0..32 is blank and not added;
    // otherwise it is added as typed.
    const bool blank = std::all_of(picture.begin(), picture.end(), [](QChar c) { return c.unicode() <= 32; });
    doc_.addLevel(doc_.toBytes(description).value_or(std::string()), doc_.toBytes(file_name).value_or(std::string()),
                  doc_.toBytes(picture).value_or(std::string()), !blank);
}

void LevelsTab::Button5Click() {
    if (!dialogs_.confirm(this, QStringLiteral("Are you sure you want to delete last slot?"))) return;
    doc_.deleteLastLevel();
}

void LevelsTab::Button6Click() {
    if (!dialogs_.confirm(this, QStringLiteral("Are you sure you want to delete all slot?"))) return;
    doc_.deleteAllLevels();
}

// ---- level operations -------------------------------------------------------------

QList<QAction*> LevelsTab::levelActions() const {
    return {InsertLevel1, MoveLevelUp1, MoveLevelDown1, MoveLevelTo1, DeleteLevel1};
}

int LevelsTab::selectedLevel() const { return ListBox1->selectedRow(); }

int LevelsTab::levelCount() const { return int(doc_.record().level_names.strings.size()); }

void LevelsTab::updateLevelActions() {
    const int level = selectedLevel();
    const int levels = levelCount();
    MoveLevelUp1->setEnabled(level > 0);
    MoveLevelDown1->setEnabled(level >= 0 && level + 1 < levels);
    MoveLevelTo1->setEnabled(level >= 0 && levels > 1);
    DeleteLevel1->setEnabled(level >= 0);
}

void LevelsTab::showLevel(int level) {
    // Selected as a click selects it: its texts go into the edit boxes.
    if (level >= 0 && level < levelCount()) ListBox1->setCurrentRow(level);
    updateLevelActions();
}

void LevelsTab::insertLevel() {
    const int level = selectedLevel();
    const int at = level >= 0 ? level : levelCount();
    doc_.insertLevel(at);
    showLevel(at);
}

void LevelsTab::moveLevel(int by) {
    const int level = selectedLevel();
    if (level < 0 || level + by < 0 || level + by >= levelCount()) return;
    doc_.moveLevel(level, level + by);
    showLevel(level + by);
}

void LevelsTab::moveLevelTo() {
    const int level = selectedLevel();
    const int levels = levelCount();
    if (level < 0 || levels < 2) return;
    // The levels by number and name, the level's own place chosen first.
    QStringList places;
    for (int n = 0; n < levels; ++n)
        places.append(QStringLiteral("%1 %2").arg(n).arg(entry_text(doc_, table_id::level_names, n)));
    const auto to = dialogs_.choice(
        this, QStringLiteral("Move level to"),
        QStringLiteral("Move level %1 (%2) to the place of level:").arg(level).arg(entry_text(doc_, table_id::level_names, level)),
        places, level);
    if (!to || *to == level) return;
    doc_.moveLevel(level, *to);
    showLevel(*to);
}

void LevelsTab::deleteLevel() {
    const int level = selectedLevel();
    if (level < 0) return;
    QString text = QStringLiteral("Are you sure you want to delete level %1 (%2)?")
                       .arg(level)
                       .arg(entry_text(doc_, table_id::level_names, level));
    const vellumark::level_references refs = vellumark::references_to_level(doc_.record(), level);
    if (!refs.commands.empty() || !refs.demo_entries.empty()) {
        QStringList places;
        for (const auto& [slot, line] : refs.commands)
            places.append(QStringLiteral("Script slot %1, command %2").arg(slot).arg(line + 1));
        for (int entry : refs.demo_entries) places.append(QStringLiteral("Demo level entry %1").arg(entry));
        text += QStringLiteral("\n\nIt is named by:\n%1\n\nThe commands will name no level; the demo level "
                               "entries will be removed.")
                    .arg(places.join(QLatin1Char('\n')));
    }
    if (!dialogs_.confirm(this, text)) return;
    doc_.deleteLevel(level);
    showLevel(std::min(level, levelCount() - 1));
}
