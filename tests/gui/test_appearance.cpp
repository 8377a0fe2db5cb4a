// "Save Text", the RTF writer, "Change Color" and the list font size.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <set>

#include "codec/codepage.h"
#include "codec/errors.h"
#include "codec/views.h"
#include "editors/colors.h"
#include "editors/dialogs.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/media_tab.h"
#include "editors/options_tab.h"
#include "editors/script_tab.h"
#include "editors/spin_edit.h"
#include "shell/Unit1.h"
#include "shell/appearance.h"
#include "shell/rtf_writer.h"
#include "support/scripted_dialogs.h"
#include "tests/samples/sample_scripts.h"

namespace {

namespace rtf = vellumark::rtf;

// A reader for what a word processor sees in an RTF document: groups,
// control words, \'hh in windows-1252, \uN with its one fallback character
// skipped, escaped symbols, and the font table skipped. Returns the
// paragraphs; `ok` is false for anything malformed or text after the last
// paragraph.
std::vector<std::u32string> rtf_paragraphs(const std::string& in, bool& ok) {
    std::vector<std::u32string> paras;
    std::u32string cur;
    ok = in.rfind("{\\rtf1", 0) == 0;
    int depth = 0;
    int skip_depth = -1;  // inside a destination that holds no text
    char16_t high = 0;
    bool done = false;
    auto put = [&](char32_t ch) {
        if (skip_depth < 0) cur += ch;
    };
    std::size_t i = 0;
    auto read_word = [&](std::string& word, bool& has_param, long& param) {
        word.clear();
        while (i < in.size() && std::isalpha(static_cast<unsigned char>(in[i]))) word += in[i++];
        has_param = false;
        bool neg = false;
        if (i < in.size() && in[i] == '-') { neg = true; ++i; }
        param = 0;
        while (i < in.size() && std::isdigit(static_cast<unsigned char>(in[i]))) {
            has_param = true;
            param = param * 10 + (in[i++] - '0');
        }
        if (neg) param = -param;
        if (i < in.size() && in[i] == ' ') ++i;
    };
    while (ok && i < in.size()) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        if (c >= 0x80) { ok = false; break; }  // RTF is 7-bit text
        if (done) {
            if (c != '\r' && c != '\n') ok = false;
            ++i;
            continue;
        }
        if (c == '{') { ++depth; ++i; continue; }
        if (c == '}') {
            if (depth == skip_depth) skip_depth = -1;
            if (--depth == 0) done = true;
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') { ++i; continue; }
        if (c != '\\') { put(c); ++i; continue; }
        ++i;
        if (i >= in.size()) { ok = false; break; }
        const char s = in[i];
        if (s == '\\' || s == '{' || s == '}') { put(static_cast<unsigned char>(s)); ++i; continue; }
        if (s == '\'') {
            if (i + 2 >= in.size()) { ok = false; break; }
            const unsigned long b = std::stoul(in.substr(i + 1, 2), nullptr, 16);
            put(vellumark::codepage::to_unicode(static_cast<unsigned char>(b)));
            i += 3;
            continue;
        }
        if (s == '*') { skip_depth = depth; ++i; continue; }
        if (!std::isalpha(static_cast<unsigned char>(s))) { ++i; continue; }
        std::string word;
        bool has_param;
        long param;
        read_word(word, has_param, param);
        if (word == "par") {
            if (skip_depth < 0) { paras.push_back(cur); cur.clear(); }
        } else if (word == "tab") {
            put(U'\t');
        } else if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info") {
            skip_depth = depth;
        } else if (word == "u") {
            if (!has_param || param < -32768 || param > 32767) { ok = false; break; }
            const char16_t unit = static_cast<char16_t>(param < 0 ? param + 65536 : param);
            // Skip the fallback character.
            if (i < in.size() && in[i] == '\\' && i + 1 < in.size() && in[i + 1] == '\'') i += 4;
            else ++i;
            if (unit >= 0xD800 && unit < 0xDC00) { high = unit; continue; }
            if (unit >= 0xDC00 && unit < 0xE000) {
                if (!high) { ok = false; break; }
                put(0x10000 + ((char32_t(high) - 0xD800) << 10) + (unit - 0xDC00));
                high = 0;
                continue;
            }
            put(unit);
        }
    }
    if (!done || !cur.empty() || high) ok = false;
    return paras;
}

std::vector<std::u32string> read_paragraphs(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = f.readAll();
    bool ok = false;
    auto paras = rtf_paragraphs(bytes.toStdString(), ok);
    EXPECT_TRUE(ok) << bytes.toStdString();
    return paras;
}

