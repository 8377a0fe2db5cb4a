// The level operations of the Levels tab, its context menu and the "Level"
// menu: every table in step, one undo step each, the same record as the
// command line makes, and the copied slot carried along.
#include <QAction>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>

#include <functional>

#include "codec/commands.h"
#include "codec/levels.h"
#include "codec/script_file.h"
#include "codec/slots.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/script_tab.h"
#include "support/window_fixture.h"

namespace {

using vellumark::Ttombpcdat;

// Five levels A to E; slot 0 also plays level 3; demo levels 3 and 1.
class LevelOperationsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Ttombpcdat d = vellumark::samples::make_document(8, 5);
        d.level_names.strings = {"A", "B", "C", "D", "E"};
        d.key_strings[0].strings = {"ka", "kb", "kc", "kd", "ke"};
        d.scripts[0].commands[0] = {vellumark::cmd::kPlayLevel, 3};
        d.demo_levels = {3, 1};
        bytes = vellumark::samples::file_bytes(d);
        file = open_sample("levels.dat", bytes);
        dialogs.clear();
    }
    LevelsTab* l() const { return form->levels(); }
    // The level each slot 1..n plays, as its listing names it.
    QStringList played() const {
        QStringList out;
        for (std::size_t k = 1; k < record().scripts.size(); ++k) {
            const auto& slot = record().scripts[k];
            QString name = "-";
            for (int i = slot.command_count - 1; i >= 0; --i)  // the first "Play level"
                if (slot.commands[std::size_t(i)].command == vellumark::cmd::kPlayLevel)
                    name = doc().toText(vellumark::format_command(slot.commands[std::size_t(i)], record()))
                               .section('(', 1)
                               .chopped(1);
            out.append(name);
        }
        return out;
    }
    QStringList memo1() const { return lines_of(form->keys()->memo(1)); }
    std::vector<std::uint8_t> image() const {
        Ttombpcdat copy = record();
        return vellumark::write_script_file(copy);
    }

    std::vector<std::uint8_t> bytes;
    QString file;
};

TEST_F(LevelOperationsTest, TheCommandsStandOnTheTabInItsContextMenuAndInTheLevelMenu) {
    QStringList menu;
    for (QAction* a : form->Level1->actions()) menu.append(a->text());
    const QStringList names{"Insert level before", "Move level up", "Move level down", "Move level to...",
                            "Delete this level"};
    EXPECT_EQ(menu, names);
    EXPECT_EQ(l()->ListBox1->actions(), form->Level1->actions());
    EXPECT_FALSE(l()->DeleteLevel1->isEnabled());  // nothing selected
    click_row(l()->ListBox1, 0);
    EXPECT_TRUE(l()->DeleteLevel1->isEnabled());
    EXPECT_FALSE(l()->MoveLevelUp1->isEnabled());
}

TEST_F(LevelOperationsTest, InsertLevelBefore) {
    click_row(l()->ListBox1, 2);
    l()->InsertLevel1->trigger();
    EXPECT_EQ(rows(l()->ListBox1), (QStringList{"A", "B", "", "C", "D", "E"}));
    EXPECT_EQ(current_row(l()->ListBox1), 2);
    EXPECT_EQ(played(), (QStringList{"A", "B", "-", "C", "D", "E"}));
    EXPECT_EQ(memo1(), (QStringList{"ka", "kb", "", "kc", "kd", "ke"}));
    EXPECT_EQ(rows(form->script()->ListBox9).size(), 7);
    EXPECT_EQ(record().demo_levels, (std::vector<std::uint16_t>{4, 1}));
    EXPECT_EQ(form->Undo1->text(), "Undo Insert level 2");
    form->Undo1->trigger();
    EXPECT_EQ(image(), bytes);
    EXPECT_EQ(memo1(), (QStringList{"ka", "kb", "kc", "kd", "ke"}));
}

TEST_F(LevelOperationsTest, MoveLevelUpAndDown) {
    click_row(l()->ListBox1, 3);
    l()->MoveLevelUp1->trigger();
    EXPECT_EQ(rows(l()->ListBox1), (QStringList{"A", "B", "D", "C", "E"}));
    EXPECT_EQ(played(), (QStringList{"A", "B", "D", "C", "E"}));
    EXPECT_EQ(memo1(), (QStringList{"ka", "kb", "kd", "kc", "ke"}));
    EXPECT_EQ(record().demo_levels, (std::vector<std::uint16_t>{2, 1}));
    EXPECT_EQ(record().scripts[0].commands[0].operand, 2);
    EXPECT_EQ(form->Undo1->text(), "Undo Move level 3 to 2");
    l()->MoveLevelDown1->trigger();  // the moved level is still selected
    EXPECT_EQ(form->Undo1->text(), "Undo Move level 2 to 3");
    EXPECT_EQ(image(), bytes);
}

