// The Find panel: Ctrl+F from a text field, the matches listed and shown in
// place, Replace all as one undo step, a refused replace, and the file saved
// after Undo as it was opened.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "codec/commands.h"
#include "editors/find_panel.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/list_box.h"
#include "editors/script_tab.h"
#include "support/named.h"
#include "support/window_fixture.h"

namespace {

QStringList rows(const QListView* list) {
    QStringList out;
    for (int i = 0; i < list->model()->rowCount(); ++i) out.append(list->model()->index(i, 0).data().toString());
    return out;
}

TEST_F(WindowTest, CtrlFFindsShowsThePlaceAndReplacesAllAsOneStep) {
    auto d = vellumark::samples::make_document(12, 6);
    d.level_names.strings[3] = "Bartoli's Hideout";
    d.key_strings[0].strings[1] = "P1";
    d.key_strings[4].strings[2] = "P1 and P1";
    const auto bytes = vellumark::samples::file_bytes(d);
    const QString file = open_sample("find.dat", bytes);
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    // Ctrl+F inside a text field opens the panel, ready for typing.
    named<QLineEdit>(form->levels(), "Edit1")->setFocus();
    QTest::keyClick(named<QLineEdit>(form->levels(), "Edit1"), Qt::Key_F, Qt::ControlModifier);
    FindPanel* find = form->find();
    ASSERT_TRUE(find->isVisible());
    EXPECT_TRUE(find->FindText->hasFocus());
    QTest::keyClicks(find->FindText, "bartoli");
    QApplication::processEvents();
    const auto& slot = record().scripts[4];
    int line = 0;
    while (slot.commands[std::size_t(line)].command != vellumark::cmd::kPlayLevel) ++line;
    EXPECT_EQ(find->ResultCount->text(), "2 matches");
    EXPECT_EQ(rows(find->ResultList),
              QStringList({"Level names, level 3 (Bartoli's Hideout): Bartoli's Hideout",
                           QString("Script commands, slot 4, command %1: Play level,3 (Bartoli's Hideout)").arg(line + 1)}));

    // Enter shows the first match and keeps the text for the next Enter; F3
    // the next, Shift+F3 the one before, from anywhere in the window.
    QTest::keyClick(find->FindText, Qt::Key_Return);
    EXPECT_EQ(form->tabs()->currentWidget(), form->levels());
    EXPECT_EQ(named<ListBox>(form->levels(), "ListBox1")->currentRow(), 3);
    EXPECT_TRUE(find->FindText->hasFocus());
    QTest::keyClick(find->FindText, Qt::Key_F3);
    EXPECT_EQ(form->tabs()->currentWidget(), form->script());
    EXPECT_EQ(named<ListBox>(form->script(), "ListBox9")->currentRow(), 4);
    EXPECT_EQ(named<ListBox>(form->script(), "ListBox10")->currentRow(), line);
    QTest::keyClick(named<ListBox>(form->script(), "ListBox10"), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(form->tabs()->currentWidget(), form->levels());

    // Replace all: every match in the strings, one undo step named for it.
    find->FindText->setText("P1");
    find->WholeWords->setChecked(true);
    find->ReplaceText->setText("Key");
    QApplication::processEvents();
    EXPECT_EQ(find->ResultCount->text(), "3 matches");
    QUndoStack* undo = doc().undoStack();
    const int steps = undo->count();
    // "Replace" takes the current match and goes on to the next.
    find->findNext();
    find->findNext();
    EXPECT_EQ(find->currentMatch(), 1);
    QTest::mouseClick(find->ReplaceButton, Qt::LeftButton);
    EXPECT_EQ(form->Undo1->text(), "Undo Replace 1 occurrence of \"P1\"");
    EXPECT_EQ(record().key_strings[4].strings[2], "Key and P1");
    EXPECT_EQ(find->currentMatch(), 1);
    EXPECT_EQ(form->keys()->memo(5)->textCursor().blockNumber(), 2);
    form->Undo1->trigger();
    QTest::mouseClick(find->ReplaceAllButton, Qt::LeftButton);
    EXPECT_EQ(undo->count(), steps + 1);
    EXPECT_EQ(form->Undo1->text(), "Undo Replace 3 occurrences of \"P1\"");
    EXPECT_EQ(lines_of(form->keys()->memo(1))[1], "Key");
    EXPECT_EQ(lines_of(form->keys()->memo(5))[2], "Key and Key");
    EXPECT_EQ(find->ResultCount->text(), "No match");

    // A replace that one string cannot take is refused whole.
    find->FindText->setText("Key");
    find->ReplaceText->setText(QString(250, 'x'));
    dialogs.clear();
    QTest::mouseClick(find->ReplaceAllButton, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("message"),
              std::vector<QString>{"Key Strings #5, level 2 cannot take the replacement: it would have 505 characters, "
                                   "and a script string holds at most 255. Nothing was replaced."});
    EXPECT_EQ(undo->count(), steps + 1);
    EXPECT_EQ(record().key_strings[0].strings[1], "Key");

    // Undone and saved, the file is what was opened.
    form->Undo1->trigger();
    form->Save1Click();
    EXPECT_EQ(vellumark::samples::read_file(file.toStdString()), bytes);
}

}  // namespace