// What a line of script bytes looks like in the document: the code page's
// characters, control characters other than the tab left out.
std::u32string exported(const std::string& bytes) {
    std::u32string out;
    for (const unsigned char b : bytes) {
        const char32_t ch = vellumark::codepage::to_unicode(b);
        if (ch == U'\t' || !(ch < 0x20 || (ch >= 0x7F && ch < 0xA0))) out += ch;
    }
    return out;
}

// ---- the writer ---------------------------------------------------------------

TEST(RtfWriter, DocumentBytes) {
    EXPECT_EQ(rtf::document({U"Translated by Vellumark", U"a {b} c\\d"}, {"Courier New", 10}),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset0 Courier New;}}\r\n"
              "\\viewkind4\\pard\\plain\\f0\\fs20\r\n"
              "Translated by Vellumark\\par\r\n"
              "a \\{b\\} c\\\\d\\par\r\n"
              "}\r\n");
    // No lines: a valid document without paragraphs.
    bool ok = false;
    EXPECT_TRUE(rtf_paragraphs(rtf::document({}), ok).empty());
    EXPECT_TRUE(ok);
}

TEST(RtfWriter, EscapesEveryKindOfCharacter) {
    EXPECT_EQ(rtf::escape(U"\\{}"), "\\\\\\{\\}");
    // windows-1252 above 127: Latin-1 letters and the 0x80..0x9F extras.
    EXPECT_EQ(rtf::escape(U"\u00e9\u00ff\u00a0\u20ac\u2019"), "\\'e9\\'ff\\'a0\\'80\\'92");
    // Outside the code page: signed 16-bit units, surrogate pairs beyond the BMP.
    EXPECT_EQ(rtf::escape(U"\u0141\u4e2d\uFFFD"), "\\u321?\\u20013?\\u-3?");
    EXPECT_EQ(rtf::escape(U"\U0001F600"), "\\u-10179?\\u-8704?");
    // A tab is a control word; other control characters are left out.
    EXPECT_EQ(rtf::escape(U"a\tb\x01\x1f\x7f\u0081c"), "a\\tab b" "c");
    // A digit or letter after an escape stays text.
    bool ok = false;
    const auto paras = rtf_paragraphs(rtf::document({U"\t9\u01411x\U0001F600?"}), ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(paras.size(), 1u);
    EXPECT_EQ(paras[0], U"\t9\u01411x\U0001F600?");
}

TEST(RtfWriter, RoundTripsEveryCodePageCharacter) {
    std::u32string all;
    for (int b = 0x20; b < 0x100; ++b) {
        const char32_t ch = vellumark::codepage::to_unicode(static_cast<unsigned char>(b));
        if (!(ch >= 0x7F && ch < 0xA0)) all += ch;
    }
    const std::vector<std::u32string> lines{all, U"", U"  leading blanks", U"\u0416\u00e9\u03a9"};
    bool ok = false;
    EXPECT_EQ(rtf_paragraphs(rtf::document(lines), ok), lines);
    EXPECT_TRUE(ok);
}

TEST(RtfWriter, FontNameCannotBreakTheFontTable) {
    const std::string doc = rtf::document({U"x"}, {"Odd;Font{}", 8});
    EXPECT_NE(doc.find("{\\f0\\fnil\\fcharset0 OddFont\\{\\};}"), std::string::npos) << doc;
    bool ok = false;
    EXPECT_EQ(rtf_paragraphs(doc, ok), std::vector<std::u32string>{U"x"});
    EXPECT_TRUE(ok);
}

// ---- "Save Text" ------------------------------------------------------------------

class Appearance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        TForm1::set_settings_file(dir.filePath("settings.ini"));
        w = std::make_unique<TForm1>(dialogs);
        dialogs.clear();
    }
    void TearDown() override {
        w.reset();
        TForm1::set_settings_file({});
    }

    QString write_sample(const QString& name, const vellumark::Ttombpcdat& doc) {
        const QString path = dir.filePath(name);
        vellumark::samples::write_file(path.toStdString(), vellumark::samples::file_bytes(doc));
        return path;
    }
    QString save_text_as(const QString& name) {
        dialogs.fileNames.push_back(name);
        w->SaveText1Click();
        return name;
    }
    std::vector<QString> infos() const { return dialogs.texts("information"); }
    QString pane() const { return w->levels()->shit->toPlainText(); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> w;
};

const QString kSaved = QStringLiteral("The Text file is now saved. The num of level in script are ");