TEST_F(LevelOperationsTest, MoveLevelTo) {
    click_row(l()->ListBox1, 4);
    l()->MoveLevelTo1->trigger();  // cancelled
    EXPECT_EQ(dialogs.texts("choice"), std::vector<QString>{"Move level 4 (E) to the place of level:"});
    EXPECT_EQ(dialogs.lastChoices, (QStringList{"0 A", "1 B", "2 C", "3 D", "4 E"}));
    EXPECT_EQ(dialogs.lastChoiceCurrent, 4);
    EXPECT_FALSE(form->modified());
    dialogs.choices.push_back(0);
    l()->MoveLevelTo1->trigger();
    EXPECT_EQ(rows(l()->ListBox1), (QStringList{"E", "A", "B", "C", "D"}));
    EXPECT_EQ(played(), (QStringList{"E", "A", "B", "C", "D"}));
    EXPECT_EQ(current_row(l()->ListBox1), 0);
    EXPECT_EQ(form->Undo1->text(), "Undo Move level 4 to 0");
    form->Save1Click();
    const Ttombpcdat saved = vellumark::parse_script(vellumark::samples::read_file(file.toStdString()));
    EXPECT_EQ(saved.key_strings[0].strings, (std::vector<std::string>{"ke", "ka", "kb", "kc", "kd"}));
}

TEST_F(LevelOperationsTest, DeleteThisLevelNamesWhereItIsNamed) {
    click_row(l()->ListBox1, 3);
    l()->DeleteLevel1->trigger();  // answered No
    EXPECT_EQ(dialogs.texts("confirm"),
              std::vector<QString>{"Are you sure you want to delete level 3 (D)?\n\nIt is named by:\nScript slot 0, "
                                   "command 1\nDemo level entry 0\n\nThe commands will name no level; the demo level "
                                   "entries will be removed."});
    EXPECT_EQ(image(), bytes);
    dialogs.confirms.push_back(true);
    l()->DeleteLevel1->trigger();
    EXPECT_EQ(rows(l()->ListBox1), (QStringList{"A", "B", "C", "E"}));
    EXPECT_EQ(played(), (QStringList{"A", "B", "C", "E"}));
    EXPECT_EQ(rows(form->script()->ListBox11).size(), 1);
    set_current_row(form->script()->ListBox9, 0);
    EXPECT_EQ(rows(form->script()->ListBox10).value(0), "Play level (?)");
    EXPECT_EQ(form->Undo1->text(), "Undo Delete level 3");
    form->Undo1->trigger();
    EXPECT_EQ(image(), bytes);
    EXPECT_EQ(rows(form->script()->ListBox11).size(), 2);
}

TEST_F(LevelOperationsTest, TheCopiedSlotFollowsItsLevel) {
    ScriptTab* t = form->script();
    set_current_row(t->ListBox9, 4);  // the slot of level 3, D
    form->Copyscriptslot1->trigger();
    click_row(l()->ListBox1, 3);
    dialogs.choices.push_back(0);
    l()->MoveLevelTo1->trigger();
    EXPECT_EQ(t->copied_slot(), 1);
    ASSERT_EQ(played().value(0), "D");
    set_current_row(t->ListBox9, 5);
    form->Pastescriptslot1->trigger();
    EXPECT_EQ(record().scripts[5], record().scripts[1]);  // the moved slot's commands, pasted
    EXPECT_EQ(played().value(4), "D");
    form->Undo1->trigger();  // the paste
    form->Undo1->trigger();  // the move
    EXPECT_EQ(t->copied_slot(), 4);
    form->Redo1->trigger();
    EXPECT_EQ(t->copied_slot(), 1);

    // Deleted with its level: nothing to paste; undo brings it back.
    click_row(l()->ListBox1, 0);
    dialogs.confirms.push_back(true);
    l()->DeleteLevel1->trigger();
    EXPECT_EQ(t->copied_slot(), -1);
    set_current_row(t->ListBox9, 2);
    EXPECT_FALSE(changes([&] { form->Pastescriptslot1->trigger(); }));
    form->Undo1->trigger();
    EXPECT_EQ(t->copied_slot(), 1);
}

