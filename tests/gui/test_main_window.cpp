// The main window: its menu, Open, Save, Save As, the close prompt, the
// general error handler, the window-wide shortcuts, dropping a file, the
// picture strip, the code pages and the translators' catalogue.
#include <QAction>
#include <QFile>
#include <sys/stat.h>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QUrl>

#include "formats/catalogue.h"
#include "codec/codepage.h"
#include "codec/errors.h"
#include "codec/options.h"
#include "codec/script_file.h"
#include "codec/transcript.h"
#include "editors/colors.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/options_tab.h"
#include "editors/script_tab.h"
#include "editors/spin_edit.h"
#include "editors/text.h"
#include "shell/close_prompt.h"
#include "support/window_fixture.h"

using vellumark::samples::file_bytes;
using vellumark::samples::make_document;
using vellumark::samples::read_file;

namespace {

QListView* list_box(TForm1& form, int n) {
    return form.findChild<QListView*>(QStringLiteral("ListBox%1").arg(n));
}

QStringList rows(TForm1& form, int n) { return rows(list_box(form, n)); }

std::vector<QString> one(const QString& s) { return {s}; }

// A short text as a PO file writes it after its keyword.
std::string po_quoted(const std::string& utf8) {
    std::string out;
    if (utf8.find('\n') == std::string::npos) return out.append("\"").append(utf8).append("\"");
    out = "\"\"";
    for (std::size_t start = 0; start < utf8.size();) {
        const std::size_t end = std::min(utf8.find('\n', start), utf8.size());
        out.append("\n\"").append(utf8, start, end - start).append(end < utf8.size() ? "\\n\"" : "\"");
        start = end + 1;
    }
    return out;
}

}  // namespace

TEST_F(WindowTest, BeforeAnyOpenTheFileMenuEndsAtN3AndSavesDoNothing) {
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("<----\u00A1\u00A1 The Vellumark !!---->"));
    QStringList file;
    for (QAction* a : form->file_menu()->actions()) file.append(a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file, (QStringList{"&Open", "Save", "Save As...", "Export texts for translation...",
                                 "Import translation...", "Export game flow picture...", "-", "Exit", "-"}));
    EXPECT_FALSE(form->file_menu()->separatorsCollapsible());  // N3 shows while the list is empty
    for (int page = 0; page < form->tabs()->count(); ++page) {  // the pages are cream like the window
        EXPECT_TRUE(form->tabs()->widget(page)->autoFillBackground());
        EXPECT_EQ(form->tabs()->widget(page)->palette().color(QPalette::Window), kCream);
    }

    form->options()->spin(1)->setValue(5);
    form->Save1Click();
    form->SaveAS1Click();
    form->ExportTexts1Click();
    form->ImportTranslation1Click();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(form->modified());
}

TEST_F(WindowTest, OpenThenSaveWritesTheSameBytes) {
    for (const auto& bytes : {vellumark::samples::real_size_bytes(), file_bytes(make_document(7, 12, true))}) {
        dialogs.clear();
        const QString p = open_sample("round.dat", bytes);
        ASSERT_TRUE(dialogs.texts("error").empty()) << dialogs.texts("error")[0].toStdString();
        EXPECT_EQ(dialogs.shown[0].text, "Tombpc DAT files (*.dat)");
        EXPECT_EQ(form->windowTitle(), p);
        EXPECT_FALSE(form->modified());
        form->options()->check(1)->click();  // an edit that changes no byte
        EXPECT_TRUE(form->modified());
        form->Save1Click();
        EXPECT_EQ(read_file(p.toStdString()), bytes);
        EXPECT_EQ(dialogs.texts("information"), one(p + " Saved!"));
        EXPECT_FALSE(form->modified());
    }
}

