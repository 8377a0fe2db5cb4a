// Nothing is lost at the edges: line breaks inside strings, key-string lines
// past the last level, unsaved work under a new open, a file another program
// rewrote, over-long and unstorable input, the file a first save replaces.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QClipboard>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>

#include "codec/script_file.h"
#include "codec/tables.h"
#include "editors/add_level_dialog.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/list_edit.h"
#include "editors/media_tab.h"
#include "editors/options_tab.h"
#include "editors/spin_edit.h"
#include "support/window_fixture.h"

namespace {

using vellumark::samples::file_bytes;
using vellumark::samples::make_document;
using vellumark::samples::read_file;
using Bytes = std::vector<std::uint8_t>;

Bytes read(const QString& p) { return read_file(p.toStdString()); }

TEST_F(WindowTest, LineBreaksInsideStringsSurviveTheWindow) {
    auto d = make_document(21, 5);
    d.level_names.strings[1] = "Two\nlines";
    d.level_names.strings[2] = "A\rB";
    d.game_strings1.strings[0] = "g\r\n1";
    d.game_strings2.strings[40] = "\nlast";
    d.key_strings[0].strings[2] = "Key\nwith newline";
    d.key_strings[9].strings[4] = "\r";
    const Bytes bytes = file_bytes(d);
    const QString p = open_sample("breaks.dat", bytes);

    // Every entry stays one line, its breaks shown as symbols.
    LevelsTab* l = form->levels();
    EXPECT_EQ(rows(l->ListBox1).mid(1, 2), (QStringList{"Two\u240Alines", "A\u240DB"}));
    EXPECT_EQ(rows(form->options()->ListBox7).value(0), "g\u240D\u240A1");
    EXPECT_EQ(lines_of(form->keys()->memo(1)).size(), 5);
    EXPECT_EQ(lines_of(form->keys()->memo(1)).value(2), "Key\u240Awith newline");
    EXPECT_EQ(lines_of(form->keys()->memo(10)).value(4), "\u240D");
    EXPECT_TRUE(transcript().contains("\u240Alast"));

    // Read back through an edit box and a memo line, the bytes are the same.
    click_row(l->ListBox1, 1);
    l->Button1->click();
    QPlainTextEdit* memo = form->keys()->memo(1);
    memo->setTextCursor(QTextCursor(memo->document()->findBlockByNumber(2)));
    QTest::keyClick(memo, Qt::Key_X);
    QTest::keyClick(memo, Qt::Key_Backspace);
    ASSERT_TRUE(form->modified());
    form->Save1Click();
    EXPECT_EQ(read(p), bytes);
}

TEST_F(WindowTest, KeyStringLinesPastTheLastLevelAreNamedBeforeTheSave) {
    const QString p = open_sample("keys.dat", small_script(22, 4));
    const Bytes before = read(p);
    dialogs.confirms.push_back(true);
    form->levels()->Button5Click();  // three levels left, four lines in every memo
    form->keys()->memo(3)->appendPlainText("typed");
    dialogs.clear();

    form->Save1Click();  // answered No: nothing is saved
    QString expected = "The script has 3 levels, so these key strings will not be saved:\n";
    for (int n = 1; n <= 10; ++n)
        expected += n == 3 ? "Key Strings #3, levels 3 to 4\n" : QString("Key Strings #%1, level 3\n").arg(n);
    EXPECT_EQ(dialogs.texts("confirm"), std::vector<QString>{expected + "\nSave without them?"});
    EXPECT_TRUE(dialogs.texts("information").empty());
    EXPECT_EQ(read(p), before);
    EXPECT_TRUE(form->modified());

    dialogs.confirms.push_back(true);
    form->Save1Click();
    EXPECT_EQ(dialogs.texts("information"), std::vector<QString>{p + " Saved!"});
    const auto saved = vellumark::parse_script(read(p));
    for (int n = 1; n <= 10; ++n) {
        EXPECT_EQ(lines_of(form->keys()->memo(n)), texts(saved.key_strings[n - 1].strings)) << n;
        EXPECT_EQ(saved.key_strings[n - 1].strings.size(), 3u);
    }
}

TEST_F(WindowTest, OpeningOverUnsavedWorkAsksFirst) {
    const QString a = open_sample("a.dat", small_script(23, 3));
    const QString b = write_sample("b.dat", small_script(24, 3));
    form->options()->spin(1)->setValue(111);
    dialogs.clear();

    open_path(b);  // Cancel: nothing changes
    EXPECT_EQ(dialogs.texts("askToSave"),
              std::vector<QString>{"The script has changes that are not saved. Save them before another script is "
                                   "opened?"});
    EXPECT_EQ(form->current_file_name(), a);
    EXPECT_EQ(form->options()->spin(1)->value(), 111);

    dialogs.saveChoices = {SaveChoice::Save};  // saved, then opened
    open_path(b);
    EXPECT_EQ(vellumark::parse_script(read(a)).first_option, 111);
    EXPECT_EQ(form->current_file_name(), b);

    // A save that fails keeps the question open; then Discard opens.
    doc().setEntry(vellumark::table_id::level_names, 0, std::string(256, 'x'), "Replace level 0");
    dialogs.clear();
    dialogs.saveChoices = {SaveChoice::Save, SaveChoice::Discard};
    open_path(a);
    EXPECT_EQ(dialogs.texts("askToSave").size(), 2u);
    EXPECT_EQ(dialogs.texts("error").size(), 1u);
    EXPECT_EQ(form->current_file_name(), a);
    EXPECT_FALSE(form->modified());
}

TEST_F(WindowTest, AFileRewrittenByAnotherProgramIsNotOverwrittenUnasked) {
    const QString p = open_sample("shared.dat", small_script(25, 3));
    const Bytes theirs = small_script(26, 5);
    vellumark::samples::write_file(p.toStdString(), theirs);
    form->options()->spin(2)->setValue(5);

    form->Save1Click();  // No: their file stays
    ASSERT_EQ(dialogs.texts("confirm").size(), 1u);
    EXPECT_EQ(dialogs.texts("confirm")[0],
              p + " was changed by another program after it was opened or saved here. Overwrite it?");
    EXPECT_EQ(read(p), theirs);
    EXPECT_TRUE(dialogs.texts("information").empty());

    dialogs.confirms.push_back(true);
    form->Save1Click();
    EXPECT_EQ(vellumark::parse_script(read(p)).title_replace, 5);
    dialogs.clear();
    form->options()->spin(2)->setValue(6);
    form->Save1Click();  // our own save changed the file: no question
    dialogs.fileNames.push_back(path("other.dat"));
    form->SaveAS1Click();
    EXPECT_TRUE(dialogs.texts("confirm").empty());
    EXPECT_EQ(dialogs.texts("information").size(), 2u);
}

TEST_F(WindowTest, InputIsRefusedWholeWithAMessageNeverCut) {
    // An edit box refuses text that would pass 255 characters.
    QLineEdit* edits[] = {form->levels()->Edit1, form->levels()->Form3()->Edit2, form->media()->Edit9,
                          form->options()->Edit7};
    for (QLineEdit* e : edits) {
        e->setText("abc");
        e->insert(QString(300, QLatin1Char('x')));
        EXPECT_EQ(e->text(), "abc") << e->objectName().toStdString();
    }
    QApplication::processEvents();
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>(std::size(edits), kTooLongTextMessage.arg(303)));

