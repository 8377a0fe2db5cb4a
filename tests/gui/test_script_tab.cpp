// The "Script Commands" tab driven through the real main window: the slot
// listing, command Add/Replace/Delete, the demo level list, slot copy and
// paste, and a save after edits.
#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

#include "codec/commands.h"
#include "codec/script_file.h"
#include "editors/levels_tab.h"
#include "editors/script_tab.h"
#include "editors/spin_edit.h"
#include "shell/Unit1.h"
#include "support/scripted_dialogs.h"
#include "tests/samples/sample_scripts.h"

namespace {

using vellumark::script_command;
using vellumark::script_slot;
using vellumark::Ttombpcdat;

constexpr std::uint16_t kNone = 0xFFFF;

script_slot slot_of(std::initializer_list<script_command> commands) {
    script_slot s;
    for (const auto& c : commands) s.commands[static_cast<std::size_t>(s.command_count++)] = c;
    return s;
}

// Only the commands in use count.
std::vector<script_command> used(const script_slot& s) {
    return {s.commands.begin(), s.commands.begin() + std::max<int>(0, s.command_count)};
}

QStringList lines(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// Four levels with known names, two pictures, two movies, one cut-scene,
// demo levels 1 and 3, and five slots:
//   0: title (as generated)   1: the listing cases   2: a short level slot
//   3: 63 commands and "End of set"   4: as generated
Ttombpcdat test_document() {
    Ttombpcdat doc = vellumark::samples::make_document(11, 4);
    doc.level_names.strings = {"Great Wall", "Venice", "Bartoli", "Opera"};
    doc.pic_files.strings = {"pic0", "pic1"};
    doc.fmv_files.strings = {"fmv0", "fmv1"};
    doc.cutscene_files.strings = {"cut0"};
    doc.demo_levels = {1, 3};
    doc.demo_level_count = 2;
    doc.scripts.at(1) = slot_of({{10, 33}, {10, 0}, {6, kNone}, {4, 2}, {3, 1}, {5, 0}, {12, 1},
                                 {7, 1}, {4, 99}, {30, kNone}, {9, kNone}});
    doc.scripts.at(2) = slot_of({{10, 5}, {4, 1}, {9, kNone}});
    script_slot full;
    for (int i = 0; i < 63; ++i) full.commands[static_cast<std::size_t>(full.command_count++)] = {10, 1};
    full.commands[static_cast<std::size_t>(full.command_count++)] = {9, kNone};
    doc.scripts.at(3) = full;
    return doc;
}

class ScriptTabTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        TForm1::set_settings_file(dir.filePath(QStringLiteral("settings.ini")));
        window = std::make_unique<TForm1>(dialogs);
    }
    void TearDown() override {
        window.reset();
        TForm1::set_settings_file({});
    }

    void open(const Ttombpcdat& doc) {
        path = dir.filePath(QStringLiteral("TOMBPC.DAT"));
        vellumark::samples::write_file(path.toStdString(), vellumark::samples::file_bytes(doc));
        window->load_script_file(path);
        ASSERT_EQ(tab()->ListBox9->currentRow(), 0);
        ASSERT_FALSE(ctx().modified);
    }

    ScriptTab* tab() const { return window->script(); }
    EditorContext& ctx() { return window->context(); }
    const script_slot& slot(int s) { return ctx().doc.scripts.at(static_cast<std::size_t>(s)); }

    void select_slot(int s) { tab()->ListBox9->setCurrentRow(s); }
    void select_line(int k) { tab()->ListBox10->setCurrentRow(k); }
    void choose(int command, int operand) {
        tab()->ComboBox1->setCurrentIndex(command);
        tab()->SpinEdit10->setValue(operand);
    }
    QStringList command_lines() const { return lines(tab()->ListBox10); }
    QStringList demo_lines() const { return lines(tab()->ListBox11); }

    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<TForm1> window;
};

