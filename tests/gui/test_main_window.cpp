// The main window: its frame and menu, Open, Save, Save As, the close prompt,
// the general error handler, the window-wide shortcuts, dropping a file and
// the picture strip.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QUrl>

#include "codec/errors.h"
#include "codec/script_file.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/options_tab.h"
#include "editors/script_tab.h"
#include "editors/spin_edit.h"
#include "editors/text.h"
#include "shell/Unit8.h"
#include "support/window_fixture.h"

using vellumark::samples::file_bytes;
using vellumark::samples::make_document;
using vellumark::samples::read_file;

namespace {

QStringList block_texts(const QTextDocument* doc) {
    QStringList out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) out.append(b.text());
    return out;
}

QStringList texts(const std::vector<std::string>& lines) {
    QStringList out;
    for (const auto& l : lines) out.append(to_text(l));
    return out;
}

QStringList rows(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out.append(list->item(i)->text());
    return out;
}

QListWidget* list_box(TForm1& form, int n) {
    return form.findChild<QListWidget*>(QStringLiteral("ListBox%1").arg(n));
}

}  // namespace

TEST_F(WindowTest, StartsEmptyWithTheFileMenuEndingAtN3) {
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("<----\u00A1\u00A1 The Vellumark !!---->"));
    EXPECT_EQ(form->centralWidget()->size(), QSize(696, 526));
    EXPECT_EQ(form->tabs()->currentIndex(), 0);
    QStringList file;
    for (QAction* a : form->file_menu()->actions()) file.append(a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file, (QStringList{"&Open", "Save", "Save As...", "-", "Exit", "-"}));
    EXPECT_EQ(form->file_menu()->actions().last(), form->N3);
    EXPECT_FALSE(form->context().modified);
    EXPECT_EQ(form->context().copied_slot, -1);
    EXPECT_TRUE(form->current_file_name().isEmpty());
}

TEST_F(WindowTest, OpenThenSaveWritesTheSameBytes) {
    for (const auto& bytes : {vellumark::samples::real_size_bytes(), file_bytes(make_document(7, 12, true))}) {
        const QString p = open_sample("round.dat", bytes);
        ASSERT_TRUE(dialogs.texts("error").empty()) << dialogs.texts("error")[0].toStdString();
        EXPECT_EQ(dialogs.shown[0].text, "Tombpc DAT files (*.dat)");
        EXPECT_EQ(form->windowTitle(), p);
        EXPECT_EQ(form->current_file_name(), p);
        EXPECT_FALSE(form->context().modified);
        EXPECT_EQ(form->context().copied_slot, -1);

        dialogs.clear();
        form->context().modified = true;
        form->Save1Click();
        EXPECT_EQ(read_file(p.toStdString()), bytes);
        EXPECT_EQ(dialogs.texts("information"), std::vector<QString>{p + " Saved!"});
        EXPECT_FALSE(form->context().modified);
        dialogs.clear();
    }
}

TEST_F(WindowTest, EveryViewHoldsWhatTheFileHolds) {
    const auto first = make_document(3, 4, true);
    const auto doc = make_document(11, 9, true);
    open_sample("first.dat", file_bytes(first));
    open_sample("second.dat", file_bytes(doc));
    ASSERT_TRUE(dialogs.texts("error").empty());
    const auto want = vellumark::samples::views_of(doc);
    const auto want_first = vellumark::samples::views_of(first);

    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11}) EXPECT_EQ(rows(list_box(*form, n)), texts(want.lists[n])) << n;
    for (int n = 1; n <= 10; ++n) {
        QStringList lines = block_texts(form->keys()->memo(n)->document());
        if (want.memos[n].empty()) lines.removeAll(QString());
        EXPECT_EQ(lines, texts(want.memos[n])) << "Memo" << n;
    }
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(form->options()->spin(n)->value(), want.spins[n]) << n;
    for (int n = 2; n <= 10; ++n) EXPECT_EQ(form->options()->check(n)->isChecked(), want.checks[n]) << n;
    EXPECT_EQ(form->options()->check(1)->isChecked(), doc.single_level != -1);

    // Memo12 and the transcript keep the first file's lines ahead of the second's.
    EXPECT_EQ(block_texts(form->levels()->Memo12->document()), texts(want_first.memo12) + texts(want.memo12));
    EXPECT_EQ(block_texts(form->levels()->shit->document()),
              texts(want_first.transcript) + texts(want.transcript));
    EXPECT_EQ(form->levels()->shit->document()->firstBlock().text(), "Translated by Vellumark");

    // Slot 0 is selected and listed.
    EXPECT_EQ(form->script()->ListBox9->currentRow(), 0);
    EXPECT_GT(form->script()->ListBox10->count(), 0);
    EXPECT_FALSE(form->context().modified);
}

