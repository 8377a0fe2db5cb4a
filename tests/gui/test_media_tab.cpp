// The Fmv/CutScenes tab: selecting, Replace, "Delete Last" (the selected
// entry), Add New, and what Save writes afterwards.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "codec/script_file.h"
#include "editors/list_edit.h"
#include "editors/media_tab.h"
#include "editors/options_tab.h"
#include "support/window_fixture.h"

using vellumark::Ttombpcdat;
using vellumark::samples::file_bytes;
using vellumark::samples::make_document;

namespace {

// Movies a-c, cut-scenes 1-2 and four title pictures, shown on the tab.
class MediaTabTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Ttombpcdat doc = make_document(11, 4);
        doc.fmv_files.strings = {"a.rpl", "b.rpl", "c.rpl"};
        doc.cutscene_files.strings = {"cut1.tr2", "cut2.tr2"};
        doc.title_files.strings = {"title.pcx", "legal.pcx", "logo.pcx", "end.pcx"};
        file = open_sample(QStringLiteral("media.dat"), file_bytes(doc));
        dialogs.clear();
        form->tabs()->setCurrentIndex(1);
        form->show();
        QApplication::processEvents();
        m = form->media();
    }

    Ttombpcdat save_and_read() {
        form->Save1Click();
        EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{});
        return vellumark::parse_script(vellumark::samples::read_file(file.toStdString()));
    }

    // The "Slot#" labels of the three columns.
    QStringList slot_labels() const { return {m->Label7->text(), m->Label8->text(), m->Label9->text()}; }

    QString file;
    MediaTab* m = nullptr;
};

TEST_F(MediaTabTest, SelectingCopiesIntoItsOwnColumnOnly) {
    click_row(m->ListBox5, 0);
    EXPECT_EQ(m->Edit5->text(), "cut1.tr2");
    EXPECT_EQ(slot_labels(), (QStringList{"Slot#", "Slot#0", "Slot#"}));
    EXPECT_TRUE(m->Edit4->text().isEmpty());
    EXPECT_EQ(selected_row(m->ListBox4), -1);
    EXPECT_EQ(selected_row(m->ListBox6), -1);
    click_row(m->ListBox6, 3);
    EXPECT_EQ(slot_labels(), (QStringList{"Slot#", "Slot#0", "Slot#3"}));
    EXPECT_FALSE(form->modified());
}

TEST_F(MediaTabTest, DeleteLastRemovesTheSelectedEntry) {
    click_row(m->ListBox4, 1);
    QTest::mouseClick(m->Button7, Qt::LeftButton);
    EXPECT_EQ(rows(m->ListBox4), (QStringList{"a.rpl", "c.rpl"}));
    EXPECT_TRUE(form->modified());
    EXPECT_TRUE(dialogs.shown.empty());  // no confirmation here

    // Nothing is selected now: a second press removes nothing, yet counts as a change.
    mark_saved();
    QTest::mouseClick(m->Button7, Qt::LeftButton);
    EXPECT_EQ(rows(m->ListBox4), (QStringList{"a.rpl", "c.rpl"}));
    EXPECT_TRUE(form->modified());

    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.fmv_count, 2);
    EXPECT_EQ(saved.fmv_files.strings, (std::vector<std::string>{"a.rpl", "c.rpl"}));
}