TEST_F(ScriptTabTest, StartsEmptyWithTheCommandTableInTheChooser) {
    ScriptTab* t = tab();
    ASSERT_EQ(t->ComboBox1->count(), vellumark::kCommandNameCount);
    for (int i = 0; i < vellumark::kCommandNameCount; ++i)
        EXPECT_EQ(t->ComboBox1->itemText(i).toStdString(), vellumark::command_names[static_cast<std::size_t>(i)]);
    EXPECT_EQ(t->ComboBox1->itemText(9), QStringLiteral("End of set "));
    EXPECT_FALSE(t->ComboBox1->isEditable());
    EXPECT_EQ(t->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(t->SpinEdit10->text(), QStringLiteral("0"));
    EXPECT_EQ(t->SpinEdit11->text(), QStringLiteral("0"));
    EXPECT_EQ(t->ListBox9->count() + t->ListBox10->count() + t->ListBox11->count(), 0);

    // With no slots every button and Paste do nothing.
    choose(10, 3);
    t->SpinEdit11->setValue(0);
    for (QPushButton* b : {t->Button15, t->Button14, t->Button16, t->Button11, t->Button17, t->Button18})
        b->click();
    window->Copyscriptslot1->trigger();
    window->Pastescriptslot1->trigger();
    EXPECT_EQ(ctx().copied_slot, -1);
    EXPECT_EQ(t->ListBox10->count(), 0);
    EXPECT_EQ(t->ListBox11->count(), 0);
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>{QStringLiteral("Invalid demo level # slot")});
    EXPECT_FALSE(ctx().modified);
}

TEST_F(ScriptTabTest, ListsASlotByNameOperandAndLookedUpName) {
    open(test_document());
    choose(18, 77);  // the chooser and the operand field keep their values
    select_slot(1);
    EXPECT_EQ(command_lines(), (QStringList{
                                   "Play soundtrack,33",
                                   "Play soundtrack,0",
                                   "Show level-completion display ",
                                   "Play level,2 (Bartoli)",
                                   "Play FMV file,1 (fmv1)",
                                   "Play CutScene,0 (cut0)",
                                   "Show Chapter screen,1 (pic1)",
                                   "Play demo level:,1",
                                   "Play level,99 (?)",
                                   "---UNKNOWN(30)",
                                   "End of set ",
                               }));
    EXPECT_EQ(tab()->ListBox10->currentRow(), -1);
    EXPECT_EQ(tab()->ComboBox1->currentIndex(), 18);
    EXPECT_EQ(tab()->SpinEdit10->value(), 77);

    // Selecting a line shows it; a line without operand keeps the field.
    select_line(3);
    EXPECT_EQ(tab()->ComboBox1->currentIndex(), 4);
    EXPECT_EQ(tab()->SpinEdit10->value(), 2);
    select_line(2);
    EXPECT_EQ(tab()->ComboBox1->currentIndex(), 6);
    EXPECT_EQ(tab()->SpinEdit10->value(), 2);
    select_line(9);  // a number the table doesn't name
    EXPECT_EQ(tab()->ComboBox1->currentIndex(), -1);

    // Names are read from the lists when the slot is listed.
    window->levels()->ListBox1->item(2)->setText(QStringLiteral("Opera House"));
    select_slot(2);
    select_slot(1);
    EXPECT_EQ(command_lines().at(3), QStringLiteral("Play level,2 (Opera House)"));
    EXPECT_FALSE(ctx().modified);
}

TEST_F(ScriptTabTest, AddPutsTheCommandUnderTheSelectedLineOrFirst) {
    open(test_document());
    select_slot(2);

    choose(10, 33);  // no line selected: becomes the first command
    tab()->Button15->click();
    EXPECT_EQ(command_lines(), (QStringList{"Play soundtrack,33", "Play soundtrack,5", "Play level,1 (Venice)", "End of set "}));
    EXPECT_EQ(tab()->ListBox10->currentRow(), 0);
    EXPECT_EQ(slot(2).command_count, 4);
    EXPECT_TRUE(ctx().modified);

    select_line(3);  // the last line: appends
    choose(6, 500);  // no operand: stored as none whatever the field holds
    tab()->Button15->click();
    EXPECT_EQ(command_lines().last(), QStringLiteral("Show level-completion display "));
    EXPECT_EQ(tab()->ListBox10->currentRow(), 4);
    EXPECT_EQ(tab()->ComboBox1->currentIndex(), 6);
    EXPECT_EQ(tab()->SpinEdit10->value(), 500);
    EXPECT_EQ(slot(2).commands[4], (script_command{6, kNone}));

    select_line(1);
    choose(4, 3);
    tab()->Button15->click();
    EXPECT_EQ(command_lines().at(2), QStringLiteral("Play level,3 (Opera)"));
    EXPECT_EQ(tab()->ListBox10->currentRow(), 2);
    EXPECT_EQ(used(slot(2)), (std::vector<script_command>{{10, 33}, {10, 5}, {4, 3}, {4, 1}, {9, kNone}, {6, kNone}}));

    // No command chosen: nothing happens.
    ctx().modified = false;
    tab()->ComboBox1->setCurrentIndex(-1);
    tab()->Button15->click();
    EXPECT_EQ(slot(2).command_count, 6);
    EXPECT_FALSE(ctx().modified);
}