TEST_F(WindowTest, EveryViewHoldsWhatTheFileHolds) {
    const auto first = make_document(3, 4, true);
    const auto doc = make_document(11, 9, true);
    open_sample("first.dat", file_bytes(first));
    open_sample("second.dat", file_bytes(doc));
    ASSERT_TRUE(dialogs.texts("error").empty());

    // ListBox1 to ListBox8 show the tables.
    using vellumark::table_id;
    const table_id lists[] = {table_id::level_names, table_id::level_files, table_id::pic_files,
                              table_id::fmv_files,   table_id::cutscene_files, table_id::title_files,
                              table_id::game_strings1, table_id::game_strings2};
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(rows(*form, n), texts(vellumark::table(doc, lists[n - 1]).strings)) << n;
    QStringList labels, demo;
    for (std::size_t i = 0; i < doc.scripts.size(); ++i) labels.append(QString("Script#%1").arg(i));
    for (std::uint16_t level : doc.demo_levels) demo.append(form->document()->toText(doc.level_names.strings.at(level)));
    EXPECT_EQ(rows(*form, 9), labels);
    EXPECT_EQ(rows(*form, 11), demo);
    for (int n = 1; n <= 10; ++n) {
        QStringList lines = lines_of(form->keys()->memo(n));
        if (doc.key_strings[n - 1].strings.empty()) lines.removeAll(QString());
        EXPECT_EQ(lines, texts(doc.key_strings[n - 1].strings)) << "Memo" << n;
    }
    for (const auto& o : vellumark::kOptions) {
        const int n = static_cast<int>(o.id) + 1;
        EXPECT_EQ(form->options()->spin(n)->value(), vellumark::option_value(doc, o.id)) << n;
    }
    for (int n = 2; n <= 10; ++n)
        EXPECT_EQ(form->options()->check(n)->isChecked(), (doc.flags & vellumark::kOptionFlags[n - 2].bit) != 0) << n;
    EXPECT_EQ(form->options()->check(1)->isChecked(), doc.single_level != -1);

    // Memo12 and the transcript keep the first file's lines ahead of the second's.
    EXPECT_EQ(lines_of(form->levels()->Memo12),
              texts(vellumark::memo12_lines(first)) + texts(vellumark::memo12_lines(doc)));
    EXPECT_EQ(transcript(),
              texts(vellumark::transcript_lines(first)) + texts(vellumark::transcript_lines(doc)));
    EXPECT_EQ(transcript().value(0), "Translated by Vellumark");

    EXPECT_EQ(current_row(form->script()->ListBox9), 0);
    EXPECT_GT(row_count(form->script()->ListBox10), 0);
    EXPECT_FALSE(form->modified());
}

TEST_F(WindowTest, AFailedOpenOrARefusedSaveChangesNothing) {
    const auto bytes = small_script(5, 4);
    const QString good = open_sample("good.dat", bytes);
    const QStringList levels = rows(*form, 1);
    const QStringList shown = transcript();
    form->options()->spin(3)->setValue(-17);
    set_current_row(form->script()->ListBox9, 2);
    form->Copyscriptslot1->trigger();
    dialogs.clear();

    const QString truncated = write_sample("cut.dat", {bytes.begin(), bytes.begin() + 390});
    dialogs.saveChoices.assign(3, SaveChoice::Discard);  // discarded, yet kept when the open fails
    open_path(truncated);
    open_path(path("missing.dat"));
    open_path(path("no/such/folder/x.dat"));
    EXPECT_EQ(dialogs.texts("error"),
              (std::vector<QString>{"Read beyond end of file.", "File not found.", "Invalid filename."}));
    EXPECT_EQ(dialogs.shown.back().caption, application_title());
    EXPECT_EQ(shown_caption(), good + " *");  // the unsaved edits stay
    EXPECT_EQ(form->recent_files(), QStringList{good});
    EXPECT_EQ(rows(*form, 1), levels);
    EXPECT_EQ(transcript(), shown);
    EXPECT_TRUE(form->modified());
    EXPECT_EQ(form->options()->spin(3)->value(), -17);
    EXPECT_EQ(form->script()->copied_slot(), 2);
    // "Save" still writes the file that was opened, not the one that failed.
    form->document()->undoStack()->undo();
    form->Save1Click();
    EXPECT_EQ(read_file(good.toStdString()), bytes);
    EXPECT_EQ(read_file(truncated.toStdString()).size(), 390u);

    // Refused saves: their message; the file and `modified` stay.
    dialogs.clear();
    doc().setEntry(vellumark::table_id::pic_files, 0, std::string(256, 'p'), "Replace picture 0");
    form->Save1Click();
    form->document()->undoStack()->undo();
    form->keys()->memo(4)->setPlainText(QString(300, QLatin1Char('k')));
    form->Save1Click();
    EXPECT_EQ(dialogs.texts("error"),
              (std::vector<QString>{
                  "Entry 0 of \"Level's Pic file Names\" is longer than 255 characters and cannot be saved.",
                  "Key Strings #4, level 0 is longer than 255 characters and cannot be saved."}));
    EXPECT_TRUE(dialogs.texts("information").empty());
    EXPECT_EQ(read_file(good.toStdString()), bytes);
    EXPECT_TRUE(form->modified());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, SaveAsThenSaveWritesTheSecondFileAndKeepsTheCaption) {
    const auto bytes = small_script(2, 3);
    const QString first = open_sample("first.dat", bytes);
    const QString second = path("second");  // no extension: used as typed
    dialogs.clear();
    dialogs.fileNames.push_back(second);
    form->SaveAS1Click();
    EXPECT_EQ(dialogs.texts("save"), one("Tomb Raider Script (*.dat)"));
    EXPECT_EQ(dialogs.texts("information"), one(second + " Saved!"));
    EXPECT_EQ(read_file(second.toStdString()), bytes);
    EXPECT_EQ(form->windowTitle(), first);
    EXPECT_EQ(form->recent_files(), QStringList{first});

    form->options()->spin(1)->setValue(1234);
    form->Save1Click();
    EXPECT_EQ(read_file(first.toStdString()), bytes);
    EXPECT_EQ(vellumark::parse_script(read_file(second.toStdString())).first_option, 1234);

    // The dialog offers the name last chosen; a cancel changes nothing.
    form->SaveAS1Click();
    EXPECT_EQ(dialogs.lastSaveOffered, second);
    EXPECT_EQ(form->current_file_name(), second);
}

