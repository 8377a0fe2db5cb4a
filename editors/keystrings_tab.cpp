#include "editors/keystrings_tab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTextDocument>
#include <QVBoxLayout>

#include "codec/errors.h"
#include "codec/layout.h"
#include "editors/colors.h"
#include "editors/text.h"

namespace {

QColor memo_color(int memo) {
    switch (memo) {
    case 1: case 7: case 10: return QColor(0x9B, 0xDE, 0xFF);
    case 2: case 5: case 9: return QColor(0xFF, 0xFF, 0xB7);
    case 3: case 6: return QColor(0xFF, 0xAE, 0xAE);
    default: return QColor(0xA9, 0xFC, 0xF8);  // 4 and 8
    }
}

[[noreturn]] void refuse(int memo, int line, const char* why) {
    throw vellumark::script_error("Key Strings #" + std::to_string(memo) + ", line " +
                                  std::to_string(line + 1) + " " + why);
}

}  // namespace

KeyStringsTab::KeyStringsTab(EditorContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(ScrollBox1);

    auto* inner = new QWidget;
    auto* row = new QHBoxLayout(inner);
    for (int i = 1; i <= 10; ++i) {
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(QStringLiteral("Key Strings #%1").arg(i), inner));
        QPlainTextEdit* memo = memos_[i] = new QPlainTextEdit(inner);
        memo->setObjectName(QStringLiteral("Memo%1").arg(i));
        memo->setFixedWidth(170);
        set_background(memo, memo_color(i));
        column->addWidget(memo);
        row->addLayout(column);
        connect(memo, &QPlainTextEdit::textChanged, this, [this, i] {
            lines_valid_[i] = false;
            ctx_.setModified();
        });
    }
    ScrollBox1->setWidget(inner);
}

const QStringList& KeyStringsTab::lines(int memo) const {
    if (!lines_valid_[memo]) {
        // The raw text keeps every character (a no-break space stays one);
        // blocks end with a paragraph separator, Shift+Enter gives a line
        // separator.
        QString raw = memos_[memo]->document()->toRawText();
        raw.replace(QChar::LineSeparator, QChar::ParagraphSeparator);
        lines_[memo] = raw.split(QChar::ParagraphSeparator);
        lines_valid_[memo] = true;
    }
    return lines_[memo];
}

int KeyStringsTab::line_count(int memo) const { return static_cast<int>(lines(memo).size()); }

std::string KeyStringsTab::line_bytes(int memo, int line) const {
    const QStringList& all = lines(memo);
    if (line < 0 || line >= all.size()) return {};
    const QString& text = all[line];
    if (text.size() > vellumark::layout::kMaxStringLength)
        refuse(memo, line, "is longer than 255 characters and cannot be saved");
    auto bytes = to_bytes(text);
    if (!bytes) refuse(memo, line, "holds a character that cannot be stored in a script");
    return std::move(*bytes);
}

void KeyStringsTab::set_lines(int memo, const std::vector<std::string>& lines) {
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += QLatin1Char('\n');
        text += to_text(lines[i]);
    }
    memos_[memo]->setPlainText(text);
}
