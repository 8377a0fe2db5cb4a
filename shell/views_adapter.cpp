#include "shell/views_adapter.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "codec/errors.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/list_edit.h"
#include "editors/media_tab.h"
#include "editors/options_tab.h"
#include "editors/script_tab.h"
#include "editors/spin_edit.h"
#include "editors/text.h"

namespace {

// The heading each list has on its tab, for messages.
std::string list_heading(int n) {
    static const char* const headings[] = {
        "", "Level's Description", "Level's File Names", "Level's Pic file Names", "RPLs File Names",
        "Cut Scene File names", "Titles and legal file names", "Game String 1", "Game String 2",
        "Script Slots", "Script Commands", "Demo level list"};
    return n >= 1 && n <= 11 ? headings[n] : std::string();
}

QStringList texts_of(const std::vector<std::string>& rows) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(rows.size()));
    for (const auto& r : rows) out.append(to_text(r));
    return out;
}

QString joined(const std::vector<std::string>& lines) {
    return texts_of(lines).join(QLatin1Char('\n'));
}

// Holds back repaints of a widget while it is filled.
class NoUpdates {
public:
    explicit NoUpdates(QWidget* w) : w_(w), was_(w->updatesEnabled()) { w_->setUpdatesEnabled(false); }
    ~NoUpdates() { w_->setUpdatesEnabled(was_); }
    NoUpdates(const NoUpdates&) = delete;
    NoUpdates& operator=(const NoUpdates&) = delete;

private:
    QWidget* w_;
    bool was_;
};

constexpr const char* kHoldsLines = "vellumark_holds_lines";

// Appends lines as new paragraphs after whatever the document holds, in one
// edit. A document that holds nothing yet takes them from its first line; one
// whose only line is an empty appended one keeps that line.
void append_lines(QTextDocument* doc, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    QString block = joined(lines);
    if (!doc->isEmpty() || doc->property(kHoldsLines).toBool()) block.prepend(QLatin1Char('\n'));
    QTextCursor c(doc);
    c.movePosition(QTextCursor::End);
    c.insertText(block);
    doc->setProperty(kHoldsLines, true);
}

}  // namespace

QListWidget* WindowViews::list(int n) const {
    switch (n) {
    case 1: return ctx_.levels->ListBox1;
    case 2: return ctx_.levels->ListBox2;
    case 3: return ctx_.levels->ListBox3;
    case 4: return ctx_.media->ListBox4;
    case 5: return ctx_.media->ListBox5;
    case 6: return ctx_.media->ListBox6;
    case 7: return ctx_.options->ListBox7;
    case 8: return ctx_.options->ListBox8;
    case 9: return ctx_.script->ListBox9;
    case 10: return ctx_.script->ListBox10;
    case 11: return ctx_.script->ListBox11;
    default: return nullptr;
    }
}

QPlainTextEdit* WindowViews::memo(int n) const { return ctx_.keys->memo(n); }

std::int32_t WindowViews::spin_value(int spin) const { return ctx_.options->spin(spin)->value(); }

bool WindowViews::check_state(int box) const { return ctx_.options->check(box)->isChecked(); }

int WindowViews::list_count(int n) const { return list(n)->count(); }

std::string WindowViews::list_row(int n, int row) const {
    const QListWidgetItem* item = list(n)->item(row);
    if (!item) return {};
    auto bytes = to_bytes(item->text());
    if (!bytes)
        throw vellumark::script_error("Entry " + std::to_string(row) + " of \"" + list_heading(n) +
                                      "\" holds a character that cannot be stored in a script");
    return *bytes;
}

// A line as the user sees it, with the key-string tab's own checks.
std::string WindowViews::memo_line(int n, int line) const { return ctx_.keys->line_bytes(n, line); }

void WindowViews::set_list(int n, const std::vector<std::string>& rows) {
    QListWidget* w = list(n);
    NoUpdates hold(w);
    w->clear();
    w->addItems(texts_of(rows));
}

void WindowViews::set_memo(int n, const std::vector<std::string>& lines) {
    QPlainTextEdit* w = memo(n);
    NoUpdates hold(w);
    w->setPlainText(joined(lines));
}

void WindowViews::set_spin(int spin, std::int32_t value) { ctx_.options->spin(spin)->setValue(value); }

void WindowViews::set_check(int box, bool checked) { ctx_.options->check(box)->setChecked(checked); }

void WindowViews::append_memo12(const std::vector<std::string>& lines) {
    QPlainTextEdit* memo = ctx_.levels->Memo12;
    NoUpdates hold(memo);
    append_lines(memo->document(), lines);
}

void WindowViews::append_transcript(const std::vector<std::string>& lines) {
    QTextEdit* pane = ctx_.levels->shit;
    QTextDocument* doc = pane->document();
    NoUpdates hold(pane);
    if (doc->isEmpty() && !doc->property(kHoldsLines).toBool() && !lines.empty()) {
        // The first transcript: setting the whole text is several times
        // faster than inserting the paragraphs through a cursor.
        pane->setPlainText(joined(lines));
        doc->setProperty(kHoldsLines, true);
        return;
    }
    append_lines(doc, lines);
}

void WindowViews::slots_loaded(const vellumark::Ttombpcdat&) {
    QListWidget* slot_list = ctx_.script->ListBox9;
    if (slot_list->count() == 0) {
        ctx_.script->ListBox10->clear();
        return;
    }
    // Select slot 0 without the selection handler, then list it once.
    select_row_quietly(slot_list, 0);
    ctx_.script->ListBox9Click();
}

void WindowViews::clear_appended() {
    ctx_.levels->Memo12->clear();
    ctx_.levels->shit->clear();
    ctx_.levels->Memo12->document()->setProperty(kHoldsLines, false);
    ctx_.levels->shit->document()->setProperty(kHoldsLines, false);
}