    // A memo refuses what the code page cannot hold as it is typed or pasted.
    open_sample("memo.dat", small_script(27, 3));
    dialogs.clear();
    QPlainTextEdit* memo = form->keys()->memo(3);
    const auto before = record().key_strings[2].strings;
    memo->setFocus();
    QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_unknown, QString::fromUtf8("\u0394"), {});
    QApplication::processEvents();
    QApplication::clipboard()->setText(QString::fromUtf8("pasted \u4e2d"));
    memo->paste();
    QApplication::processEvents();
    EXPECT_EQ(record().key_strings[2].strings, before);
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>(2, unstorableTextMessage(doc().codePageTable())));
    EXPECT_FALSE(form->modified());

    // ... and a line that would pass 255 characters, pasted, typed or joined,
    // with the edit boxes' message.
    doc().setEntry(vellumark::key_table(2), 0, std::string(255, 'k'), "Replace key");
    mark_saved();
    dialogs.clear();
    const auto full = record().key_strings[2].strings;
    const int second = int(full[1].size());
    QTextCursor c(memo->document()->findBlockByNumber(1));
    memo->setTextCursor(c);
    QApplication::clipboard()->setText(QString(300, QLatin1Char('p')));
    memo->paste();
    QApplication::processEvents();
    c.movePosition(QTextCursor::PreviousCharacter);  // the end of the full line
    memo->setTextCursor(c);
    QTest::keyClick(memo, Qt::Key_Z);
    QApplication::processEvents();
    c.movePosition(QTextCursor::NextCharacter);
    memo->setTextCursor(c);
    QTest::keyClick(memo, Qt::Key_Backspace);
    QApplication::processEvents();
    EXPECT_EQ(record().key_strings[2].strings, full);
    EXPECT_EQ(dialogs.texts("message"), (std::vector<QString>{kTooLongTextMessage.arg(300 + second),
                                                              kTooLongTextMessage.arg(256),
                                                              kTooLongTextMessage.arg(255 + second)}));
    EXPECT_FALSE(form->modified());
    // What fits goes in.
    QTest::keyClick(memo, Qt::Key_A);
    EXPECT_EQ(record().key_strings[2].strings[1], "a" + full[1]);
}

}  // namespace

