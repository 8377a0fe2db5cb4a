// "Save Text", the RTF writer, "Change Color" and the list font size.
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include "shell/help_window.h"
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTextCursor>
#include <QTextEdit>
#include <signal.h>
#include <sys/stat.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "codec/codepage.h"
#include "codec/transcript.h"
#include "editors/colors.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "formats/rtf_writer.h"
#include "support/window_fixture.h"

namespace {

namespace rtf = vellumark::rtf;
using vellumark::codepage::to_unicode;

// Checks a file we wrote: an RTF header in windows-1252, then each line
// escaped as a paragraph, then the closing brace. (The escapes themselves are
// pinned down byte for byte by the writer's tests.)
void expect_document(const QString& path, const std::vector<std::u32string>& lines) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const std::string bytes = f.readAll().toStdString();
    std::string body;
    for (const auto& line : lines) body += rtf::escape(line) + "\\par\r\n";
    EXPECT_EQ(bytes.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl", 0), 0u) << bytes;
    const std::size_t head = bytes.find("\\viewkind4\\pard\\plain\\f0\\fs");
    ASSERT_NE(head, std::string::npos) << bytes;
    EXPECT_EQ(bytes.substr(bytes.find("\r\n", head) + 2), body + "}\r\n");
}

// A line of script bytes as the document shows it: control characters other
// than the tab left out.
std::u32string exported(const std::string& bytes) {
    std::u32string out;
    for (const unsigned char b : bytes) {
        const char32_t ch = to_unicode(b);
        if (ch == U'\t' || !(ch < 0x20 || (ch >= 0x7F && ch < 0xA0))) out += ch;
    }
    return out;
}

// ---- the writer ---------------------------------------------------------------

TEST(RtfWriter, DocumentBytesAndTheFontTable) {
    EXPECT_EQ(rtf::document({U"Translated by Vellumark", U"a {b} c\\d"}, {"Courier New", 10}),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset0 Courier New;}}\r\n"
              "\\viewkind4\\pard\\plain\\f0\\fs20\r\n"
              "Translated by Vellumark\\par\r\n"
              "a \\{b\\} c\\\\d\\par\r\n"
              "}\r\n");
    // A font name cannot break the font table.
    const std::string doc = rtf::document({U"x"}, {"Odd;Font{}", 8});
    EXPECT_NE(doc.find("{\\f0\\fnil\\fcharset0 OddFont\\{\\};}}\r\n"), std::string::npos) << doc;
}

