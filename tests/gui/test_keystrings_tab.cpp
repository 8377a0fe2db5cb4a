// The Key strings tab: memo lines against the level count, the lines the save
// takes, and the lines it refuses.
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QToolTip>

#include "codec/check.h"
#include "codec/script_file.h"
#include "editors/keystrings_tab.h"
#include "editors/level_column.h"
#include "support/window_fixture.h"

using vellumark::Ttombpcdat;
using vellumark::samples::file_bytes;
using vellumark::samples::make_document;
using Strings = std::vector<std::string>;

namespace {

Strings lines_of(int first, int count) {
    Strings out;
    for (int i = 0; i < count; ++i) out.push_back("key " + std::to_string(first + i));
    return out;
}

class KeyStringsTabTest : public WindowTest {
protected:
    void open_document(const Ttombpcdat& doc) {
        file = open_sample(QStringLiteral("keys.dat"), file_bytes(doc));
        ASSERT_EQ(form->current_file_name(), file);
        dialogs.clear();
    }

    KeyStringsTab* k() const { return form->keys(); }
    const Strings& keys(int memo) const { return record().key_strings[std::size_t(memo - 1)].strings; }
    void set_lines(int memo, const Strings& lines) {
        k()->memo(memo)->setPlainText(texts(lines).join(QLatin1Char('\n')));
    }
    QString file;
};

TEST_F(KeyStringsTabTest, TenCaptionedMemosInAHorizontallyScrollingBox) {
    form->tabs()->setCurrentIndex(4);
    form->show();
    QApplication::processEvents();
    QStringList captions;
    for (QLabel* label : k()->ScrollBox1->widget()->findChildren<QLabel*>()) captions.append(label->text());
    for (int i = 1; i <= 10; ++i) EXPECT_TRUE(captions.contains(QStringLiteral("Key Strings #%1").arg(i))) << i;
    for (int i = 2; i <= 10; ++i) EXPECT_GT(k()->memo(i)->x(), k()->memo(i - 1)->x()) << i;  // side by side
    EXPECT_GT(k()->ScrollBox1->horizontalScrollBar()->maximum(), 0);
}

// The memos are filled when the tab is first shown, and are painted then.
TEST_F(KeyStringsTabTest, MemosFilledWhenTheTabIsFirstShownShowTheirLines) {
    form->show();
    open_document(make_document(32, 7));
    form->tabs()->setCurrentWidget(k());
    QApplication::processEvents();
    for (int m = 1; m <= 10; ++m) {
        const QPlainTextEdit* memo = k()->findChild<QPlainTextEdit*>(QStringLiteral("Memo%1").arg(m));
        EXPECT_TRUE(memo->updatesEnabled()) << m;
        EXPECT_EQ(lines_of(memo), texts(keys(m))) << m;
    }
}

// Where a line of a memo or of the level column stands in the tab.
int line_top(QPlainTextEdit* edit, QWidget* tab, int line) {
    const QTextCursor start(edit->document()->findBlockByNumber(line));
    return edit->viewport()->mapTo(tab, edit->cursorRect(start).topLeft()).y();
}

TEST_F(KeyStringsTabTest, LevelColumnStandsBesideTheMemoLinesAndScrollsWithThem) {
    const Ttombpcdat doc = make_document(34, 60);
    form->show();
    open_document(doc);
    form->tabs()->setCurrentWidget(k());
    QApplication::processEvents();
    QPlainTextEdit* column = k()->Levels->Levels;
    QStringList expected;
    for (int i = 0; i < 60; ++i) expected.append(QString::number(i) + " " + texts(doc.level_names.strings)[i]);
    EXPECT_EQ(lines_of(column), expected);
    // The memos stand side by side, not spread over the width of all sixteen.
    EXPECT_LT(k()->memo(2)->x() - k()->memo(1)->x(), k()->memo(1)->width() + 20);
    for (const int line : {0, 7}) {
        EXPECT_EQ(line_top(column, k(), line), line_top(k()->memo(1), k(), line)) << line;
        EXPECT_EQ(line_top(column, k(), line), line_top(k()->memo(2), k(), line)) << line;
    }

    // Scrolled in one memo, to its end too, the column and the other memos
    // follow.
    QScrollBar* bar = k()->memo(2)->verticalScrollBar();
    for (const int first : {20, bar->maximum()}) {
        bar->setValue(first);
        QApplication::processEvents();
        EXPECT_EQ(column->verticalScrollBar()->value(), first);
        EXPECT_EQ(line_top(column, k(), 45), line_top(k()->memo(1), k(), 45));
        EXPECT_EQ(line_top(column, k(), 45), line_top(k()->memo(2), k(), 45));
    }

    // A memo line's tool tip names its level.
    QPlainTextEdit* memo = k()->memo(3);
    const QPoint at(10, line_top(memo, memo->viewport(), 45) + 2);
    QHelpEvent tip(QEvent::ToolTip, at, memo->viewport()->mapToGlobal(at));
    QApplication::sendEvent(memo->viewport(), &tip);
    EXPECT_EQ(QToolTip::text(), "Key Strings #3, level 45 (" + texts(doc.level_names.strings)[45] + ")");
}

TEST_F(KeyStringsTabTest, MemosShorterAndLongerThanTheLevelCount) {
    const Ttombpcdat doc = make_document(31, 12);
    open_document(doc);
    for (int m = 1; m <= 10; ++m) EXPECT_EQ(lines_of(k()->memo(m)).size(), 12);
    set_lines(3, lines_of(0, 10));
    set_lines(4, lines_of(100, 15));
    k()->memo(5)->clear();
    EXPECT_TRUE(form->modified());

    dialogs.confirms.push_back(true);  // lines 13 to 15 of Memo4 are not saved
    form->Save1Click();
    ASSERT_EQ(dialogs.texts("error"), std::vector<QString>{});
    const Ttombpcdat saved = vellumark::parse_script(vellumark::samples::read_file(file.toStdString()));
    Strings short_memo = lines_of(0, 10);
    short_memo.resize(12);
    EXPECT_EQ(saved.key_strings[2].strings, short_memo);
    EXPECT_EQ(saved.key_strings[3].strings, lines_of(100, 12));
    EXPECT_EQ(saved.key_strings[4].strings, Strings(12));
    EXPECT_EQ(saved.key_strings[0].strings, doc.key_strings[0].strings);

    const Ttombpcdat second = make_document(32, 2);  // a second file leaves only its own lines
    open_document(second);
    EXPECT_EQ(lines_of(k()->memo(4)).size(), 2);
    EXPECT_EQ(keys(4), second.key_strings[3].strings);
}

TEST_F(KeyStringsTabTest, LinesAreTakenAsEnteredWithEveryByteKept) {
    // A no-break space (byte 0xA0) stays itself.
    set_lines(1, {std::string("a\xA0" "b"), "second"});
    EXPECT_EQ(keys(1), (Strings{std::string("a\xA0" "b"), "second"}));

    QPlainTextEdit* memo = k()->memo(2);  // Shift+Enter ends a line too
    memo->setFocus();
    QTest::keyClicks(memo, "one");
    QTest::keyClick(memo, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(memo, "two");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "three");
    EXPECT_EQ(keys(2), (Strings{"one", "two", "three"}));
}

TEST_F(KeyStringsTabTest, SaveRefusesALineItCannotStoreByNameAndKeepsTheFile) {
    open_document(make_document(33, 3));
    const std::vector<std::uint8_t> before = vellumark::samples::read_file(file.toStdString());
    const std::pair<QString, QString> cases[] = {
        {QString("a\n") + QString(255, QLatin1Char('y')) + "\n" + QString(256, QLatin1Char('x')),
         "Key Strings #6, level 2 is longer than 255 characters and cannot be saved."},
    };
    for (const auto& [text, error] : cases) {
        SCOPED_TRACE(error.toStdString());
        dialogs.clear();
        k()->memo(6)->setPlainText(text);
        form->Save1Click();
        EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{error});
        EXPECT_TRUE(dialogs.texts("information").empty());
        EXPECT_EQ(vellumark::samples::read_file(file.toStdString()), before);
        EXPECT_TRUE(form->modified());
    }
}