// Scripts that the level operations meet: pictures one per level or not,
// chapter screens, short and long key-string tables (the PlayStation beta's
// six more too), fewer slots than levels,
// demo entries naming the first, a middle and the last level.
std::vector<std::pair<std::string, Ttombpcdat>> level_scripts() {
    Ttombpcdat base = vellumark::samples::make_document(31, 7);
    base.pic_files.strings.resize(7, "pic.bmp");
    base.demo_levels = {0, 3, 6, 3};
    base.demo_level_count = 4;
    for (std::uint16_t picture : {0, 3, 6})
        vellumark::insert_command(base.scripts[0], 0, {vellumark::cmd::kShowChapterScreen, picture});
    std::vector<std::pair<std::string, Ttombpcdat>> out{{"one picture per level", base}};
    Ttombpcdat d = base;
    d.pic_files.strings.resize(4);
    out.emplace_back("fewer pictures than levels", d);
    d = base;
    d.key_strings[2].strings.resize(2);
    d.key_strings[5].strings.clear();
    d.key_strings[7].strings.resize(9, "past the last level");
    out.emplace_back("short and long key-string tables", d);
    d = vellumark::samples::make_beta_document(31, 7);
    d.beta_key_strings[1].strings.resize(3);
    d.beta_key_strings[5].strings.resize(9, "past the last level");
    out.emplace_back("a PlayStation beta script, its own tables short and long", d);
    d = base;
    d.scripts.resize(5);
    d.script_count = 5;
    out.emplace_back("fewer slots than levels", d);
    return out;
}

TEST(LevelOperationPlans, TheWindowMakesTheRecordTheCommandLineMakesAndUndoReturnsToTheStart) {
    const struct {
        std::string what;
        std::function<void(ScriptDocument&)> window;
        std::function<void(Ttombpcdat&)> codec;
    } operations[] = {
        {"move 0 to 6", [](ScriptDocument& d) { d.moveLevel(0, 6); }, [](Ttombpcdat& r) { move_level(r, 0, 6); }},
        {"move 6 to 0", [](ScriptDocument& d) { d.moveLevel(6, 0); }, [](Ttombpcdat& r) { move_level(r, 6, 0); }},
        {"move 1 to 3", [](ScriptDocument& d) { d.moveLevel(1, 3); }, [](Ttombpcdat& r) { move_level(r, 1, 3); }},
        {"move 3 to 1", [](ScriptDocument& d) { d.moveLevel(3, 1); }, [](Ttombpcdat& r) { move_level(r, 3, 1); }},
        {"move 3 to 6", [](ScriptDocument& d) { d.moveLevel(3, 6); }, [](Ttombpcdat& r) { move_level(r, 3, 6); }},
        {"move 6 to 3", [](ScriptDocument& d) { d.moveLevel(6, 3); }, [](Ttombpcdat& r) { move_level(r, 6, 3); }},
        {"insert at 0", [](ScriptDocument& d) { d.insertLevel(0); }, [](Ttombpcdat& r) { insert_level(r, 0); }},
        {"insert at 3", [](ScriptDocument& d) { d.insertLevel(3); }, [](Ttombpcdat& r) { insert_level(r, 3); }},
        {"insert at 7", [](ScriptDocument& d) { d.insertLevel(7); }, [](Ttombpcdat& r) { insert_level(r, 7); }},
        {"delete 0", [](ScriptDocument& d) { d.deleteLevel(0); }, [](Ttombpcdat& r) { delete_level(r, 0); }},
        {"delete 3", [](ScriptDocument& d) { d.deleteLevel(3); }, [](Ttombpcdat& r) { delete_level(r, 3); }},
        {"delete 6", [](ScriptDocument& d) { d.deleteLevel(6); }, [](Ttombpcdat& r) { delete_level(r, 6); }},
    };
    for (const auto& [script, start] : level_scripts())
        for (const auto& op : operations) {
            const std::string what = op.what + ", " + script;
            ScriptDocument doc;
            doc.load(start);
            op.window(doc);
            Ttombpcdat expected = start;
            op.codec(expected);
            EXPECT_TRUE(doc.record() == expected) << what;
            EXPECT_EQ(doc.demoTexts().size(), expected.demo_levels.size()) << what;
            EXPECT_EQ(doc.undoStack()->count(), 1) << what;
            doc.undoStack()->undo();
            EXPECT_TRUE(doc.record() == start) << what;
            doc.undoStack()->redo();
            EXPECT_TRUE(doc.record() == expected) << what;
        }
}

}  // namespace