TEST_F(WindowTest, AFailedOpenChangesNothing) {
    const auto bytes = small_script(5, 4);
    const QString good = open_sample("good.dat", bytes);
    const QStringList levels = rows(list_box(*form, 1));
    const QStringList transcript = block_texts(form->levels()->shit->document());
    form->context().modified = true;
    form->context().copied_slot = 2;
    dialogs.clear();

    const QString truncated = write_sample("cut.dat", {bytes.begin(), bytes.begin() + 390});
    open_path(truncated);
    open_path(path("missing.dat"));
    open_path(path("no/such/folder/x.dat"));

    ASSERT_EQ(dialogs.texts("error").size(), 3u);
    EXPECT_EQ(dialogs.shown[1].caption, application_title());
    EXPECT_EQ(dialogs.texts("error")[0], "Read beyond end of file.");
    EXPECT_EQ(dialogs.texts("error")[1], "File not found.");
    EXPECT_EQ(dialogs.texts("error")[2], "Invalid filename.");
    EXPECT_EQ(form->windowTitle(), good);
    EXPECT_EQ(form->current_file_name(), good);
    EXPECT_EQ(form->recent_files(), QStringList{good});
    EXPECT_EQ(rows(list_box(*form, 1)), levels);
    EXPECT_EQ(block_texts(form->levels()->shit->document()), transcript);
    EXPECT_TRUE(form->context().modified);
    EXPECT_EQ(form->context().copied_slot, 2);

    // "Save" still writes the file that was opened, not the one that failed.
    form->Save1Click();
    EXPECT_EQ(read_file(good.toStdString()), bytes);
    EXPECT_EQ(read_file(truncated.toStdString()).size(), 390u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, BeforeAnyOpenSaveAndSaveAsDoNothing) {
    form->context().modified = true;
    form->Save1Click();
    form->SaveAS1Click();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(form->context().modified);
}

TEST_F(WindowTest, SaveAsThenSaveWritesTheSecondFileAndKeepsTheCaption) {
    const auto bytes = small_script(2, 3);
    const QString first = open_sample("first.dat", bytes);
    const QString second = path("second");  // no extension: used as typed
    dialogs.clear();
    dialogs.fileNames.push_back(second);
    form->SaveAS1Click();
    EXPECT_EQ(dialogs.shown[0].kind, "save");
    EXPECT_EQ(dialogs.shown[0].text, "Tomb Raider Script (*.dat)");
    EXPECT_EQ(dialogs.texts("information"), std::vector<QString>{second + " Saved!"});
    EXPECT_EQ(read_file(second.toStdString()), bytes);
    EXPECT_EQ(form->windowTitle(), first);
    EXPECT_EQ(form->current_file_name(), second);
    EXPECT_EQ(form->recent_files(), QStringList{first});

    form->options()->spin(1)->setValue(1234);
    form->Save1Click();
    EXPECT_EQ(read_file(first.toStdString()), bytes);
    EXPECT_NE(read_file(second.toStdString()), bytes);
    EXPECT_EQ(vellumark::parse_script(read_file(second.toStdString())).first_option, 1234);

    // The dialog offers the name last chosen; a cancel changes nothing.
    dialogs.clear();
    form->SaveAS1Click();
    EXPECT_EQ(dialogs.lastSaveOffered, second);
    EXPECT_EQ(form->current_file_name(), second);
}

TEST_F(WindowTest, SaveWhenEveryLevelIsGoneStillSaves) {
    const QString p = open_sample("all.dat", small_script(4, 3));
    for (int n : {1, 2, 3, 11}) list_box(*form, n)->clear();
    form->context().doc.demo_levels.clear();
    for (int pass = 0; pass < 2; ++pass) {
        dialogs.clear();
        form->Save1Click();
        EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{});
        EXPECT_EQ(dialogs.texts("information"), std::vector<QString>{p + " Saved!"});
        EXPECT_EQ(vellumark::parse_script(read_file(p.toStdString())).level_count, 0);
    }
}

