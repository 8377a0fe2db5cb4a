#include "editors/keystrings_tab.h"

#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "codec/check.h"
#include "codec/layout.h"
#include "codec/tables.h"
#include "editors/colors.h"
#include "editors/document.h"
#include "editors/level_column.h"
#include "editors/list_edit.h"
#include "editors/text.h"

namespace {

QColor memo_color(int memo) {
    switch (memo) {
    case 1: case 7: case 10: return QColor(0x9B, 0xDE, 0xFF);
    case 2: case 5: case 9: return QColor(0xFF, 0xFF, 0xB7);
    case 3: case 6: return QColor(0xFF, 0xAE, 0xAE);
    case 11: case 13: case 15: return QColor(0xD4, 0xF4, 0xC4);  // the beta's six
    case 12: case 14: case 16: return QColor(0xF2, 0xD9, 0xF7);
    default: return QColor(0xA9, 0xFC, 0xF8);  // 4 and 8
    }
}

vellumark::table_id table_of(int memo) { return vellumark::key_table(memo - 1); }

// Puts text in as whole lines before line `at` of a document that shows
// `lines` lines, or after its last line when `at` is past it.
void insert_lines(QTextDocument* d, int at, int lines, const QString& text) {
    QTextCursor c(d);
    if (at < lines) {
        c.setPosition(d->findBlockByNumber(at).position());
        c.insertText(text + QLatin1Char('\n'));
    } else {
        c.movePosition(QTextCursor::End);
        c.insertText(QLatin1Char('\n') + text);
    }
}

}  // namespace

// ---- KeyStringMemo ----------------------------------------------------------------

KeyStringMemo::KeyStringMemo(Dialogs& dialogs, const ScriptDocument& doc, QWidget* parent)
    : QPlainTextEdit(parent), dialogs_(dialogs), doc_(doc) {
    // Undo and Redo are the window's, step by step of the document.
    setUndoRedoEnabled(false);
}

bool KeyStringMemo::accepts(const QString& text, const QTextCursor& at) {
    QString without_breaks = text;
    without_breaks.remove(QLatin1Char('\n'));
    if (unstorableCharacter(without_breaks, doc_.codePageTable())) {
        reportRefusedInput(this, dialogs_, unstorableTextMessage(doc_.codePageTable()));
        return false;
    }
    // The lines the text makes where it goes in: the start of the first line
    // and the end of the last stay around it. Each character is one byte.
    const QTextBlock first = document()->findBlock(at.selectionStart());
    const QTextBlock last = document()->findBlock(at.selectionEnd());
    const QString made = first.text().left(at.selectionStart() - first.position()) + text +
                         last.text().mid(at.selectionEnd() - last.position());
    qsizetype longest = 0;
    for (const auto& line : QStringView(made).split(QLatin1Char('\n'))) longest = std::max(longest, line.size());
    if (longest > vellumark::layout::kMaxStringLength) {
        reportRefusedInput(this, dialogs_, kTooLongTextMessage.arg(longest));
        return false;
    }
    return true;
}

bool KeyStringMemo::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && line_tip) {
        const QPoint at = static_cast<QHelpEvent*>(event)->pos();
        const QTextBlock block = cursorForPosition(at).block();
        const QRectF line = blockBoundingGeometry(block).translated(contentOffset());
        const QString tip = block.isValid() && line.top() <= at.y() && at.y() < line.bottom()
                                ? line_tip(block.blockNumber())
                                : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, viewport(), line.toRect());
        return true;
    }
    return QPlainTextEdit::viewportEvent(event);
}

void KeyStringMemo::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        textCursor().insertText(QStringLiteral("\n"));  // a new line, not a line break inside one
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !accepts(text, textCursor())) return;
    // Taking out a line end joins two lines, which may make one too long.
    if ((event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) &&
        !(event->modifiers() & Qt::ControlModifier)) {
        QTextCursor joined = textCursor();
        if (!joined.hasSelection())
            joined.movePosition(event->key() == Qt::Key_Backspace ? QTextCursor::PreviousCharacter
                                                                  : QTextCursor::NextCharacter,
                                QTextCursor::KeepAnchor);
        if (!accepts(QString(), joined)) return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void KeyStringMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() && !accepts(event->commitString(), textCursor())) {
        QInputMethodEvent cleared;
        QPlainTextEdit::inputMethodEvent(&cleared);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void KeyStringMemo::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText()) return;
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar separator : {QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator), QChar(u'\r')})
        text.replace(separator, QLatin1Char('\n'));
    if (!accepts(text, textCursor())) return;
    textCursor().insertText(text);
}

// ---- KeyStringsTab ------------------------------------------------------------------