TEST_F(WindowTest, SaveRefillsTheSlotsAndStillSavesWhenEveryLevelIsGone) {
    const QString p = open_sample("all.dat", small_script(4, 3));
    // The writer adds the slot the document lacks; the list shows it.
    const int slot_total = static_cast<int>(record().scripts.size());
    doc().replaceSlots(slot_total - 1, 1, {}, "Remove a slot");
    ASSERT_EQ(rows(*form, 9).size(), slot_total - 1);
    form->Save1Click();
    EXPECT_EQ(rows(*form, 9).size(), slot_total);
    EXPECT_EQ(rows(*form, 9).value(slot_total - 1), QString("Script#%1").arg(slot_total - 1));

    using vellumark::table_id;
    for (table_id t : {table_id::level_names, table_id::level_files, table_id::pic_files})
        doc().replaceEntries(t, 0, int(vellumark::table(record(), t).strings.size()), {}, "Remove");
    doc().setDemoLevels({}, {}, "Remove demo levels");
    dialogs.confirms.push_back(true);  // the key strings of the levels gone are not saved
    for (int pass = 0; pass < 2; ++pass) {
        dialogs.clear();
        form->Save1Click();
        EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{});
        EXPECT_EQ(dialogs.texts("information"), one(p + " Saved!"));
        EXPECT_EQ(vellumark::parse_script(read_file(p.toStdString())).level_count, 0);
    }
}

// ---- closing ---------------------------------------------------------------

