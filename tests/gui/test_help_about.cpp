// The help window and the About window.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTime>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/main_window.h"
#include "shell/help_window.h"
#include "shell/about_window.h"
#include "support/scripted_dialogs.h"

namespace {

// Runs the test inside a fresh working directory.
class InFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        old_cwd = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
    }
    void TearDown() override { QDir::setCurrent(old_cwd); }

    void write_readme(const QByteArray& bytes) {
        QFile f(dir.filePath("readme"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    QString old_cwd;
    ScriptedDialogs dialogs;
};

TEST(HelpWindow, HoldsTheManualInOrder) {
    TForm5 help;
    EXPECT_EQ(help.windowTitle(), "Vellumark : Help.");
    const QString text = help.RichEdit1->toPlainText();
    // Paragraphs are not hard-wrapped: the window wraps them.
    EXPECT_GT(text.count(QStringLiteral("\n\n")), 50);
    EXPECT_TRUE(text.contains(QStringLiteral("the game-flow script that Tomb Raider II reads when it starts")));
    // The tabs first, then adding levels step by step.
    qsizetype at = 0;
    for (const char* topic : {"Level's Description", "Level's File Names", "Tomb Raider III", "RPLs File Names",
                              "Cut Scene File names", "Titles and legal", "Demo Time", "Select Any Level",
                              "Game String 1", "Slot 0 runs the title level", "Slot 1 runs the home level",
                              "Slot n plays level n - 1", "list N holds the name of the Nth pick-up",
                              "ADDING YOUR OWN LEVELS", "copy and rename the level files", "replace a level or add",
                              "enable \"Select Any Level\"", "Play soundtrack", "Play level",
                              "Show level-completion display", "End of set", "save the file"}) {
        const qsizetype next = text.indexOf(QString::fromUtf8(topic), at);
        EXPECT_GE(next, at) << topic;
        if (next >= 0) at = next;
    }
}

TEST_F(InFolder, HelpIsOneModelessWindowAboutIsModal) {
    write_readme("x\n");
    TForm1 w(dialogs);
    w.HelpmePlease1Click();
    TForm5* help = w.form5();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    help->RichEdit1->setPlainText(QStringLiteral("my own notes"));
    help->close();
    w.HelpmePlease1Click();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->RichEdit1->toPlainText(), "my own notes");
    int windows = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) windows += qobject_cast<TForm5*>(top) != nullptr;
    EXPECT_EQ(windows, 1);
    EXPECT_TRUE(dialogs.shown.empty());  // nothing waited on it

    w.AboutThis1Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "exec");
    EXPECT_EQ(dialogs.shown[0].caption, "About this ...");
}

TEST_F(InFolder, AboutShowsTheReadmeReadOnceInWindows1252OrUtf8) {
    const std::pair<QByteArray, QString> cases[] = {
        {"Vellumark\r\n\r\nsecond line \xe9\r\nlast", QString::fromUtf8("Vellumark\n\nsecond line \u00e9\nlast")},
        {"caf\xc3\xa9 \xe2\x82\xac\n", QString::fromUtf8("caf\u00e9 \u20ac")},
    };
    for (const auto& [bytes, text] : cases) {
        write_readme(bytes);
        TForm6 about(dialogs);
        EXPECT_EQ(about.Memo1->toPlainText(), text);
        // The text scrolls and ends above the clock: nothing hides under it.
        EXPECT_LE(about.Memo1->geometry().bottom(), about.Panel1->geometry().top());
        EXPECT_EQ(about.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        // Changed on disk afterwards: the window keeps what it read.
        write_readme("changed\n");
        about.show();
        about.hide();
        EXPECT_EQ(about.Memo1->toPlainText(), text);
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(InFolder, MissingReadmeIsReportedAndStartUpGoesOn) {
    TForm6 about(dialogs);
    EXPECT_EQ(dialogs.shown[0].kind, "error");
    EXPECT_EQ(dialogs.shown[0].caption, application_title());
    EXPECT_EQ(dialogs.shown[0].text, "Cannot open file readme.");
    EXPECT_TRUE(about.Memo1->toPlainText().isEmpty());
    EXPECT_TRUE(about.Timer1->isActive());

    // A FIFO named readme is refused the same way, without waiting for a writer.
    ASSERT_EQ(::mkfifo("readme", 0600), 0);
    alarm(60);  // a wait ends the test rather than holding it up
    TForm6 fifo(dialogs);
    alarm(0);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, "Cannot open file readme.");
}

TEST_F(InFolder, ClockShowsTheLocalesLongTimeFromTheFirstTick) {
    write_readme("x\n");
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TForm6 about(dialogs);
    EXPECT_EQ(about.Panel1->text(), "Panel1");
    EXPECT_TRUE(about.Timer1->isActive());  // running while hidden
    EXPECT_EQ(about.Timer1->interval(), 1000);

    about.Timer1Timer();
    // Hour without a leading zero, minutes, seconds and the marker; no zone.
    const QTime t = QTime::fromString(about.Panel1->text(), QStringLiteral("h:mm:ss AP"));
    ASSERT_TRUE(t.isValid()) << about.Panel1->text().toStdString();
    // Seconds apart on the clock's dial, also across midnight.
    const int apart = std::abs(t.secsTo(QTime::currentTime()));
    EXPECT_LE(std::min(apart, 24 * 3600 - apart), 2);

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    about.Timer1Timer();
    EXPECT_TRUE(QTime::fromString(about.Panel1->text(), QStringLiteral("HH:mm:ss")).isValid())
        << about.Panel1->text().toStdString();
    QLocale::setDefault(saved);
}

}  // namespace
