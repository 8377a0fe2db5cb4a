// The level operations of the Levels tab, its context menu and the "Level"
// menu: every table in step, one undo step each.
#include <QAction>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>

#include "codec/commands.h"
#include "codec/script_file.h"
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
    EXPECT_EQ(dialogs.texts("number"), std::vector<QString>{"Move level 4 to the place of level:"});
    EXPECT_FALSE(form->modified());
    dialogs.numbers.push_back(0);
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
                                   "line 1\nDemo level entry 0\n\nThe commands will name no level; the demo level "
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

}  // namespace