TEST_F(WindowTest, ClosePromptPaths) {
    const auto bytes = small_script(9, 3);
    using Button = QPushButton* TForm8::*;
    const struct {
        const char* name;
        bool modified, refused;  // refused: Save fails, the prompt stays until "No"
        std::vector<Button> clicks;
    } cases[] = {{"Yes", true, false, {&TForm8::Button1}},
                 {"No", true, false, {&TForm8::Button2}},
                 {"unmodified", false, false, {}},
                 {"Yes fails, then No", true, true, {&TForm8::Button1, &TForm8::Button2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        const QString p = open_sample("close.dat", bytes);
        if (c.modified) form->options()->spin(2)->setValue(77);
        if (c.refused) doc().setEntry(vellumark::table_id::level_names, 0, std::string(256, 'x'), "Replace level 0");
        dialogs.clear();
        if (!c.clicks.empty())
            dialogs.modal.push_back([&](QDialog* d) {
                d->show();
                for (Button b : c.clicks) {
                    EXPECT_TRUE(d->isVisible());
                    QTest::mouseClick(static_cast<TForm8*>(d)->*b, Qt::LeftButton);
                }
            });
        EXPECT_TRUE(form->close());
        std::vector<QString> prompts;
        for (const auto& s : dialogs.shown)
            if (s.kind == "exec") prompts.push_back(s.caption);
        EXPECT_EQ(prompts, c.modified ? one("Really Close??") : std::vector<QString>{});
        const bool saved = c.name == std::string("Yes");
        EXPECT_EQ(dialogs.texts("information"), saved ? one(p + " Saved!") : std::vector<QString>{});
        EXPECT_EQ(dialogs.texts("error").size(), c.refused ? 1u : 0u);
        if (saved) EXPECT_EQ(vellumark::parse_script(read_file(p.toStdString())).title_replace, 77);
        else EXPECT_EQ(read_file(p.toStdString()), bytes);
        EXPECT_FALSE(form->form8()->isVisible());
    }
}

// ---- the error handler -----------------------------------------------------

TEST_F(WindowTest, ErrorBoxTitleAndFullStop) {
    const std::pair<QString, QString> cases[] = {
        {"Disk full", "Disk full."}, {"I/O error 32", "I/O error 32."}, {"ends in (9)", "ends in (9)"},
        {"Saved!", "Saved!"}, {"a stop.", "a stop."}, {"a blank ", "a blank "},
        {QString::fromUtf8("caf\u00E9"), QString::fromUtf8("caf\u00E9.")}, {"", ""}};
    for (const auto& [in, out] : cases) {
        dialogs.clear();
        EXPECT_FALSE(form->run_command([&] { throw vellumark::script_error(in.toStdString()); }));
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, "error");
        EXPECT_EQ(dialogs.shown[0].caption, application_title());
        EXPECT_EQ(dialogs.shown[0].text, out) << in.toStdString();
    }
    dialogs.clear();
    EXPECT_TRUE(form->run_command([] {}));
    EXPECT_FALSE(form->run_command([] { throw std::runtime_error("plain failure"); }));
    EXPECT_EQ(dialogs.texts("error"), one("plain failure."));
}

// ---- shortcuts, dropping a file, the picture strip ---------------------------

TEST_F(WindowTest, MenuShortcutsWinInsideTextFields) {
    const QString p = open_sample("keys.dat", small_script(10, 3));
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QLineEdit* edit = form->levels()->Edit1;
    edit->setText("hello");
    edit->setFocus();
    edit->selectAll();

    set_current_row(form->script()->ListBox9, 2);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(form->script()->copied_slot(), 2);

    dialogs.clear();
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.texts("information"), one(p + " Saved!"));

    form->options()->spin(2)->setValue(1);
    dialogs.modal.push_back([](QDialog* d) { static_cast<TForm8*>(d)->Button2Click(); });
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "hello");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(dialogs.texts("exec").size(), 1u);
}

TEST_F(WindowTest, DroppingAFileOpensIt) {
    // Drops the file on the widget; returns whether the drag was accepted.
    auto drop = [](QWidget* on, const QString& file) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &enter);
        QDropEvent event(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &event);
        return enter.isAccepted();
    };
    const QString p = write_sample("dropped.dat", small_script(12, 5));
    EXPECT_TRUE(drop(form.get(), p));
    EXPECT_EQ(form->windowTitle(), p);
    EXPECT_EQ(form->recent_files(), QStringList{p});
    EXPECT_EQ(row_count(list_box(*form, 1)), 5);
    drop(form.get(), path("gone.dat"));  // a file that does not load changes nothing
    EXPECT_EQ(dialogs.texts("error"), one("File not found."));
    EXPECT_EQ(form->current_file_name(), p);

    // Dropped on a text field, the file opens rather than becoming text.
    const QString q = write_sample("onfield.dat", small_script(13, 2));
    form->levels()->Edit1->clear();
    EXPECT_TRUE(drop(form->levels()->Edit1, q));
    EXPECT_EQ(form->current_file_name(), q);
    EXPECT_TRUE(form->levels()->Edit1->text().isEmpty());
}

TEST_F(WindowTest, PictureStripAndItsFailures) {
    EXPECT_EQ(form->Image1->pixmap().size(), QSize(697, 65));  // skin.bmp beside the executable

    // Each failure is the first box of start-up (the About window may add one
    // about "readme"), and start-up goes on.
    const QString missing = path("nothing.bmp");
    const QString broken = write_sample("broken.bmp", {'n', 'o', 't', ' ', 'b', 'm', 'p'});
    const QString fifo = path("fifo.bmp");  // nothing waits on it
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const auto& [file, message] : {std::pair{missing, "Cannot open file " + missing + "."},
                                        std::pair{broken, QString("Bitmap image is not valid.")},
                                        std::pair{fifo, "Cannot open file " + fifo + "."}}) {
        TForm1::set_skin_file(file);
        restart();
        ASSERT_FALSE(dialogs.texts("error").empty());
        EXPECT_EQ(dialogs.texts("error")[0], message);
        EXPECT_TRUE(form->Image1->pixmap().isNull());
        EXPECT_FALSE(form->modified());
    }
}

