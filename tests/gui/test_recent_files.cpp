// The recent-files list: the "&File" menu entries after N3, moving entries to
// the top, clicks on entries, and the store between runs.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>

#include "support/window_fixture.h"

namespace {

// Captions of the entries after the separator N3, in menu order.
QStringList captions(TForm1& form) {
    QStringList out;
    bool after = false;
    for (QAction* a : form.file_menu()->actions()) {
        if (after) out.append(a->text());
        if (a == form.N3) after = true;
    }
    return out;
}

QAction* entry(TForm1& form, int i) {
    const QList<QAction*> all = form.file_menu()->actions();
    return all.value(all.indexOf(form.N3) + 1 + i);
}

}  // namespace

class RecentFilesTest : public WindowTest {
protected:
    // n valid scripts named f1.dat..fn.dat, opened in order.
    QStringList open_files(int n) {
        QStringList paths;
        for (int i = 1; i <= n; ++i) paths.append(open_sample(QString("f%1.dat").arg(i), small_script(i, 2)));
        return paths;
    }
    QString ini() const { return path("settings.ini"); }
};

TEST_F(RecentFilesTest, FiveOpensKeepTheLastFourNewestFirst) {
    const QStringList p = open_files(5);
    EXPECT_EQ(form->recent_files(), (QStringList{p[4], p[3], p[2], p[1]}));
    EXPECT_EQ(captions(*form), (QStringList{"&1 " + p[4], "&2 " + p[3], "&3 " + p[2], "&4 " + p[1]}));
}

TEST_F(RecentFilesTest, ReopeningEntryThreeMakesItEntryOne) {
    const QStringList p = open_files(4);  // entries: 4 3 2 1
    open_path(p[1]);                      // entry 3
    EXPECT_EQ(form->recent_files(), (QStringList{p[1], p[3], p[2], p[0]}));
}

TEST_F(RecentFilesTest, MatchingIgnoresCaseAndKeepsTheStoredSpelling) {
    const QString lower = write_sample("case.dat", small_script(1, 2));
    const QString upper = write_sample("CASE.DAT", small_script(2, 2));
    open_path(lower);
    open_sample("other.dat", small_script(3, 2));
    open_path(upper);
    ASSERT_TRUE(dialogs.texts("error").empty());
    EXPECT_EQ(form->recent_files(), (QStringList{lower, path("other.dat")}));
    EXPECT_EQ(form->current_file_name(), upper);
}

TEST_F(RecentFilesTest, ClickingAnExistingEntryOpensIt) {
    const QStringList p = open_files(4);
    form->context().modified = true;
    entry(*form, 2)->trigger();  // entry 3: f2.dat
    EXPECT_EQ(form->current_file_name(), p[1]);
    EXPECT_EQ(form->windowTitle(), p[1]);
    EXPECT_FALSE(form->context().modified);
    EXPECT_EQ(form->recent_files(), (QStringList{p[1], p[3], p[2], p[0]}));
}

TEST_F(RecentFilesTest, ClickingADeletedFileShowsNothingAndMovesItUp) {
    const QStringList p = open_files(3);  // entries: 3 2 1
    ASSERT_TRUE(QFile::remove(p[0]));
    dialogs.clear();
    entry(*form, 2)->trigger();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(form->current_file_name(), p[2]);
    EXPECT_EQ(form->windowTitle(), p[2]);
    EXPECT_EQ(form->recent_files(), (QStringList{p[0], p[2], p[1]}));
}

TEST_F(RecentFilesTest, ClickingAFileThatFailsToLoadChangesNothing) {
    const QStringList p = open_files(3);
    vellumark::samples::write_file(p[0].toStdString(), {1, 2, 3});
    dialogs.clear();
    entry(*form, 2)->trigger();
    EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{"Read beyond end of file."});
    EXPECT_EQ(form->recent_files(), (QStringList{p[2], p[1], p[0]}));
    EXPECT_EQ(form->current_file_name(), p[2]);
}

TEST_F(RecentFilesTest, SaveAsAddsNoEntry) {
    const QStringList p = open_files(1);
    dialogs.fileNames.push_back(path("copy.dat"));
    form->SaveAS1Click();
    EXPECT_EQ(form->recent_files(), QStringList{p[0]});
}

TEST_F(RecentFilesTest, TheStoreHoldsExactlyTheEntriesAfterARun) {
    const QStringList p = open_files(3);
    {
        // Written by someone else during the run: the group is replaced as a
        // whole, the rest of the store is left alone.
        QSettings seed(ini(), QSettings::IniFormat);
        seed.setValue("Form1.MRUList/H3", "stale entry");
        seed.setValue("Other/kept", "yes");
    }
    restart();

    QSettings store(ini(), QSettings::IniFormat);
    store.beginGroup("Form1.MRUList");
    EXPECT_EQ(store.childKeys(), (QStringList{"H0", "H1", "H2"}));
    EXPECT_EQ(store.value("H0").toString(), p[2]);
    EXPECT_EQ(store.value("H2").toString(), p[0]);
    store.endGroup();
    EXPECT_EQ(store.value("Other/kept").toString(), "yes");
    EXPECT_EQ(form->recent_files(), (QStringList{p[2], p[1], p[0]}));
    EXPECT_EQ(captions(*form).size(), 3);
}

TEST_F(RecentFilesTest, ReadingStopsAtAGapOrAnEmptyValue) {
    form.reset();
    {
        QSettings store(ini(), QSettings::IniFormat);
        store.setValue("Form1.MRUList/H0", "/one.dat");
        store.setValue("Form1.MRUList/H2", "/three.dat");
    }
    restart();
    EXPECT_EQ(form->recent_files(), QStringList{"/one.dat"});

    form.reset();
    {
        QSettings store(ini(), QSettings::IniFormat);
        store.setValue("Form1.MRUList/H1", "");
        store.setValue("Form1.MRUList/H2", "/three.dat");
    }
    restart();
    EXPECT_EQ(form->recent_files(), QStringList{"/one.dat"});
}

TEST_F(RecentFilesTest, AnEmptyListWritesNoGroup) {
    restart();
    QSettings store(ini(), QSettings::IniFormat);
    EXPECT_FALSE(store.childGroups().contains("Form1.MRUList"));
}

TEST(RecentFilesStore, TestsKeepAwayFromTheUsersConfiguration) {
    // The default store follows the configuration folder, which the tests'
    // main() moves to a throwaway place.
    ASSERT_TRUE(QStandardPaths::isTestModeEnabled());
    QSettings store(QSettings::IniFormat, QSettings::UserScope, application_title(), application_title());
    EXPECT_TRUE(store.fileName().startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)))
        << store.fileName().toStdString();
    EXPECT_TRUE(store.fileName().contains("qttest")) << store.fileName().toStdString();
}
