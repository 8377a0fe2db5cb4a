// The "Script Commands" tab driven through the real main window: the slot
// listing, command Add/Replace/Delete, the demo level list, slot copy and
// paste, and a save after edits.
#include <QAction>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QListView>
#include <QPushButton>

#include <functional>
#include <tuple>

#include "codec/commands.h"
#include "codec/script_file.h"
#include "editors/levels_tab.h"
#include "editors/script_tab.h"
#include "editors/spin_edit.h"
#include "support/window_fixture.h"

namespace {

using vellumark::script_command;
using vellumark::script_slot;
using Commands = std::vector<script_command>;
using Levels = std::vector<std::uint16_t>;
using Shown = std::tuple<int, int, int>;           // selected line, chooser index, operand field
using Demo = std::tuple<QStringList, Levels, int>;  // the list's lines, demo_levels, demo_level_count

constexpr std::uint16_t kNone = 0xFFFF;
const QString kInvalidDemo = QStringLiteral("Invalid demo level # slot");

script_slot slot_of(const Commands& commands) {
    script_slot s;
    for (const auto& c : commands) s.commands[static_cast<std::size_t>(s.command_count++)] = c;
    return s;
}

Commands used(const script_slot& s) {
    return {s.commands.begin(), s.commands.begin() + std::max<int>(0, s.command_count)};
}

// Four levels with known names, two pictures, two movies, one cut-scene,
// demo levels 1 and 3, and five slots: 0 and 4 as generated, 1 the listing
// cases, 2 a short level slot, 3 full (63 commands and "End of set").
std::vector<std::uint8_t> test_file() {
    vellumark::Ttombpcdat doc = vellumark::samples::make_document(11, 4);
    doc.level_names.strings = {"Great Wall", "Venice", "Bartoli", "Opera"};
    doc.pic_files.strings = {"pic0", "pic1"};
    doc.fmv_files.strings = {"fmv0", "fmv1"};
    doc.cutscene_files.strings = {"cut0"};
    doc.demo_levels = {1, 3};
    doc.demo_level_count = 2;
    doc.scripts.at(1) = slot_of({{10, 33}, {10, 0}, {6, kNone}, {4, 2}, {3, 1}, {5, 0}, {12, 1},
                                 {7, 1}, {4, 99}, {30, kNone}, {9, kNone}});
    doc.scripts.at(2) = slot_of({{10, 5}, {4, 1}, {9, kNone}});
    Commands full(63, {10, 1});
    full.push_back({9, kNone});
    doc.scripts.at(3) = slot_of(full);
    return vellumark::samples::file_bytes(doc);
}

class ScriptTabTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        file = open_sample(QStringLiteral("TOMBPC.DAT"), test_file());
        dialogs.clear();
    }

    ScriptTab* t() const { return form->script(); }
    const script_slot& slot(int s) { return record().scripts.at(static_cast<std::size_t>(s)); }
    QStringList commands() const { return rows(t()->ListBox10); }
    Shown shown() const {
        return {current_row(t()->ListBox10), t()->ComboBox1->currentIndex(), t()->SpinEdit10->value()};
    }
    Demo demo() { return {rows(t()->ListBox11), record().demo_levels, record().demo_level_count}; }

    void select_slot(int s) { set_current_row(t()->ListBox9, s); }
    void select_line(int k) { set_current_row(t()->ListBox10, k); }
    void choose(int command, int operand) {
        t()->ComboBox1->setCurrentIndex(command);
        t()->SpinEdit10->setValue(operand);
    }
    // Presses a command button with line `line` selected and the command chosen.
    void press(QPushButton* b, int line, int command, int operand) {
        select_line(line);
        choose(command, operand);
        b->click();
    }
    // Presses a demo list button with entry `row` selected and `n` in the field.
    void demo_press(QPushButton* b, int row, int n) {
        set_current_row(t()->ListBox11, row);
        t()->SpinEdit11->setValue(n);
        b->click();
    }
    void confirmed(void (LevelsTab::*button)()) {
        dialogs.confirms.push_back(true);
        (form->levels()->*button)();
    }

    QString file;
};