KeyStringsTab::KeyStringsTab(ScriptDocument& doc, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), doc_(doc), dialogs_(dialogs) {
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    Levels = new LevelColumn(doc_, this);
    outer->addWidget(Levels);
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(ScrollBox1);

    auto* inner = new QWidget;
    auto* row = new QHBoxLayout(inner);
    for (int i = 1; i <= kMemos; ++i) {
        // "Key Strings #1" .. "#10", "Secret 1" .. "Special 2".
        const std::string_view heading = vellumark::info(table_of(i)).heading;
        auto* column = new QVBoxLayout;
        column->addWidget(headings_[i] = new QLabel(QString::fromLatin1(heading.data(), qsizetype(heading.size())), inner));
        KeyStringMemo* memo = memos_[i] = new KeyStringMemo(dialogs_, doc_, inner);
        memo->setObjectName(QStringLiteral("Memo%1").arg(i));
        memo->setFixedWidth(170);
        // One line per level, beside the level column's; each memo shows as
        // many lines as the column, with or without long lines.
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->line_tip = [this, i](int line) { return LevelColumn::lineTip(doc_, i, line); };
        set_background(memo, memo_color(i));
        column->addWidget(memo);
        row->addLayout(column);
        connect(memo->document(), &QTextDocument::contentsChange, this,
                [this, i](int position, int removed, int added) { memoChanged(i, position, removed, added); });
        connect(memo->verticalScrollBar(), &QScrollBar::valueChanged, this, &KeyStringsTab::scrollAllTo);
    }
    connect(Levels->Levels->verticalScrollBar(), &QScrollBar::valueChanged, this, &KeyStringsTab::scrollAllTo);
    memos_[1]->installEventFilter(this);
    headings_[1]->installEventFilter(this);
    ScrollBox1->setWidget(inner);
    showLayout();

    connect(&doc_, &ScriptDocument::reset, this, [this] {
        showLayout();
        for (int i = 1; i <= kMemos; ++i) showAll(i);
    });
    connect(&doc_, &ScriptDocument::codePageChanged, this, [this] {
        for (int i = 1; i <= kMemos; ++i) showAll(i);
    });
    connect(&doc_, &ScriptDocument::entriesReplaced, this,
            [this](vellumark::table_id table, int first, int removed, int inserted) {
                if (editing_ || !vellumark::is_key_table(table)) return;
                const int memo = vellumark::key_index(table) + 1;
                if (!stale_[memo]) showReplaced(memo, first, removed, inserted);
            });
    connect(&doc_, &ScriptDocument::entryMoved, this, [this](vellumark::table_id table, int from, int to) {
        if (!vellumark::is_key_table(table)) return;
        // A moved line is a removed line and an inserted one.
        const int memo = vellumark::key_index(table) + 1;
        if (!stale_[memo]) showMoved(memo, from, to);
    });
}

bool KeyStringsTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) alignLevels();
    return QWidget::eventFilter(watched, event);
}

void KeyStringsTab::alignLevels() {
    const int caption = headings_[1]->mapTo(this, QPoint()).y() - Levels->y();
    const int lines = memos_[1]->mapTo(this, QPoint()).y() - Levels->y();
    Levels->alignWith(caption, lines, memos_[1]->height());
}

void KeyStringsTab::scrollAllTo(int line) {
    if (scrolling_) return;
    const bool was = std::exchange(scrolling_, true);
    for (int i = 1; i <= kMemos; ++i) memos_[i]->verticalScrollBar()->setValue(line);
    Levels->Levels->verticalScrollBar()->setValue(line);
    scrolling_ = was;
}

void KeyStringsTab::showLayout() {
    const int shown = vellumark::key_table_count(doc_.record().layout);
    for (int i = vellumark::kKeyStringTables + 1; i <= kMemos; ++i) {
        headings_[i]->setVisible(i <= shown);
        memos_[i]->setVisible(i <= shown);
    }
}

bool KeyStringsTab::holdsPlace(const vellumark::place& where) const {
    return where.in == vellumark::place::area::table && vellumark::is_key_table(where.table);
}

void KeyStringsTab::showPlace(const vellumark::place& where) {
    KeyStringMemo* shown = memo(vellumark::key_index(where.table) + 1);
    const QTextBlock line = shown->document()->findBlockByNumber(std::max(where.index, 0));
    if (line.isValid()) shown->setTextCursor(QTextCursor(line));
    shown->ensureCursorVisible();
    ScrollBox1->ensureWidgetVisible(shown);  // the sixteenth may lie far to the right
    shown->setFocus();
}

std::vector<QWidget*> KeyStringsTab::recolourableViews() {
    std::vector<QWidget*> views;
    for (int n = 1; n <= kMemos; ++n) views.push_back(memos_[n]);  // a colour needs no lines
    return views;
}

KeyStringMemo* KeyStringsTab::memo(int n) {
    if (stale_[n]) fill(n);
    return memos_[n];
}

void KeyStringsTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    for (int i = 1; i <= kMemos; ++i)
        if (stale_[i]) fill(i);
    // Memos shown or hidden for another layout while the tab was hidden
    // leave the row laid out for the width it had before: laid out anew, the
    // memos stand side by side again instead of spread over that width.
    ScrollBox1->widget()->layout()->invalidate();
}

void KeyStringsTab::showAll(int memo) {
    if (isVisible())
        fill(memo);
    else
        stale_[memo] = true;
}