// The translators' workflow. "Code page" shows the same bytes in another code
// page and changes nothing; "Import translation..." takes a Polish catalogue
// as one undo step; saved and opened again in the code page remembered for
// the file, the script exports the same texts through "Export texts for
// translation..." (offered beside the script, ".pot" added).
TEST_F(WindowTest, CodePageImportAndExportOfATranslation) {
    namespace codepage = vellumark::codepage;
    const codepage::table& cp1250 = codepage::get(codepage::page::cp1250);
    const QString script =
        open_sample("pl.dat", file_bytes(vellumark::samples::with_polish_sources(make_document(5, 3, true))));
    const vellumark::Ttombpcdat opened = record();
    form->options()->spin(1)->setValue(5);  // an unsaved edit
    const int steps = doc().undoStack()->count();

    click_row(list_box(*form, 1), 0);  // the level's text in its edit box
    form->findChild<QAction*>(QStringLiteral("CodePage1250"))->trigger();
    QStringList shown;
    for (const std::string& s : opened.level_names.strings)
        shown.append(QString::fromStdString(cp1250.bytes_to_utf8(s)));
    EXPECT_EQ(rows(*form, 1), shown);
    EXPECT_EQ(form->levels()->Edit1->text(), shown[0]);
    EXPECT_EQ(record().level_names, opened.level_names);
    EXPECT_EQ(doc().undoStack()->count(), steps);
    EXPECT_TRUE(form->modified());

    const std::string polish = vellumark::samples::polish_catalogue();
    const QString po = write_sample(QStringLiteral("pl.po"), {polish.begin(), polish.end()});
    dialogs.clear();
    dialogs.fileNames.push_back(po);
    form->ImportTranslation1Click();
    ASSERT_TRUE(dialogs.texts("error").empty()) << dialogs.texts("error")[0].toStdString();
    EXPECT_EQ(dialogs.shown[0].text, "Translations (*.po *.pot)");
    EXPECT_EQ(dialogs.lastOpenDir, dir.path());  // beside the script
    EXPECT_EQ(dialogs.texts("information"), one("Translations imported from " + po + ": 3"));
    vellumark::Ttombpcdat translated = opened;
    for (const auto& t : vellumark::samples::polish_translations()) {
        const auto [id, index] = *vellumark::catalogue::parse_context(t.context);
        vellumark::table(translated, id).strings[index] = *cp1250.utf8_to_bytes(t.utf8);
    }
    const auto same_texts = [this](const vellumark::Ttombpcdat& want) {
        for (const vellumark::table_info& t : vellumark::kTables)
            EXPECT_EQ(vellumark::table(record(), t.id).strings, vellumark::table(want, t.id).strings) << t.heading;
    };
    same_texts(translated);
    EXPECT_EQ(doc().undoStack()->count(), steps + 1);
    doc().undoStack()->undo();
    same_texts(opened);
    doc().undoStack()->redo();

    form->Save1Click();
    restart();
    open_path(script);
    EXPECT_TRUE(form->findChild<QAction*>(QStringLiteral("CodePage1250"))->isChecked());
    same_texts(translated);
    // Offered beside the script under its name; ".pot" is added when missing.
    const QString pot = path(QStringLiteral("pl.pot"));
    dialogs.fileNames.push_back(path(QStringLiteral("pl")));
    form->ExportTexts1Click();
    EXPECT_EQ(dialogs.lastSaveOffered, pot);
    EXPECT_EQ(dialogs.texts("information"), one(pot + " Saved!"));
    const std::vector<std::uint8_t> bytes = read_file(pot.toStdString());
    const std::string exported(bytes.begin(), bytes.end());
    for (const auto& t : vellumark::samples::polish_translations()) {
        std::string entry = "msgctxt \"";
        entry.append(t.context).append("\"\nmsgid ").append(po_quoted(t.utf8)).append("\n");
        EXPECT_NE(exported.find(entry), std::string::npos) << entry;
    }
}