TEST_F(WindowTest, ScriptTabWithNoSlotsDoesNothing) {
    ScriptTab* t = form->script();
    ASSERT_EQ(t->ComboBox1->count(), vellumark::kCommandNameCount);
    EXPECT_EQ(t->ComboBox1->itemText(9), QStringLiteral("End of set "));
    // The chooser is flat #9FCFFF with blue text, closed and open.
    form->tabs()->setCurrentWidget(t);
    form->show();
    QApplication::processEvents();
    const QImage face = t->ComboBox1->grab().toImage();
    EXPECT_EQ(face.pixelColor(face.width() / 2, face.height() / 2), QColor(0x9F, 0xCF, 0xFF));
    EXPECT_EQ(t->ComboBox1->view()->palette().color(QPalette::Base), QColor(0x9F, 0xCF, 0xFF));
    EXPECT_EQ(t->ComboBox1->view()->palette().color(QPalette::Text), QColor(Qt::blue));
    t->ComboBox1->setCurrentIndex(10);
    for (QPushButton* b : {t->Button15, t->Button14, t->Button16, t->Button11, t->Button17, t->Button18}) b->click();
    form->Copyscriptslot1->trigger();
    form->Pastescriptslot1->trigger();
    EXPECT_EQ(form->script()->copied_slot(), -1);
    EXPECT_EQ(row_count(t->ListBox10) + row_count(t->ListBox11), 0);
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>{kInvalidDemo});  // demo level 0 of no levels
    EXPECT_FALSE(form->modified());
}

TEST_F(ScriptTabTest, ListsASlotByNameOperandAndLookedUpName) {
    choose(18, 77);
    select_slot(1);
    EXPECT_EQ(commands(), (QStringList{"Play soundtrack,33", "Play soundtrack,0", "Show level-completion display ",
                                       "Play level,2 (Bartoli)", "Play FMV file,1 (fmv1)", "Play CutScene,0 (cut0)",
                                       "Show Chapter screen,1 (pic1)", "Play demo level:,1", "Play level,99 (?)",
                                       "---UNKNOWN(30)", "End of set "}));
    EXPECT_EQ(shown(), Shown(-1, 18, 77));  // the chooser and the operand field keep their values

    // Selecting a line shows it; a line without operand keeps the field, a
    // number the table doesn't name leaves the chooser empty.
    for (const Shown& s : {Shown(3, 4, 2), Shown(2, 6, 2), Shown(9, -1, 2)}) {
        select_line(std::get<0>(s));
        EXPECT_EQ(shown(), s);
    }

    doc().setEntry(vellumark::table_id::level_names, 2, "Opera House", "Replace level 2");  // names are read when listing
    EXPECT_EQ(commands().at(3), QStringLiteral("Play level,2 (Opera House)"));  // and when they change
    mark_saved();
    select_slot(2);
    select_slot(1);
    EXPECT_EQ(commands().at(3), QStringLiteral("Play level,2 (Opera House)"));
    EXPECT_FALSE(form->modified());
}

TEST_F(ScriptTabTest, AddPutsTheCommandUnderTheSelectedLineOrFirstAndKeepsTheOperandsLow16Bits) {
    select_slot(2);
    EXPECT_TRUE(changes([&] { press(t()->Button15, -1, 10, 33); }));  // no line selected: the first command
    EXPECT_EQ(commands(), (QStringList{"Play soundtrack,33", "Play soundtrack,5", "Play level,1 (Venice)", "End of set "}));
    EXPECT_EQ(shown(), Shown(0, 10, 33));
    press(t()->Button15, 3, 6, 500);  // under the last line: appended; no operand is stored as none
    EXPECT_EQ(shown(), Shown(4, 6, 500));
    press(t()->Button15, 1, 4, 3);
    EXPECT_EQ(commands().at(2), QStringLiteral("Play level,3 (Opera)"));
    EXPECT_EQ(shown(), Shown(2, 4, 3));
    EXPECT_EQ(used(slot(2)), (Commands{{10, 33}, {10, 5}, {4, 3}, {4, 1}, {9, kNone}, {6, kNone}}));
    EXPECT_FALSE(changes([&] { press(t()->Button15, 1, -1, 3); }));  // no command chosen
    EXPECT_EQ(slot(2).command_count, 6);

    for (int operand : {-1, 65535, 65536, 0}) press(t()->Button15, -1, 10, operand);  // each goes first
    EXPECT_EQ(commands().mid(0, 4), (QStringList{"Play soundtrack,0", "Play soundtrack,0", "Play soundtrack", "Play soundtrack"}));
    EXPECT_EQ(Commands(slot(2).commands.begin(), slot(2).commands.begin() + 4),
              (Commands{{10, 0}, {10, 0}, {10, kNone}, {10, kNone}}));
}