TEST_F(Appearance, CancelledSaveWritesNothingAndSaysNothing) {
    w->SaveText1Click();
    w->levels()->Button19->click();
    EXPECT_EQ(dialogs.texts("save"),
              (std::vector<QString>{"MS Document File (*.doc)", "MS Document File (*.doc)"}));
    EXPECT_TRUE(infos().empty());
    EXPECT_TRUE(dialogs.texts("error").empty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(Appearance, BeforeAnyLoadAnEmptyDocumentAndZeroLevels) {
    const QString name = save_text_as(dir.filePath("empty.doc"));
    EXPECT_TRUE(read_paragraphs(name).empty());
    EXPECT_EQ(infos(), std::vector<QString>{kSaved + "0"});
}

TEST_F(Appearance, TwoLoadsInOrderThenTypedText) {
    const auto doc1 = vellumark::samples::make_document(1, 4);
    const auto doc2 = vellumark::samples::make_document(2, 6, /*all_bytes=*/true);
    w->load_script_file(write_sample("ONE.DAT", doc1));
    w->load_script_file(write_sample("TWO.DAT", doc2));

    std::vector<std::u32string> expected;
    for (const auto* d : {&doc1, &doc2})
        for (const auto& line : vellumark::transcript_lines(*d)) expected.push_back(exported(line));

    // A name without an extension is used as typed; an existing file is
    // replaced without a question.
    const QString name = dir.filePath("transcript");
    vellumark::samples::write_file(name.toStdString(), {'o', 'l', 'd'});
    save_text_as(name);
    EXPECT_EQ(read_paragraphs(name), expected);
    EXPECT_EQ(infos(), std::vector<QString>{kSaved + "6"});
    EXPECT_TRUE(dialogs.texts("confirm").empty());

    // Typed text goes with the rest; "Save --->" does the same as the menu
    // and offers the last name again.
    QTextCursor c(w->levels()->shit->document());
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral("\nmy note {1} \\ caf\u00e9 \u20ac \u0141\u00f3d\u017a"));
    dialogs.fileNames.push_back(name);
    w->levels()->Button19->click();
    EXPECT_EQ(dialogs.lastSaveOffered, name);
    expected.push_back(U"my note {1} \\ caf\u00e9 \u20ac \u0141\u00f3d\u017a");
    EXPECT_EQ(read_paragraphs(name), expected);
    EXPECT_FALSE(w->context().modified);
}

TEST_F(Appearance, LevelCountIsTheLastLoadedOrSavedOne) {
    const QString path = write_sample("LEVELS.DAT", vellumark::samples::make_document(3, 5));
    w->load_script_file(path);
    save_text_as(dir.filePath("a.doc"));
    // Levels added on the tab count only once the script is saved.
    w->levels()->ListBox1->addItem(QStringLiteral("New level"));
    w->levels()->ListBox2->addItem(QStringLiteral("data\\new.tr2"));
    save_text_as(dir.filePath("b.doc"));
    w->Save1Click();
    save_text_as(dir.filePath("c.doc"));
    EXPECT_EQ(infos(), (std::vector<QString>{kSaved + "5", kSaved + "5", path + " Saved!", kSaved + "6"}));
}

TEST_F(Appearance, CannotCreateTheFile) {
    w->load_script_file(write_sample("X.DAT", vellumark::samples::make_document(4, 3)));
    const QString before = pane();
    const QString name = dir.filePath("no/such/folder/t.doc");
    try {
        QString last;
        dialogs.fileNames.push_back(name);
        save_transcript(w.get(), w->context(), last);
        ADD_FAILURE() << "no failure";
    } catch (const vellumark::script_error& e) {
        EXPECT_EQ(QString::fromStdString(e.what()), "Cannot create file " + name);
    }
    // Through the menu: the error box with the full stop, no success message.
    save_text_as(name);
    ASSERT_EQ(dialogs.texts("error"), std::vector<QString>{"Cannot create file " + name + "."});
    EXPECT_EQ(dialogs.shown.back().caption, application_title());
    EXPECT_TRUE(infos().empty());
    EXPECT_EQ(pane(), before);
    EXPECT_FALSE(w->context().modified);
}

TEST_F(Appearance, WriteFailureKeepsTheEarlierFile) {
    w->load_script_file(write_sample("X.DAT", vellumark::samples::make_document(5, 8)));
    const QString name = dir.filePath("kept.doc");
    vellumark::samples::write_file(name.toStdString(), {'o', 'l', 'd'});

    // A file size limit makes the write fail part-way.
    const auto old_handler = signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit small = old_limit;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string failure;
    try {
        QString last;
        dialogs.fileNames.push_back(name);
        save_transcript(w.get(), w->context(), last);
    } catch (const vellumark::script_error& e) {
        failure = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);

    EXPECT_EQ(failure, "Failed to Save Stream");
    EXPECT_EQ(vellumark::samples::read_file(name.toStdString()), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_TRUE(infos().empty());
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"X.DAT", "kept.doc"}));
}

// ---- "Change Color" -------------------------------------------------------------------

