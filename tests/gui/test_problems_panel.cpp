// The Problems panel: checked as the document changes, counted in the menu
// bar, and a double-click shows the place.
#include <QAction>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "codec/commands.h"
#include "editors/keystrings_tab.h"
#include "editors/problems_panel.h"
#include "editors/script_tab.h"
#include "support/window_fixture.h"

namespace {

TEST_F(WindowTest, ProblemsAreListedLiveAndADoubleClickShowsThePlace) {
    form->show();
    QApplication::processEvents();
    const QSize window = form->size();
    auto d = vellumark::samples::make_document(31, 6);
    d.scripts[2].commands[0] = {vellumark::cmd::kPlayLevel, 25};
    open_sample("problems.dat", vellumark::samples::file_bytes(d));
    QApplication::processEvents();
    EXPECT_EQ(form->ProblemCount->text(), "0 errors, 1 warning");
    form->keys()->memo(4)->appendPlainText("past the last level");  // checked as it is typed
    QApplication::processEvents();
    EXPECT_EQ(form->ProblemCount->text(), "0 errors, 2 warnings");

    form->Problems1->trigger();
    QApplication::processEvents();
    QTreeWidget* list = form->problems()->ProblemList;
    ASSERT_TRUE(form->problems()->isVisible());
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "slot 2, command 1");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "Play level 25 names no level (the script has 6 levels)");

    // A double-click goes to the place: the slot and its command line ...
    emit list->itemActivated(list->topLevelItem(0), 0);
    EXPECT_EQ(form->tabs()->currentWidget(), form->script());
    EXPECT_EQ(current_row(form->script()->ListBox9), 2);
    EXPECT_EQ(current_row(form->script()->ListBox10), 0);
    // ... or the memo line.
    emit list->itemActivated(list->topLevelItem(1), 0);
    EXPECT_EQ(form->tabs()->currentWidget(), form->keys());
    EXPECT_EQ(form->keys()->memo(4)->textCursor().blockNumber(), 6);

    // Mended, the warnings go at once.
    form->keys()->memo(4)->setPlainText(texts(d.key_strings[3].strings, 6).join('\n'));
    auto slot = record().scripts[2];
    slot.commands[0] = {vellumark::cmd::kPlayLevel, 1};
    doc().setSlot(2, slot, "Replace command");
    QApplication::processEvents();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(form->ProblemCount->text(), "0 errors, 0 warnings");

    // Hidden, the window has its size and layout again.
    form->ProblemCount->click();
    QApplication::processEvents();
    EXPECT_FALSE(form->problems()->isVisible());
    EXPECT_EQ(form->size(), window);
}

TEST_F(WindowTest, OnALaptopScreenTheWindowWithThePanelStaysOnTheScreen) {
    form->centreOnScreen();
    form->show();
    QApplication::processEvents();
    const QRect room = form->screen()->availableGeometry();
    ASSERT_EQ(room.size(), QSize(1366, 768));
    // Centred at its own size, not at Qt's first 640x480 (up to the frame
    // that a shown window gets).
    EXPECT_NE(form->size(), QSize(640, 480));
    const QRect frame = form->frameGeometry();
    const QPoint off = frame.center() - room.center();
    EXPECT_LE(std::abs(off.x()), (frame.width() - form->width()) / 2 + 1) << off.x();
    EXPECT_LE(std::abs(off.y()), (frame.height() - form->height()) / 2 + 1) << off.y();

    // With no script open there is nothing to count or list.
    EXPECT_TRUE(form->ProblemCount->text().isEmpty());
    form->Problems1->trigger();
    QApplication::processEvents();
    EXPECT_EQ(form->problems()->ProblemList->topLevelItemCount(), 0);
    form->Problems1->trigger();

    auto d = vellumark::samples::make_document(31, 6);
    d.scripts[2].commands[0] = {vellumark::cmd::kPlayLevel, 25};
    open_sample("laptop.dat", vellumark::samples::file_bytes(d));
    QApplication::processEvents();
    EXPECT_EQ(form->ProblemCount->text(), "0 errors, 1 warning");
    // Shown, from the middle of the screen and from its bottom edge, the
    // panel keeps a few rows and the window stays on the screen.
    for (const int top : {form->y(), room.bottom() - form->frameGeometry().height()}) {
        form->move(form->x(), top);
        form->Problems1->trigger();
        QApplication::processEvents();
        ASSERT_TRUE(form->problems()->isVisible());
        EXPECT_TRUE(room.contains(form->frameGeometry())) << form->frameGeometry().bottom() << " " << top;
        EXPECT_GE(form->problems()->ProblemList->height(), form->problems()->ProblemList->minimumHeight());
        EXPECT_EQ(form->problems()->ProblemList->topLevelItemCount(), 1);
        form->Problems1->trigger();
        QApplication::processEvents();
    }
}

}  // namespace