TEST_F(ScriptTabTest, ReplaceOverwritesTheSelectedLineAndKeepsTheCount) {
    select_slot(2);
    EXPECT_FALSE(changes([&] { press(t()->Button14, -1, 18, 7); }));  // no line selected
    EXPECT_EQ(used(slot(2)), (Commands{{10, 5}, {4, 1}, {9, kNone}}));
    EXPECT_TRUE(changes([&] { press(t()->Button14, 0, 18, 7); }));
    EXPECT_EQ(commands(), (QStringList{"Give item,7", "Play level,1 (Venice)", "End of set "}));
    EXPECT_EQ(current_row(t()->ListBox10), 0);
    press(t()->Button14, 1, 9, 0);  // the last command made "End of set ": the slot is not shortened
    EXPECT_EQ(current_row(t()->ListBox10), 1);
    EXPECT_FALSE(changes([&] { press(t()->Button14, 1, -1, 0); }));  // no command chosen
    EXPECT_EQ(used(slot(2)), (Commands{{18, 7}, {9, kNone}, {9, kNone}}));
}

TEST_F(ScriptTabTest, DeleteSelectsTheFollowingLine) {
    select_slot(2);
    EXPECT_FALSE(changes([&] { t()->Button16->click(); }));  // no line selected
    EXPECT_EQ(slot(2).command_count, 3);
    select_line(0);
    EXPECT_TRUE(changes([&] { t()->Button16->click(); }));
    EXPECT_EQ(commands(), (QStringList{"Play level,1 (Venice)", "End of set "}));
    EXPECT_EQ(shown(), Shown(0, 4, 1));
    select_line(1);  // the last line: none selected, the chooser and operand keep their values
    t()->Button16->click();
    EXPECT_EQ(commands(), QStringList{"Play level,1 (Venice)"});
    EXPECT_EQ(shown(), Shown(-1, 9, 1));
    select_line(0);  // the only command: the slot becomes empty, also when listed again
    t()->Button16->click();
    EXPECT_EQ(slot(2).command_count, 0);
    select_slot(1);
    select_slot(2);
    EXPECT_EQ(row_count(t()->ListBox10), 0);
}

TEST_F(ScriptTabTest, ASlotHoldsAtMost64Commands) {
    select_slot(3);
    ASSERT_EQ(row_count(t()->ListBox10), 64);
    const script_slot before = slot(3);
    EXPECT_FALSE(changes([&] { press(t()->Button15, 10, 10, 2); }));
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>{QStringLiteral("A script slot holds at most 64 commands.")});
    EXPECT_EQ(slot(3), before);
    EXPECT_EQ(row_count(t()->ListBox10), 64);
    t()->Button14->click();  // Replace still works on a full slot
    EXPECT_EQ(slot(3).commands[10], (script_command{10, 2}));
    EXPECT_EQ(slot(3).command_count, 64);
}

TEST_F(ScriptTabTest, DemoLevelList) {
    ScriptTab* d = t();
    ASSERT_EQ(demo(), Demo({"Venice", "Opera"}, {1, 3}, 2));
    demo_press(d->Button11, -1, 4);  // numbers from the level count up, and below 0, are refused
    demo_press(d->Button11, -1, -1);
    demo_press(d->Button17, 0, 4);
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>(3, kInvalidDemo));
    EXPECT_EQ(demo(), Demo({"Venice", "Opera"}, {1, 3}, 2));
    EXPECT_FALSE(form->modified());

    set_current_row(d->ListBox11, 1);
    EXPECT_EQ(d->SpinEdit11->value(), 3);  // the selected entry's number
    EXPECT_TRUE(changes([&] { demo_press(d->Button11, 1, 0); }));  // appended whatever is selected
    EXPECT_EQ(demo(), Demo({"Venice", "Opera", "Great Wall"}, {1, 3, 0}, 3));
    demo_press(d->Button17, 0, 2);
    EXPECT_EQ(demo(), Demo({"Bartoli", "Opera", "Great Wall"}, {2, 3, 0}, 3));
    EXPECT_FALSE(changes([&] { demo_press(d->Button17, -1, 1); }));  // Replace with no entry selected
    EXPECT_TRUE(changes([&] { demo_press(d->Button18, 0, 0); }));  // Delete takes the last entry
    EXPECT_EQ(demo(), Demo({"Bartoli", "Opera"}, {2, 3}, 2));
    d->Button18->click();
    d->Button18->click();
    EXPECT_EQ(demo(), Demo({}, {}, 0));
    EXPECT_FALSE(changes([&] { d->Button18->click(); }));  // on an empty list
}