TEST_F(MediaTabTest, ReplaceAndAddNew) {
    click_row(m->ListBox6, 2);
    m->Edit6->setText("new.pcx");
    QTest::mouseClick(m->Button24, Qt::LeftButton);
    EXPECT_EQ(row_text(m->ListBox6, 2), "new.pcx");
    EXPECT_EQ(selected_row(m->ListBox6), 2);

    m->Edit5->setText("unused");  // Replace without a selection changes no entry
    QTest::mouseClick(m->Button22, Qt::LeftButton);
    EXPECT_EQ(rows(m->ListBox5), (QStringList{"cut1.tr2", "cut2.tr2"}));

    // An empty box adds an empty entry; the box keeps its text and nothing new is selected.
    QTest::mouseClick(m->Button21, Qt::LeftButton);
    m->Edit9->setText("d.rpl");
    QTest::mouseClick(m->Button3, Qt::LeftButton);
    QTest::mouseClick(m->Button3, Qt::LeftButton);
    EXPECT_EQ(rows(m->ListBox5), (QStringList{"cut1.tr2", "cut2.tr2", ""}));
    EXPECT_EQ(rows(m->ListBox4), (QStringList{"a.rpl", "b.rpl", "c.rpl", "d.rpl", "d.rpl"}));
    EXPECT_EQ(m->Edit9->text(), "d.rpl");
    EXPECT_EQ(selected_row(m->ListBox4), -1);
    EXPECT_TRUE(form->modified());

    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.title_files.strings, (std::vector<std::string>{"title.pcx", "legal.pcx", "new.pcx", "end.pcx"}));
    EXPECT_EQ(saved.cutscene_count, 3);
    EXPECT_EQ(saved.cutscene_files.strings.back(), "");
    EXPECT_EQ(saved.fmv_count, 5);
}

}  // namespace

// A PlayStation script and a script of its beta: the layout in the caption,
// the movie records beside the movie list, 80 (79) game strings 2, and the
// same bytes saved.
TEST_F(WindowTest, PlayStationScriptsKeepTheirLayoutAndMovieRecords) {
    MediaTab* m = form->media();
    for (const bool beta : {false, true}) {
        SCOPED_TRACE(beta ? "beta" : "PlayStation");
        const auto console = beta ? vellumark::samples::make_beta_document(6, 6)
                                  : vellumark::samples::make_console_document(6, 6);
        const auto bytes = file_bytes(console);
        ASSERT_GE(console.fmv_files.strings.size(), 2u);
        dialogs.clear();
        const QString p = open_sample(beta ? "beta.dat" : "console.dat", bytes);
        ASSERT_TRUE(dialogs.shown.size() == 1 && dialogs.texts("error").empty());  // the open dialog only
        EXPECT_EQ(form->windowTitle(), p + (beta ? " [PlayStation beta]" : " [PlayStation]"));
        EXPECT_EQ(row_count(form->options()->ListBox8), beta ? 79 : 80);
        ASSERT_FALSE(m->MovieRecord1->isHidden());
        click_row(m->ListBox4, 1);
        EXPECT_EQ(m->MovieRecord2->text(), QString::number(console.movie_records[1].second));

        m->MovieRecord2->setFocus();
        m->MovieRecord2->selectAll();
        QTest::keyClicks(m->MovieRecord2, "4321");  // one step
        EXPECT_EQ(record().movie_records[1].second, 4321u);
        EXPECT_EQ(form->Undo1->text(), "Undo Change the record of movie 1");
        m->Edit9->setText("new.rpl");
        QTest::mouseClick(m->Button3, Qt::LeftButton);  // the new movie comes with a record
        EXPECT_EQ(record().movie_records.size(), console.fmv_files.strings.size() + 1);
        click_row(m->ListBox4, 0);
        QTest::mouseClick(m->Button7, Qt::LeftButton);  // and goes with its own
        EXPECT_EQ(record().movie_records.front().second, 4321u);
        for (int i = 0; i < 3; ++i) form->Undo1->trigger();
        EXPECT_FALSE(form->modified());
        form->Save1Click();
        EXPECT_EQ(vellumark::samples::read_file(p.toStdString()), bytes);
    }

    // A PC script followed by stray bytes opens and says so.
    auto stray = small_script(5, 3);
    stray.insert(stray.end(), {1, 2});
    dialogs.clear();
    open_sample("stray.dat", stray);
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>{"2 bytes after the last key-string table are not part of "
                                                             "the script; a save will not keep them."});
    EXPECT_EQ(form->windowTitle(), path("stray.dat"));
    EXPECT_TRUE(m->MovieRecord1->isHidden());
}