TEST_F(WindowTest, ARefusedSaveLeavesTheFileAndModified) {
    const auto bytes = small_script(6, 3);
    const QString p = open_sample("keep.dat", bytes);
    form->context().modified = true;
    dialogs.clear();

    ASSERT_GT(list_box(*form, 3)->count(), 0);
    list_box(*form, 3)->item(0)->setText(QString::fromUtf8("pic\u4E00.pcx"));
    form->Save1Click();
    ASSERT_EQ(dialogs.texts("error").size(), 1u);
    EXPECT_EQ(dialogs.texts("error")[0],
              "Entry 0 of \"Level's Pic file Names\" holds a character that cannot be stored in a script.");
    list_box(*form, 3)->item(0)->setText("pic.pcx");

    form->keys()->memo(4)->setPlainText(QString(300, QLatin1Char('k')));
    form->Save1Click();
    ASSERT_EQ(dialogs.texts("error").size(), 2u);
    EXPECT_EQ(dialogs.texts("error")[1],
              "Key Strings #4, line 1 is longer than 255 characters and cannot be saved.");
    EXPECT_TRUE(dialogs.texts("information").empty());
    EXPECT_EQ(read_file(p.toStdString()), bytes);
    EXPECT_TRUE(form->context().modified);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, SaveShowsTheSlotsTheWriterAdded) {
    open_sample("slots.dat", small_script(8, 3));
    auto& doc = form->context().doc;
    const int slot_total = static_cast<int>(doc.scripts.size());
    doc.scripts.pop_back();
    delete form->script()->ListBox9->takeItem(slot_total - 1);
    form->Save1Click();
    ASSERT_TRUE(dialogs.texts("error").empty());
    ASSERT_EQ(form->script()->ListBox9->count(), slot_total);
    EXPECT_EQ(form->script()->ListBox9->item(slot_total - 1)->text(), QString("Script#%1").arg(slot_total - 1));
}

// ---- closing ---------------------------------------------------------------

class ClosePromptTest : public WindowTest {
protected:
    QString p;
    std::vector<std::uint8_t> bytes = small_script(9, 3);
    void SetUp() override {
        WindowTest::SetUp();
        p = open_sample("close.dat", bytes);
        form->options()->spin(2)->setValue(77);
        form->context().modified = true;
        dialogs.clear();
    }
    void answer(QPushButton* TForm8::*button) {
        dialogs.modal.push_back([button](QDialog* d) {
            d->show();
            QTest::mouseClick(static_cast<TForm8*>(d)->*button, Qt::LeftButton);
        });
    }
};

TEST_F(ClosePromptTest, YesSavesAndCloses) {
    answer(&TForm8::Button1);
    EXPECT_TRUE(form->close());
    ASSERT_EQ(dialogs.shown[0].kind, "exec");
    EXPECT_EQ(dialogs.shown[0].caption, "Really Close??");
    EXPECT_EQ(dialogs.texts("information"), std::vector<QString>{p + " Saved!"});
    EXPECT_EQ(vellumark::parse_script(read_file(p.toStdString())).title_replace, 77);
    EXPECT_FALSE(form->form8()->isVisible());
}

TEST_F(ClosePromptTest, NoClosesWithoutSaving) {
    answer(&TForm8::Button2);
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(dialogs.texts("information").empty());
    EXPECT_EQ(read_file(p.toStdString()), bytes);
}

TEST_F(ClosePromptTest, NotModifiedClosesWithoutAPrompt) {
    form->context().modified = false;
    form->Exit1Click();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ClosePromptTest, AFailedYesKeepsThePromptOpenUntilNo) {
    list_box(*form, 1)->item(0)->setText(QString(256, QLatin1Char('x')));
    bool open_after_yes = false;
    dialogs.modal.push_back([&](QDialog* d) {
        auto* prompt = static_cast<TForm8*>(d);
        prompt->show();
        QTest::mouseClick(prompt->Button1, Qt::LeftButton);
        open_after_yes = prompt->isVisible();
        QTest::mouseClick(prompt->Button2, Qt::LeftButton);
    });
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(open_after_yes);
    EXPECT_EQ(dialogs.texts("error").size(), 1u);
    EXPECT_FALSE(form->form8()->isVisible());
    EXPECT_EQ(read_file(p.toStdString()), bytes);
}