TEST_F(ScriptTabTest, PasteCopiesWhatTheSourceHoldsAtPasteTime) {
    select_slot(2);
    EXPECT_FALSE(changes([&] { form->Pastescriptslot1->trigger(); }));  // nothing copied since the load
    EXPECT_FALSE(changes([&] { form->Copyscriptslot1->trigger(); }));
    EXPECT_EQ(t()->copied_slot(), 2);
    press(t()->Button15, -1, 14, 0);  // the source changes after Copy
    const script_slot source = slot(2);

    select_slot(4);
    EXPECT_TRUE(changes([&] { form->Pastescriptslot1->trigger(); }));
    EXPECT_EQ(slot(4), source);
    EXPECT_EQ(commands(), (QStringList{"Lose your weapons ", "Play soundtrack,5", "Play level,1 (Venice)", "End of set "}));
    EXPECT_EQ(shown(), Shown(0, 14, 0));
    select_slot(2);  // onto itself: unchanged, but modified
    EXPECT_TRUE(changes([&] { form->Pastescriptslot1->trigger(); }));
    EXPECT_EQ(slot(2), source);

    select_slot(4);  // a copied slot that no longer exists
    form->Copyscriptslot1->trigger();
    confirmed(&LevelsTab::Button5Click);
    confirmed(&LevelsTab::Button5Click);
    ASSERT_EQ(row_count(t()->ListBox9), 3);
    select_slot(1);
    const script_slot target = slot(1);
    EXPECT_FALSE(changes([&] { form->Pastescriptslot1->trigger(); }));
    EXPECT_EQ(slot(1), target);

    confirmed(&LevelsTab::Button6Click);  // Copy with no slots keeps the slot remembered earlier
    form->Copyscriptslot1->trigger();
    EXPECT_EQ(t()->copied_slot(), 4);
    EXPECT_FALSE(changes([&] { form->Pastescriptslot1->trigger(); }));
}

TEST_F(ScriptTabTest, SavedEditsReadBackAsTheSameSlots) {
    select_slot(1);  // slot 1 keeps one "End of set", last
    press(t()->Button14, 7, 20, 3);
    select_line(9);
    t()->Button16->click();
    press(t()->Button15, 0, 12, 0);
    select_slot(2);
    form->Copyscriptslot1->trigger();
    select_slot(4);
    form->Pastescriptslot1->trigger();
    demo_press(t()->Button11, -1, 2);
    ASSERT_TRUE(form->modified());

    form->Save1Click();
    EXPECT_TRUE(dialogs.texts("error").empty());
    EXPECT_EQ(dialogs.texts("information"), std::vector<QString>{file + QStringLiteral(" Saved!")});
    EXPECT_FALSE(form->modified());
    const auto saved = vellumark::parse_script(vellumark::samples::read_file(file.toStdString()));
    EXPECT_EQ(used(saved.scripts.at(1)), (Commands{{10, 33}, {12, 0}, {10, 0}, {6, kNone}, {4, 2}, {3, 1}, {5, 0},
                                                   {12, 1}, {20, 3}, {4, 99}, {9, kNone}}));
    ASSERT_EQ(saved.scripts.size(), record().scripts.size());
    for (std::size_t i = 0; i < saved.scripts.size(); ++i)
        EXPECT_EQ(used(saved.scripts[i]), used(record().scripts[i])) << "slot " << i;
    EXPECT_EQ(std::make_pair(saved.demo_levels, saved.demo_level_count), std::make_pair(Levels{1, 3, 2}, std::int16_t{3}));
}

}  // namespace