TEST_F(Appearance, ChangeColorRecoloursExactlyTheThirtyControls) {
    auto& ctx = w->context();
    std::vector<QString> names;
    for (QWidget* c : recolourable_controls(ctx)) names.push_back(c->objectName());
    std::vector<QString> expected{"ListBox1", "ListBox2", "ListBox3", "Edit1",     "Edit2",
                                  "Edit3",    "shit",     "ListBox4", "ListBox5",  "ListBox6",
                                  "ListBox7", "ListBox8", "ListBox9", "ListBox10", "ListBox11",
                                  "Edit4",    "Edit5",    "Edit6",    "Edit7",     "Edit8"};
    for (int n = 1; n <= 10; ++n) expected.push_back(QStringLiteral("Memo%1").arg(n));
    ASSERT_EQ(names, expected);

    const auto controls = recolourable_controls(ctx);
    const std::set<QWidget*> listed(controls.begin(), controls.end());
    auto inside_listed = [&](QWidget* x) {
        for (; x; x = x->parentWidget())
            if (listed.count(x)) return true;
        return false;
    };
    std::map<QWidget*, QColor> others;
    for (QWidget* x : w->findChildren<QWidget*>())
        if (!inside_listed(x)) others[x] = background(x);
    others[w.get()] = w->palette().color(QPalette::Window);

    // Cancelled: nothing changes, and black is offered.
    std::map<QWidget*, QColor> before;
    for (QWidget* c : controls) before[c] = background(c);
    w->ChangeColor1Click();
    EXPECT_EQ(dialogs.lastColorOffered, QColor(Qt::black));
    for (QWidget* c : controls) EXPECT_EQ(background(c), before[c]) << c->objectName().toStdString();

    const QColor chosen(0x12, 0x34, 0x56);
    dialogs.colors.push_back(chosen);
    w->ChangeColor1Click();
    for (QWidget* c : controls) EXPECT_EQ(background(c), chosen) << c->objectName().toStdString();
    for (auto& [x, colour] : others) {
        const QColor now = x == w.get() ? w->palette().color(QPalette::Window) : background(x);
        EXPECT_EQ(now, colour) << x->objectName().toStdString();
    }
    // Named among the untouched: the chooser, the spin fields, Memo12, Edit9..11.
    for (QWidget* x : std::initializer_list<QWidget*>{
             w->script()->ComboBox1, w->script()->SpinEdit10, w->script()->SpinEdit11,
             w->options()->spin(1), w->options()->spin(9), w->levels()->Memo12,
             w->media()->Edit9, w->media()->Edit10, w->media()->Edit11})
        EXPECT_NE(background(x), chosen) << x->objectName().toStdString();

    // The next dialog starts at the last colour; a cancel keeps it.
    w->ChangeColor1Click();
    EXPECT_EQ(dialogs.lastColorOffered, chosen);
    w->ChangeColor1Click();
    EXPECT_EQ(dialogs.lastColorOffered, chosen);
    EXPECT_FALSE(w->context().modified);
}

// ---- "ListBox's Font Size" ---------------------------------------------------------------

TEST_F(Appearance, TrackBarSetsTheFontOfAllElevenLists) {
    auto& ctx = w->context();
    const std::vector<QListWidget*> lists{
        ctx.levels->ListBox1, ctx.levels->ListBox2, ctx.levels->ListBox3,
        ctx.media->ListBox4,  ctx.media->ListBox5,  ctx.media->ListBox6,
        ctx.options->ListBox7, ctx.options->ListBox8, ctx.script->ListBox9,
        ctx.script->ListBox10, ctx.script->ListBox11};
    QSlider* bar = ctx.levels->TrackBar1;
    EXPECT_EQ(bar->minimum(), 6);
    EXPECT_EQ(bar->maximum(), 40);
    EXPECT_EQ(bar->value(), 7);
    ctx.levels->ListBox1->addItem(QStringLiteral("Great Wall"));
    auto line_height = [&] {
        return ctx.levels->ListBox1->visualItemRect(ctx.levels->ListBox1->item(0)).height();
    };

    bar->setValue(2);  // the bar stops at 6
    EXPECT_EQ(bar->value(), 6);
    for (QListWidget* l : lists) EXPECT_EQ(l->font().pointSize(), 6) << l->objectName().toStdString();
    const int small = line_height();
    bar->setValue(99);  // and at 40
    EXPECT_EQ(bar->value(), 40);
    for (QListWidget* l : lists) EXPECT_EQ(l->font().pointSize(), 40) << l->objectName().toStdString();
    EXPECT_GT(line_height(), small);
    // Nothing else changes size.
    EXPECT_NE(ctx.levels->Edit1->font().pointSize(), 40);
    EXPECT_NE(ctx.levels->shit->font().pointSize(), 40);
    EXPECT_NE(ctx.keys->memo(1)->font().pointSize(), 40);
    EXPECT_FALSE(ctx.modified);
}

}  // namespace
