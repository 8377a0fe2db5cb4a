// The recent-files list: the "&File" menu entries after N3, moving entries to
// the top, clicks on entries, and the store between runs.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>

#include "editors/options_tab.h"
#include "editors/spin_edit.h"
#include "shell/recent_files.h"

#include "support/window_fixture.h"

class RecentFilesTest : public WindowTest {
protected:
    // n valid scripts named f1.dat..fn.dat, opened in order.
    QStringList open_files(int n) {
        QStringList paths;
        for (int i = 1; i <= n; ++i) paths.append(open_sample(QString("f%1.dat").arg(i), small_script(i, 2)));
        return paths;
    }
    // The entries after the separator N3, in menu order.
    QList<QAction*> entries() const {
        const QList<QAction*> all = form->file_menu()->actions();
        return all.mid(all.indexOf(form->N3) + 1);
    }
    void store(const QString& key, const QString& value) const {
        QSettings(path("settings.ini"), QSettings::IniFormat).setValue(key, value);
    }
};

TEST_F(RecentFilesTest, FourEntriesNewestFirstAndAReopenedOneMovesToTheTop) {
    const QStringList p = open_files(5);
    EXPECT_EQ(form->recent_files(), (QStringList{p[4], p[3], p[2], p[1]}));
    QStringList captions;
    for (QAction* a : entries()) captions.append(a->text());
    EXPECT_EQ(captions, (QStringList{"&1 " + p[4], "&2 " + p[3], "&3 " + p[2], "&4 " + p[1]}));

    open_path(p[2]);  // entry 3
    EXPECT_EQ(form->recent_files(), (QStringList{p[2], p[4], p[3], p[1]}));
}

TEST_F(RecentFilesTest, NamesDifferingInCaseAreTwoFilesWhereTheFileSystemSaysSo) {
    const QString lower = write_sample("case.dat", small_script(1, 2));
    const QString upper = write_sample("CASE.DAT", small_script(2, 2));
    open_path(lower);
    open_sample("other.dat", small_script(3, 2));
    open_path(upper);
    ASSERT_TRUE(dialogs.texts("error").empty());
    EXPECT_EQ(form->recent_files(), (QStringList{upper, path("other.dat"), lower}));
    entries()[2]->trigger();  // the lower-case entry opens its own file
    EXPECT_EQ(form->current_file_name(), lower);
    EXPECT_EQ(form->recent_files(), (QStringList{lower, upper, path("other.dat")}));

    // One file under two spellings is one entry with its stored spelling:
    // a second name of the same file stands for a file system without case.
    const QString alias = path("Case.Dat");
    ASSERT_TRUE(QFile::link(lower, alias));
    EXPECT_TRUE(same_recent_path(fileNameOf(lower), fileNameOf(alias)));
    EXPECT_FALSE(same_recent_path(fileNameOf(lower), fileNameOf(upper)));
}

TEST_F(RecentFilesTest, ClickingAnEntry) {
    const QStringList p = open_files(4);  // entries: 4 3 2 1
    form->options()->spin(1)->setValue(99);
    dialogs.saveChoices.push_back(SaveChoice::Discard);
    entries()[2]->trigger();  // f2.dat opens, the change discarded
    EXPECT_EQ(form->current_file_name(), p[1]);
    EXPECT_EQ(form->windowTitle(), p[1]);
    EXPECT_FALSE(form->modified());
    EXPECT_EQ(form->recent_files(), (QStringList{p[1], p[3], p[2], p[0]}));

    // A deleted file: nothing is shown or opened, yet the entry moves up.
    ASSERT_TRUE(QFile::remove(p[0]));
    dialogs.clear();
    entries()[3]->trigger();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(form->current_file_name(), p[1]);
    EXPECT_EQ(form->windowTitle(), p[1]);
    EXPECT_EQ(form->recent_files(), (QStringList{p[0], p[1], p[3], p[2]}));

    // A file that fails to load: its message, and nothing changes.
    vellumark::samples::write_file(p[2].toStdString(), {1, 2, 3});
    entries()[3]->trigger();
    EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{"Read beyond end of file."});
    EXPECT_EQ(form->recent_files(), (QStringList{p[0], p[1], p[3], p[2]}));
    EXPECT_EQ(form->current_file_name(), p[1]);
}

TEST_F(RecentFilesTest, TheStoreHoldsExactlyTheEntriesAfterARun) {
    restart();  // an empty list writes no group
    EXPECT_FALSE(QSettings(path("settings.ini"), QSettings::IniFormat).childGroups().contains("Form1.MRUList"));

    const QStringList p = open_files(3);
    // Written by someone else during the run: the group is replaced as a
    // whole, the rest of the store is left alone.
    store("Form1.MRUList/H3", "stale entry");
    store("Other/kept", "yes");
    restart();

    QSettings settings(path("settings.ini"), QSettings::IniFormat);
    EXPECT_EQ(settings.value("Other/kept").toString(), "yes");
    settings.beginGroup("Form1.MRUList");
    EXPECT_EQ(settings.childKeys(), (QStringList{"H0", "H1", "H2"}));
    EXPECT_EQ(settings.value("H0").toString(), p[2]);
    EXPECT_EQ(settings.value("H2").toString(), p[0]);
    EXPECT_EQ(form->recent_files(), (QStringList{p[2], p[1], p[0]}));
    EXPECT_EQ(entries().size(), 3);
}

TEST_F(RecentFilesTest, ReadingStopsAtAGapOrAnEmptyValue) {
    form.reset();
    store("Form1.MRUList/H0", "/one.dat");
    store("Form1.MRUList/H2", "/three.dat");
    restart();
    EXPECT_EQ(form->recent_files(), QStringList{"/one.dat"});

    form.reset();
    store("Form1.MRUList/H1", "");
    store("Form1.MRUList/H2", "/three.dat");
    restart();
    EXPECT_EQ(form->recent_files(), QStringList{"/one.dat"});
}