void KeyStringsTab::fill(int memo) {
    stale_[memo] = false;
    const Lines& lines = vellumark::table(doc_.record(), table_of(memo)).strings;
    const bool was = std::exchange(showing_, true);
    KeyStringMemo* w = memos_[memo];
    // Held back only when they run: a tab being switched to has them held
    // already, and a memo that held them itself would stay unpainted.
    const bool updates = w->updatesEnabled();
    if (updates) w->setUpdatesEnabled(false);
    w->setPlainText(to_text_lines(lines, doc_.codePageTable()));
    if (updates) w->setUpdatesEnabled(true);
    showing_ = was;
}

// Lines first .. first + removed - 1 of the memo become the table's entries
// first .. first + inserted - 1. An empty table shows as an empty memo.
void KeyStringsTab::showReplaced(int memo, int first, int removed, int inserted) {
    const Lines& lines = vellumark::table(doc_.record(), table_of(memo)).strings;
    const int after = static_cast<int>(lines.size());
    const int before = after - inserted + removed;
    if (before == 0 || after == 0) {
        fill(memo);
        return;
    }
    const bool was = std::exchange(showing_, true);
    QTextDocument* d = memos_[memo]->document();
    const QString text = to_text_lines(lines, std::size_t(first), std::size_t(first + inserted), doc_.codePageTable());
    if (removed == 0) {
        insert_lines(d, first, before, text);
    } else {
        QTextCursor c(d);
        const QTextBlock last = d->findBlockByNumber(first + removed - 1);
        int start = d->findBlockByNumber(first).position();
        int end = last.position() + last.length() - 1;
        if (inserted == 0) {
            // The lines go with one of the line ends around them.
            if (first + removed < before)
                ++end;
            else
                --start;
        }
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        c.insertText(text);
    }
    showing_ = was;
}

void KeyStringsTab::showMoved(int memo, int from, int to) {
    const Lines& lines = vellumark::table(doc_.record(), table_of(memo)).strings;
    const bool was = std::exchange(showing_, true);
    QTextDocument* d = memos_[memo]->document();
    QTextCursor c(d);
    const int last = static_cast<int>(lines.size()) - 1;
    // Take the line out with one of the line ends around it...
    const QTextBlock taken = d->findBlockByNumber(from);
    if (from < last) {
        c.setPosition(taken.position());
        c.setPosition(d->findBlockByNumber(from + 1).position(), QTextCursor::KeepAnchor);
    } else {
        c.setPosition(taken.position() - 1);
        c.setPosition(taken.position() + taken.length() - 1, QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
    // ... and put it in at its new place.
    insert_lines(d, to, last, doc_.toText(lines[std::size_t(to)]));
    showing_ = was;
}

void KeyStringsTab::memoChanged(int memo, int position, int, int added_chars) {
    if (showing_) return;
    QTextDocument* d = memos_[memo]->document();
    const vellumark::table_id table = table_of(memo);
    const Lines& now = vellumark::table(doc_.record(), table).strings;
    const int entries = static_cast<int>(now.size());
    const int blocks = d->blockCount();
    QTextBlock first_block = d->findBlock(position);
    QTextBlock last_block = d->findBlock(position + added_chars);
    if (!first_block.isValid()) first_block = d->lastBlock();
    if (!last_block.isValid()) last_block = d->lastBlock();
    const int first = first_block.blockNumber(), last = last_block.blockNumber();

    // The changed lines, and the entries they stand for. An empty table shows
    // as one empty line that stands for no entry.
    Lines lines;
    for (QTextBlock b = first_block;; b = b.next()) {
        auto bytes = doc_.toBytes(b.text());
        if (!bytes) {
            // Text that no key press, paste or drop lets in: the memo goes
            // back to the document.
            reportRefusedInput(memos_[memo], dialogs_, unstorableTextMessage(doc_.codePageTable()));
            fill(memo);
            return;
        }
        lines.push_back(std::move(*bytes));
        if (b == last_block) break;
    }
    int replaced = (last - first + 1) - (blocks - std::max(entries, 1));
    if (entries == 0) replaced = 0;
    replaced = std::clamp(replaced, 0, entries - std::min(first, entries));
    if (replaced == int(lines.size()) && std::equal(lines.begin(), lines.end(), now.begin() + first)) return;

    const std::string_view heading = vellumark::info(table).heading;
    const QString name = QString::fromLatin1(heading.data(), qsizetype(heading.size()));
    // One line: named by its level, counted from 0, and the level's name.
    const vellumark::place line{vellumark::place::area::table, table, first, -1};
    const QString text =
        replaced == 1 && lines.size() == 1
            ? QStringLiteral("Edit ") +
                  QString::fromStdString(vellumark::place_text(line, doc_.record(), doc_.codePageTable()))
            : QStringLiteral("Edit %1").arg(name);
    const bool was = std::exchange(editing_, true);
    doc_.replaceEntries(table, first, replaced, std::move(lines), text);
    editing_ = was;
}
