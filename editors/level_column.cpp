#include "editors/level_column.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "codec/check.h"
#include "codec/tables.h"
#include "editors/colors.h"
#include "editors/document.h"

LevelColumn::LevelColumn(ScriptDocument& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    setObjectName(QStringLiteral("LevelColumn"));
    Caption = new QLabel(QStringLiteral("Levels"), this);
    Levels = new QPlainTextEdit(this);
    Levels->setObjectName(QStringLiteral("Levels"));
    Levels->setReadOnly(true);
    Levels->setUndoRedoEnabled(false);
    Levels->setLineWrapMode(QPlainTextEdit::NoWrap);
    // It scrolls up and down with the memos, not by a bar of its own; a long
    // name scrolls sideways, with a bar like the memos' so that it shows as
    // many lines as they do.
    Levels->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Levels->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Levels->setFocusPolicy(Qt::NoFocus);
    set_background(Levels, QColor(0xE8, 0xE4, 0xD8));
    setFixedWidth(150);

    const auto levels_changed = [this](vellumark::table_id table) {
        if (table == vellumark::table_id::level_names) showAll();
    };
    connect(&doc_, &ScriptDocument::reset, this, &LevelColumn::showAll);
    connect(&doc_, &ScriptDocument::codePageChanged, this, &LevelColumn::showAll);
    connect(&doc_, &ScriptDocument::entriesReplaced, this,
            [levels_changed](vellumark::table_id table, int, int, int) { levels_changed(table); });
    connect(&doc_, &ScriptDocument::entryMoved, this,
            [levels_changed](vellumark::table_id table, int, int) { levels_changed(table); });
}

void LevelColumn::alignWith(int caption, int lines, int height) {
    Caption->setGeometry(0, caption, width(), Caption->sizeHint().height());
    Levels->setGeometry(0, lines, width(), height);
}

QString LevelColumn::lineTip(const ScriptDocument& doc, int memo, int line) {
    return QString::fromStdString(vellumark::key_line_text(doc.record(), memo - 1, line, doc.codePageTable()));
}

void LevelColumn::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) fill();
}

void LevelColumn::showAll() {
    if (isVisible())
        fill();
    else
        stale_ = true;
}

void LevelColumn::fill() {
    stale_ = false;
    const auto& names = doc_.record().level_names.strings;
    QString text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += QString::number(i);
        text += QLatin1Char(' ');
        text += doc_.toText(names[i]);
    }
    const int top = Levels->verticalScrollBar()->value();
    Levels->setPlainText(text);
    Levels->verticalScrollBar()->setValue(top);
}