TEST_F(ScriptTabTest, OperandKeepsItsLow16Bits) {
    open(test_document());
    select_slot(2);
    for (int operand : {-1, 65535, 65536, 0}) {
        tab()->ListBox10->setCurrentRow(-1);
        choose(10, operand);
        tab()->Button15->click();
    }
    EXPECT_EQ(command_lines().mid(0, 4),
              (QStringList{"Play soundtrack,0", "Play soundtrack,0", "Play soundtrack", "Play soundtrack"}));
    EXPECT_EQ(slot(2).commands[2].operand, kNone);
    EXPECT_EQ(slot(2).commands[3].operand, kNone);
    EXPECT_EQ(slot(2).commands[1].operand, 0);
}

TEST_F(ScriptTabTest, ReplaceOverwritesTheSelectedLineAndKeepsTheCount) {
    open(test_document());
    select_slot(2);

    choose(18, 7);  // no line selected: nothing happens
    tab()->Button14->click();
    EXPECT_EQ(used(slot(2)), (std::vector<script_command>{{10, 5}, {4, 1}, {9, kNone}}));
    EXPECT_FALSE(ctx().modified);

    select_line(0);
    choose(18, 7);
    tab()->Button14->click();
    EXPECT_EQ(command_lines(), (QStringList{"Give item,7", "Play level,1 (Venice)", "End of set "}));
    EXPECT_EQ(tab()->ListBox10->currentRow(), 0);
    EXPECT_TRUE(ctx().modified);

    // The last command replaced by "End of set ": the slot is not shortened.
    select_line(1);
    choose(9, 0);
    tab()->Button14->click();
    EXPECT_EQ(used(slot(2)), (std::vector<script_command>{{18, 7}, {9, kNone}, {9, kNone}}));
    EXPECT_EQ(tab()->ListBox10->currentRow(), 1);

    ctx().modified = false;
    tab()->ComboBox1->setCurrentIndex(-1);  // no command chosen
    tab()->Button14->click();
    EXPECT_EQ(slot(2).commands[1], (script_command{9, kNone}));
    EXPECT_FALSE(ctx().modified);
}

TEST_F(ScriptTabTest, DeleteSelectsTheFollowingLine) {
    open(test_document());
    select_slot(2);

    tab()->Button16->click();  // no line selected
    EXPECT_EQ(slot(2).command_count, 3);
    EXPECT_FALSE(ctx().modified);

    select_line(0);
    tab()->Button16->click();
    EXPECT_EQ(command_lines(), (QStringList{"Play level,1 (Venice)", "End of set "}));
    EXPECT_EQ(tab()->ListBox10->currentRow(), 0);
    EXPECT_EQ(tab()->ComboBox1->currentIndex(), 4);
    EXPECT_EQ(tab()->SpinEdit10->value(), 1);
    EXPECT_TRUE(ctx().modified);

    // The last line: none selected, the chooser and operand keep their values.
    select_line(1);
    tab()->Button16->click();
    EXPECT_EQ(command_lines(), QStringList{"Play level,1 (Venice)"});
    EXPECT_EQ(tab()->ListBox10->currentRow(), -1);
    EXPECT_EQ(tab()->ComboBox1->currentIndex(), 9);
    EXPECT_EQ(tab()->SpinEdit10->value(), 1);

    select_line(0);  // the only command: the slot becomes empty
    tab()->Button16->click();
    EXPECT_EQ(slot(2).command_count, 0);
    EXPECT_EQ(tab()->ListBox10->count(), 0);
    select_slot(1);
    select_slot(2);
    EXPECT_EQ(tab()->ListBox10->count(), 0);
}