TEST(RtfWriter, EscapesEveryKindOfCharacter) {
    const std::pair<std::u32string, std::string> cases[] = {
        {U"\\{}", "\\\\\\{\\}"},
        // windows-1252 above 127: Latin-1 letters and the 0x80..0x9F extras.
        {U"\u00e9\u00ff\u00a0\u20ac\u2019", "\\'e9\\'ff\\'a0\\'80\\'92"},
        // Outside the code page: signed 16-bit units, surrogate pairs beyond the BMP.
        {U"\u0141\u4e2d\uFFFD", "\\u321?\\u20013?\\u-3?"},
        {U"\U0001F600", "\\u-10179?\\u-8704?"},
        // A tab is a control word; other control characters are left out.
        {U"a\tb\x01\x1f\x7f\u0081c", "a\\tab bc"},
        // A digit or letter after an escape stays text.
        {U"\t9\u01411\u00e9f", "\\tab 9\\u321?1\\'e9f"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(rtf::escape(in), out) << out;

    // Every printable character of the code page as itself or its \'hh byte.
    for (int b = 0x20; b < 0x100; ++b) {
        const char32_t ch = to_unicode(static_cast<unsigned char>(b));
        if (ch >= 0x7F && ch < 0xA0) continue;
        char want[8];
        std::snprintf(want, sizeof want, b < 0x80 ? (std::strchr("\\{}", b) ? "\\%c" : "%c") : "\\'%02x", b);
        EXPECT_EQ(rtf::escape(std::u32string(1, ch)), want) << b;
    }
}

// ---- "Save Text" ------------------------------------------------------------------

class Appearance : public WindowTest {
protected:
    QString load(const QString& name, const vellumark::Ttombpcdat& doc) {
        const QString p = write_sample(name, vellumark::samples::file_bytes(doc));
        form->load_script_file(p);
        return p;
    }
    QString save_text_as(const QString& name) {
        dialogs.fileNames.push_back(path(name));
        form->SaveText1Click();
        return path(name);
    }
    std::vector<QString> infos() const { return dialogs.texts("information"); }
};

const QString kSaved = QStringLiteral("The Text file is now saved. The num of level in script are ");

TEST_F(Appearance, CancelledSavesWriteNothingAndBeforeAnyLoadTheDocumentIsEmpty) {
    form->SaveText1Click();
    form->levels()->Button19->click();
    EXPECT_EQ(dialogs.texts("save"), (std::vector<QString>(2, "MS Document File (*.doc)")));
    EXPECT_TRUE(infos().empty());
    EXPECT_TRUE(dialogs.texts("error").empty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    expect_document(save_text_as("empty.doc"), {});
    EXPECT_EQ(infos(), std::vector<QString>{kSaved + "0"});
}

TEST_F(Appearance, TwoLoadsInOrderThenTypedText) {
    const auto doc1 = vellumark::samples::make_document(1, 4);
    const auto doc2 = vellumark::samples::make_document(2, 6, /*all_bytes=*/true);
    load("ONE.DAT", doc1);
    load("TWO.DAT", doc2);
    std::vector<std::u32string> expected;
    for (const auto* d : {&doc1, &doc2})
        for (const auto& line : vellumark::transcript_lines(*d)) expected.push_back(exported(line));

    // A name without an extension is used as typed; an existing file is
    // replaced without a question.
    const QString name = path("transcript");
    vellumark::samples::write_file(name.toStdString(), {'o', 'l', 'd'});
    save_text_as("transcript");
    expect_document(name, expected);
    EXPECT_EQ(infos(), std::vector<QString>{kSaved + "6"});
    EXPECT_TRUE(dialogs.texts("confirm").empty());

    // Typed text goes too; "Save --->" offers the last name again.
    QTextCursor c(form->levels()->shit->document());
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral("\nmy note {1} \\ caf\u00e9 \u20ac \u0141\u00f3d\u017a"));
    dialogs.fileNames.push_back(name);
    form->levels()->Button19->click();
    EXPECT_EQ(dialogs.lastSaveOffered, name);
    expected.push_back(U"my note {1} \\ caf\u00e9 \u20ac \u0141\u00f3d\u017a");
    expect_document(name, expected);
    EXPECT_FALSE(form->modified());
}

TEST_F(Appearance, LevelCountIsTheLastLoadedOrSavedOne) {
    const QString script = load("LEVELS.DAT", vellumark::samples::make_document(3, 5));
    save_text_as("a.doc");
    // Levels added on the tab count only once the script is saved.
    form->levels()->AddLevel(QStringLiteral("New level"), QStringLiteral("data\\new.tr2"), QString());
    save_text_as("b.doc");
    form->Save1Click();
    save_text_as("c.doc");
    EXPECT_EQ(infos(), (std::vector<QString>{kSaved + "5", kSaved + "5", script + " Saved!", kSaved + "6"}));
}

TEST_F(Appearance, FailuresShowTheirMessageAndKeepTheEarlierFile) {
    load("X.DAT", vellumark::samples::make_document(5, 8));
    const QString cannot = save_text_as("no/such/folder/t.doc");
    const QString fifo = path("fifo.doc");  // never replaced by the document
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    save_text_as("fifo.doc");

    // A file size limit makes the write fail part-way.
    const QString kept = path("kept.doc");
    vellumark::samples::write_file(kept.toStdString(), {'o', 'l', 'd'});
    const auto old_handler = signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit small = old_limit;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    save_text_as("kept.doc");
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);

    EXPECT_EQ(dialogs.texts("error"), (std::vector<QString>{"Cannot create file " + cannot + ".",
                                                             "Cannot create file " + fifo + ".", "Failed to Save Stream."}));
    EXPECT_TRUE(infos().empty());
    EXPECT_EQ(vellumark::samples::read_file(kept.toStdString()), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name),
              (QStringList{"X.DAT", "fifo.doc", "kept.doc"}));
}

// ---- "Change Color" and "ListBox's Font Size" -------------------------------------