namespace {

// The previous bytes of path as its backup holds them; empty when it has none.
Bytes backup_of(const QString& p) {
    return QFileInfo(p + ".bak").isFile() ? read(p + ".bak") : Bytes{};
}

}  // namespace

// The first save over a file after it was opened, by Save or by Save As onto
// an existing file, keeps its previous bytes as NAME.bak; later saves keep
// that backup. "Keep a backup on first save" is on by default and
// remembered; a backup that cannot be written stops the save.
TEST_F(WindowTest, TheFirstSaveOverAFileKeepsItsPreviousBytes) {
    ASSERT_TRUE(form->KeepBackup1->isChecked());
    const Bytes a_bytes = small_script(31, 3), b_bytes = small_script(32, 4);
    const QString a = open_sample("a.dat", a_bytes);
    const QString b = write_sample("b.dat", b_bytes);
    form->options()->spin(1)->setValue(7);
    form->Save1Click();
    EXPECT_EQ(backup_of(a), a_bytes);
    const Bytes first_save = read(a);
    form->options()->spin(1)->setValue(8);
    form->Save1Click();
    EXPECT_EQ(backup_of(a), a_bytes) << "only the first save keeps a backup";
    EXPECT_NE(read(a), first_save);

    dialogs.fileNames.push_back(b);  // Save As onto an existing file
    form->SaveAS1Click();
    EXPECT_EQ(backup_of(b), b_bytes);
    dialogs.fileNames.push_back(path("new.dat"));  // nothing to keep
    form->SaveAS1Click();
    EXPECT_FALSE(QFileInfo::exists(path("new.dat.bak")));
    const Bytes reopened = read(a);
    open_path(a);  // a new open: its first save keeps a backup again
    form->options()->spin(1)->setValue(9);
    form->Save1Click();
    EXPECT_EQ(backup_of(a), reopened);

    // Off, and remembered.
    form->KeepBackup1->trigger();
    restart();
    EXPECT_FALSE(form->KeepBackup1->isChecked());
    const QString c = open_sample("c.dat", small_script(33, 3));
    form->options()->spin(1)->setValue(7);
    form->Save1Click();
    EXPECT_FALSE(QFileInfo::exists(c + ".bak"));

    // A backup that cannot be written: nothing is saved, the edit stays.
    form->KeepBackup1->trigger();
    const Bytes d_bytes = small_script(34, 3);
    const QString d = open_sample("d.dat", d_bytes);
    ASSERT_TRUE(QDir().mkdir(d + ".bak"));
    form->options()->spin(1)->setValue(7);
    dialogs.clear();
    form->Save1Click();
    EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{"\"" + d + "\" was not saved: its backup \"" + d +
                                                           ".bak\" could not be written: File access denied."});
    EXPECT_TRUE(dialogs.texts("information").empty());
    EXPECT_EQ(read(d), d_bytes);
    EXPECT_TRUE(form->modified());
}