// ---- the error handler -----------------------------------------------------

TEST_F(WindowTest, ErrorBoxTitleAndFullStop) {
    const std::vector<std::pair<QString, QString>> cases{
        {"Disk full", "Disk full."},
        {"I/O error 32", "I/O error 32."},
        {"List index out of bounds (9)", "List index out of bounds (9)"},
        {"Saved!", "Saved!"},
        {"ends with a stop.", "ends with a stop."},
        {"ends in a blank ", "ends in a blank "},
        {QString::fromUtf8("caf\u00E9"), QString::fromUtf8("caf\u00E9.")},
        {"", ""},
    };
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
    EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{"plain failure."});
}

// ---- shortcuts inside text fields ----------------------------------------------

TEST_F(WindowTest, MenuShortcutsWinInsideTextFields) {
    const QString p = open_sample("keys.dat", small_script(10, 3));
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    QLineEdit* edit = form->levels()->Edit1;
    edit->setText("hello");
    edit->setFocus();
    edit->selectAll();

    form->script()->ListBox9->setCurrentRow(2);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(form->context().copied_slot, 2);

    dialogs.clear();
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.texts("information"), std::vector<QString>{p + " Saved!"});

    form->context().modified = true;
    dialogs.modal.push_back([](QDialog* d) { static_cast<TForm8*>(d)->Button2Click(); });
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "hello");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(dialogs.texts("exec").size(), 1u);
}

// ---- drop ------------------------------------------------------------------------

TEST_F(WindowTest, DroppingAFileOpensIt) {
    const QString p = write_sample("dropped.dat", small_script(12, 5));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(p)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);

    EXPECT_EQ(form->current_file_name(), p);
    EXPECT_EQ(form->windowTitle(), p);
    EXPECT_EQ(form->recent_files(), QStringList{p});
    EXPECT_EQ(list_box(*form, 1)->count(), 5);

    // A dropped file that does not load changes nothing.
    QMimeData bad;
    bad.setUrls({QUrl::fromLocalFile(path("gone.dat"))});
    QDragEnterEvent enter2(QPoint(10, 10), Qt::CopyAction, &bad, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter2);
    QDropEvent drop2(QPointF(10, 10), Qt::CopyAction, &bad, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop2);
    EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{"File not found."});
    EXPECT_EQ(form->current_file_name(), p);

    // Dropped on a text field, the file opens rather than becoming text.
    const QString q = write_sample("onfield.dat", small_script(13, 2));
    QMimeData onfield;
    onfield.setUrls({QUrl::fromLocalFile(q)});
    QLineEdit* field = form->levels()->Edit1;
    field->clear();
    QDragEnterEvent enter3(QPoint(2, 2), Qt::CopyAction, &onfield, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &enter3);
    EXPECT_TRUE(enter3.isAccepted());
    QDropEvent drop3(QPointF(2, 2), Qt::CopyAction, &onfield, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &drop3);
    EXPECT_EQ(form->current_file_name(), q);
    EXPECT_TRUE(field->text().isEmpty());
}

// ---- the picture strip ---------------------------------------------------------------

TEST_F(WindowTest, PictureStripAndItsFailures) {
    EXPECT_EQ(form->Image1->size(), QSize(697, 65));
    EXPECT_FALSE(form->Image1->pixmap().isNull());  // skin.bmp beside the executable

    const QString missing = path("nothing.bmp");
    TForm1::set_skin_file(missing);
    restart_with_dialogs();
    // (The About window may add its own complaint about "readme".)
    ASSERT_FALSE(dialogs.texts("error").empty());
    EXPECT_EQ(dialogs.texts("error")[0], "Cannot open file " + missing + ".");
    EXPECT_TRUE(form->Image1->pixmap().isNull());
    EXPECT_FALSE(form->context().modified);

    const QString broken = write_sample("broken.bmp", {'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'});
    TForm1::set_skin_file(broken);
    restart_with_dialogs();
    ASSERT_FALSE(dialogs.texts("error").empty());
    EXPECT_EQ(dialogs.texts("error")[0], "Bitmap image is not valid.");
    TForm1::set_skin_file({});
    EXPECT_EQ(form->context().copied_slot, -1);
}