TEST_F(ScriptTabTest, ASlotHoldsAtMost64Commands) {
    open(test_document());
    select_slot(3);
    ASSERT_EQ(tab()->ListBox10->count(), 64);
    const script_slot before = slot(3);
    select_line(10);
    choose(10, 2);
    tab()->Button15->click();
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>{QStringLiteral("A script slot holds at most 64 commands.")});
    EXPECT_EQ(slot(3), before);
    EXPECT_EQ(tab()->ListBox10->count(), 64);
    EXPECT_FALSE(ctx().modified);

    // Replace still works on a full slot.
    tab()->Button14->click();
    EXPECT_EQ(slot(3).commands[10], (script_command{10, 2}));
    EXPECT_EQ(slot(3).command_count, 64);
}

TEST_F(ScriptTabTest, DemoLevelList) {
    open(test_document());
    ScriptTab* t = tab();
    ASSERT_EQ(demo_lines(), (QStringList{"Venice", "Opera"}));

    for (int n : {4, -1}) {  // the number of levels, and below 0
        t->SpinEdit11->setValue(n);
        t->Button11->click();
    }
    t->ListBox11->setCurrentRow(0);
    t->SpinEdit11->setValue(4);
    t->Button17->click();
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>(3, QStringLiteral("Invalid demo level # slot")));
    EXPECT_EQ(demo_lines(), (QStringList{"Venice", "Opera"}));
    EXPECT_EQ(ctx().doc.demo_levels, (std::vector<std::uint16_t>{1, 3}));
    EXPECT_FALSE(ctx().modified);

    t->ListBox11->setCurrentRow(1);
    EXPECT_EQ(t->SpinEdit11->value(), 3);  // the selected entry's number

    t->SpinEdit11->setValue(0);  // appended at the end whatever is selected
    t->Button11->click();
    EXPECT_EQ(demo_lines(), (QStringList{"Venice", "Opera", "Great Wall"}));
    EXPECT_EQ(ctx().doc.demo_levels, (std::vector<std::uint16_t>{1, 3, 0}));
    EXPECT_EQ(ctx().doc.demo_level_count, 3);
    EXPECT_TRUE(ctx().modified);

    t->ListBox11->setCurrentRow(0);
    t->SpinEdit11->setValue(2);
    t->Button17->click();
    EXPECT_EQ(demo_lines(), (QStringList{"Bartoli", "Opera", "Great Wall"}));
    EXPECT_EQ(ctx().doc.demo_levels, (std::vector<std::uint16_t>{2, 3, 0}));

    // Replace with no entry selected does nothing.
    ctx().modified = false;
    t->ListBox11->setCurrentRow(-1);
    t->Button17->click();
    EXPECT_EQ(ctx().doc.demo_levels, (std::vector<std::uint16_t>{2, 3, 0}));
    EXPECT_FALSE(ctx().modified);

    // Delete removes the last entry, whatever is selected.
    t->ListBox11->setCurrentRow(0);
    t->Button18->click();
    EXPECT_EQ(demo_lines(), (QStringList{"Bartoli", "Opera"}));
    EXPECT_EQ(ctx().doc.demo_levels, (std::vector<std::uint16_t>{2, 3}));
    EXPECT_EQ(ctx().doc.demo_level_count, 2);
    EXPECT_TRUE(ctx().modified);

    t->ListBox11->setCurrentRow(1);
    t->Button18->click();
    t->Button18->click();
    EXPECT_EQ(t->ListBox11->count(), 0);
    EXPECT_EQ(ctx().doc.demo_level_count, 0);
    ctx().modified = false;
    t->Button18->click();  // on an empty list
    EXPECT_TRUE(ctx().doc.demo_levels.empty());
    EXPECT_FALSE(ctx().modified);
}