// A PlayStation beta script: six more memos after the ten, "Secret 1" to
// "Special 2", edited, named by the check and undone like the others, and
// saved as the bytes that were opened; hidden for the other layouts.
TEST_F(KeyStringsTabTest, TheBetasSixMoreMemosAreEditedCheckedAndUndoneLikeTheOthers) {
    form->tabs()->setCurrentWidget(k());
    form->show();
    open_document(make_document(34, 4));
    for (int m = 11; m <= 16; ++m) EXPECT_FALSE(k()->memo(m)->isVisible()) << m;

    vellumark::Ttombpcdat beta = vellumark::samples::make_beta_document(34, 4);
    beta.beta_key_strings[5].strings = {"Sun", "Moon", "Star", "Sky"};  // Special 2
    form->tabs()->setCurrentIndex(0);  // the memos are filled when the tab is shown
    open_document(beta);
    const std::vector<std::uint8_t> opened = vellumark::samples::read_file(file.toStdString());
    EXPECT_EQ(form->windowTitle(), file + " [PlayStation beta]");
    form->tabs()->setCurrentWidget(k());
    QApplication::processEvents();
    EXPECT_EQ(lines_of(k()->findChild<QPlainTextEdit*>(QStringLiteral("Memo15"))),
              texts(beta.beta_key_strings[4].strings));
    QStringList captions;
    for (QLabel* label : k()->ScrollBox1->widget()->findChildren<QLabel*>())
        if (label->isVisible()) captions.append(label->text());
    EXPECT_EQ(captions.mid(10), (QStringList{"Secret 1", "Secret 2", "Secret 3", "Secret 4", "Special 1", "Special 2"}));
    for (int m = 11; m <= 16; ++m) EXPECT_GT(k()->memo(m)->x(), k()->memo(m - 1)->x()) << m;
    EXPECT_EQ(lines_of(k()->memo(16)), (QStringList{"Sun", "Moon", "Star", "Sky"}));
    EXPECT_EQ(lines_of(k()->memo(11)), texts(beta.beta_key_strings[0].strings));

    QPlainTextEdit* memo = k()->memo(16);
    memo->setFocus();
    memo->setTextCursor(QTextCursor(memo->document()->findBlockByNumber(1)));
    QTest::keyClicks(memo, "Full ");
    EXPECT_EQ(record().beta_key_strings[5].strings[1], "Full Moon");
    EXPECT_EQ(form->Undo1->text(), "Undo Edit Special 2, level 1 (" + texts(beta.level_names.strings).value(1) + ")");

    // Too long to save: listed in Problems, which goes to its line; refused
    // by its name, the file kept.
    k()->memo(16)->setPlainText(QStringLiteral("Sun\nMoon\n") + QString(256, QLatin1Char('x')));
    QApplication::processEvents();
    EXPECT_EQ(form->ProblemCount->text(), "1 error, 0 warnings");
    form->tabs()->setCurrentIndex(0);
    form->goTo(vellumark::check_script(record()).front().where);
    EXPECT_EQ(form->tabs()->currentWidget(), k());
    EXPECT_EQ(k()->memo(16)->textCursor().blockNumber(), 2);
    form->Save1Click();
    EXPECT_EQ(dialogs.texts("error"),
              std::vector<QString>{"Special 2, level 2 is longer than 255 characters and cannot be saved."});
    EXPECT_EQ(vellumark::samples::read_file(file.toStdString()), opened);

    while (form->document()->undoStack()->canUndo()) form->Undo1->trigger();
    EXPECT_EQ(lines_of(k()->memo(16)), (QStringList{"Sun", "Moon", "Star", "Sky"}));
    EXPECT_FALSE(form->modified());
    form->Save1Click();
    EXPECT_EQ(vellumark::samples::read_file(file.toStdString()), opened);
}

}  // namespace
