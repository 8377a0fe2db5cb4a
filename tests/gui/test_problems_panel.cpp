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
#include "editors/media_tab.h"
#include "editors/options_tab.h"
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
    EXPECT_EQ(current_row(named<ListBox>(form->script(), "ListBox9")), 2);
    EXPECT_EQ(current_row(named<ListBox>(form->script(), "ListBox10")), 0);
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

// Each place goes to the tab that holds it, which selects its entry, slot
// and command line, or memo line.
TEST_F(WindowTest, GoToShowsEachPlaceOnTheTabThatHoldsIt) {
    form->show();
    auto d = vellumark::samples::make_document(31, 6);
    d.demo_levels = {1, 2};
    d.demo_level_count = 2;
    open_sample("places.dat", vellumark::samples::file_bytes(d));
    using vellumark::place;
    using vellumark::table_id;
    const auto table = [](table_id t, int index) { return place{place::area::table, t, index}; };
    const struct {
        place where;
        QWidget* tab;
        const char* list;  // the list that shows the place
        int row;           // its selected row afterwards
    } cases[] = {
        {table(table_id::level_names, 1), form->levels(), "ListBox1", 1},
        {table(table_id::level_files, 2), form->levels(), "ListBox2", 2},
        {table(table_id::pic_files, 1), form->levels(), "ListBox3", 1},
        {table(table_id::fmv_files, 1), form->media(), "ListBox4", 1},
        {table(table_id::cutscene_files, 1), form->media(), "ListBox5", 1},
        {table(table_id::title_files, 0), form->media(), "ListBox6", 0},
        {table(table_id::game_strings1, 3), form->options(), "ListBox7", 3},
        {table(table_id::game_strings2, 1), form->options(), "ListBox8", 1},
        {{place::area::slot, {}, 3, 1}, form->script(), "ListBox10", 1},
        {{place::area::demo_levels, {}, 1}, form->script(), "ListBox11", 1},
        {table(table_id::level_names, 99), form->levels(), "ListBox1", 2},  // past the end: the level selected above stays
    };
    for (const auto& c : cases) {
        form->tabs()->setCurrentWidget(form->keys());
        form->goTo(c.where);
        EXPECT_EQ(form->tabs()->currentWidget(), c.tab) << c.list;
        EXPECT_EQ(current_row(named<ListBox>(c.tab, c.list)), c.row) << c.list;
    }
    EXPECT_EQ(current_row(named<ListBox>(form->script(), "ListBox9")), 3);

    form->tabs()->setCurrentWidget(form->levels());
    form->goTo(table(vellumark::key_table(2), 4));
    EXPECT_EQ(form->tabs()->currentWidget(), form->keys());
    EXPECT_EQ(form->keys()->memo(3)->textCursor().blockNumber(), 4);
    form->goTo(place{});  // the whole document: no tab of its own
    EXPECT_EQ(form->tabs()->currentWidget(), form->keys());
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