TEST_F(ScriptTabTest, PasteCopiesWhatTheSourceHoldsAtPasteTime) {
    open(test_document());
    select_slot(2);
    window->Pastescriptslot1->trigger();  // nothing copied since the load
    EXPECT_FALSE(ctx().modified);

    window->Copyscriptslot1->trigger();
    EXPECT_EQ(ctx().copied_slot, 2);
    EXPECT_FALSE(ctx().modified);
    choose(14, 0);  // the source changes after Copy
    tab()->Button15->click();
    const script_slot source = slot(2);

    select_slot(4);
    ctx().modified = false;
    window->Pastescriptslot1->trigger();
    EXPECT_EQ(slot(4), source);
    EXPECT_EQ(command_lines(), (QStringList{"Lose your weapons ", "Play soundtrack,5", "Play level,1 (Venice)", "End of set "}));
    EXPECT_EQ(tab()->ListBox10->currentRow(), 0);
    EXPECT_EQ(tab()->ComboBox1->currentIndex(), 14);
    EXPECT_TRUE(ctx().modified);

    // Onto itself: unchanged, but modified.
    select_slot(2);
    ctx().modified = false;
    tab()->Pastescriptslot1Click();
    EXPECT_EQ(slot(2), source);
    EXPECT_TRUE(ctx().modified);

    // A copied slot that no longer exists: the last slots go as the Levels
    // tab's "Delete Last" removes them.
    select_slot(4);
    tab()->Copyscriptslot1Click();
    const script_slot target = slot(1);
    ctx().doc.scripts.resize(3);
    ctx().doc.script_count = 3;
    delete tab()->ListBox9->takeItem(4);
    delete tab()->ListBox9->takeItem(3);
    select_slot(1);
    ctx().modified = false;
    tab()->Pastescriptslot1Click();
    EXPECT_EQ(slot(1), target);
    EXPECT_FALSE(ctx().modified);

    // Copy with an empty slot list keeps the slot remembered earlier.
    tab()->ListBox9->clear();
    ctx().doc.scripts.clear();
    ctx().doc.script_count = 0;
    tab()->Copyscriptslot1Click();
    EXPECT_EQ(ctx().copied_slot, 4);
    tab()->Pastescriptslot1Click();
    EXPECT_FALSE(ctx().modified);
}

TEST_F(ScriptTabTest, SavedEditsReadBackAsTheSameSlots) {
    open(test_document());
    select_slot(1);  // slot 1 keeps one "End of set", last
    select_line(7);
    choose(20, 3);
    tab()->Button14->click();
    select_line(9);
    tab()->Button16->click();
    select_line(0);
    choose(12, 0);
    tab()->Button15->click();
    select_slot(2);
    window->Copyscriptslot1->trigger();
    select_slot(4);
    window->Pastescriptslot1->trigger();
    tab()->SpinEdit11->setValue(2);
    tab()->Button11->click();
    ASSERT_TRUE(ctx().modified);

    dialogs.clear();
    window->Save1Click();
    EXPECT_TRUE(dialogs.texts("error").empty());
    EXPECT_EQ(dialogs.texts("information"), std::vector<QString>{path + QStringLiteral(" Saved!")});
    EXPECT_FALSE(ctx().modified);

    const Ttombpcdat saved = vellumark::parse_script(vellumark::samples::read_file(path.toStdString()));
    EXPECT_EQ(used(saved.scripts.at(1)),
              (std::vector<script_command>{{10, 33}, {12, 0}, {10, 0}, {6, kNone}, {4, 2}, {3, 1}, {5, 0},
                                           {12, 1}, {20, 3}, {4, 99}, {9, kNone}}));
    EXPECT_EQ(used(saved.scripts.at(4)), used(saved.scripts.at(2)));
    ASSERT_EQ(saved.scripts.size(), ctx().doc.scripts.size());
    for (std::size_t i = 0; i < saved.scripts.size(); ++i)
        EXPECT_EQ(used(saved.scripts[i]), used(ctx().doc.scripts[i])) << "slot " << i;
    EXPECT_EQ(saved.demo_levels, (std::vector<std::uint16_t>{1, 3, 2}));
    EXPECT_EQ(saved.demo_level_count, 3);
}

}  // namespace