TEST_F(Appearance, ChangeColorRecoloursExactlyTheThirtyControls) {
    const auto all = form->findChildren<QWidget*>();
    auto backgrounds = [&] {
        std::map<QWidget*, QColor> m{{form.get(), form->palette().color(QPalette::Window)}};
        for (QWidget* x : all) m[x] = background(x);
        return m;
    };
    const auto before = backgrounds();
    form->ChangeColor1Click();  // cancelled: black offered, nothing changes
    EXPECT_EQ(dialogs.lastColorOffered, QColor(Qt::black));
    EXPECT_EQ(backgrounds(), before);

    const QColor chosen(0x12, 0x34, 0x56);
    dialogs.colors.push_back(chosen);
    form->ChangeColor1Click();
    const auto after = backgrounds();
    QStringList changed;  // the outermost widgets whose background changed
    for (QWidget* x : all) {
        if (after.at(x) == before.at(x)) continue;
        EXPECT_EQ(after.at(x), chosen) << x->objectName().toStdString();
        QWidget* up = x->parentWidget();
        if (!after.count(up) || after.at(up) == before.at(up)) changed.append(x->objectName());
    }
    QStringList expected{"ListBox1", "ListBox2", "ListBox3", "Edit1", "Edit2", "Edit3", "shit",
                         "Edit4",    "Edit5",    "Edit6",    "Edit7", "Edit8"};
    for (int n = 4; n <= 11; ++n) expected.append(QStringLiteral("ListBox%1").arg(n));
    for (int n = 1; n <= 16; ++n) expected.append(QStringLiteral("Memo%1").arg(n));  // the beta's six too
    changed.sort();
    expected.sort();
    EXPECT_EQ(changed, expected);

    // Its Help button shows the manual's section on colours.
    ASSERT_TRUE(dialogs.lastColorHelp);
    dialogs.lastColorHelp();
    EXPECT_TRUE(form->form5()->isVisible());
    EXPECT_EQ(form->form5()->RichEdit1->textCursor().block().text(), "Colours");
    QColorDialog real;
    bool helped = false;
    add_help_button(real, [&] { helped = true; });
    real.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
    EXPECT_TRUE(helped);

    // The next dialog starts at the last colour; a cancel keeps it.
    form->ChangeColor1Click();
    form->ChangeColor1Click();
    EXPECT_EQ(dialogs.lastColorOffered, chosen);
    EXPECT_FALSE(form->modified());
}

TEST_F(Appearance, TrackBarSetsTheFontOfAllElevenListsWithin6To40) {
    // The list boxes; a drop-down list's own list is not one of them.
    const auto lists = form->findChildren<QListView*>(QRegularExpression(QStringLiteral("^ListBox\\d+$")));
    ASSERT_EQ(lists.size(), 11);
    QSlider* bar = form->levels()->TrackBar1;
    EXPECT_EQ(bar->value(), 7);
    QListView* first = form->levels()->ListBox1;
    vellumark::Ttombpcdat record;
    record.level_names.strings = {"Great Wall", "X"};  // the widest entry is not the last
    doc().load(record);
    auto line_height = [&] { return first->visualRect(first->model()->index(0, 0)).height(); };

    bar->setValue(2);
    EXPECT_EQ(bar->value(), 6);
    for (QListView* l : lists) EXPECT_EQ(l->font().pointSize(), 6) << l->objectName().toStdString();
    const int small = line_height();
    bar->setValue(99);
    EXPECT_EQ(bar->value(), 40);
    for (QListView* l : lists) EXPECT_EQ(l->font().pointSize(), 40) << l->objectName().toStdString();
    EXPECT_GT(line_height(), small);
    // Whole entries show: a list wider than its box scrolls sideways.
    QApplication::processEvents();
    EXPECT_EQ(first->textElideMode(), Qt::ElideNone);
    EXPECT_GT(first->horizontalScrollBar()->maximum(), 0);
    // Nothing else changes size.
    for (QWidget* x : std::initializer_list<QWidget*>{form->levels()->Edit1, form->levels()->shit, form->keys()->memo(1)})
        EXPECT_NE(x->font().pointSize(), 40) << x->objectName().toStdString();
    EXPECT_FALSE(form->modified());
}

}  // namespace
