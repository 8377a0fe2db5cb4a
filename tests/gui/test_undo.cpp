// Undo and Redo: every kind of step names itself, takes back exactly what it
// did and makes it again; and random edits across all tabs, undone to the
// start, save the opened file's bytes again.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <random>

#include "codec/commands.h"
#include "codec/options.h"
#include "codec/script_file.h"
#include "editors/add_level_dialog.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/media_tab.h"
#include "editors/options_tab.h"
#include "editors/script_tab.h"
#include "editors/spin_edit.h"
#include "support/window_fixture.h"

namespace {

using vellumark::samples::file_bytes;
using vellumark::samples::make_document;
using vellumark::samples::read_file;
using Bytes = std::vector<std::uint8_t>;

class UndoTest : public WindowTest {
protected:
    QUndoStack* stack() const { return form->document()->undoStack(); }
    Bytes image() const {
        vellumark::Ttombpcdat copy = record();
        return vellumark::write_script_file(copy);
    }
    Bytes save() {
        dialogs.confirms.assign(4, true);  // key strings past the last level may be dropped
        form->Save1Click();
        EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{});
        return read_file(file.toStdString());
    }
    QString file;
};

// Each kind of step, made through its view: the undo entry names it, undo
// gives back the opened file's image and what the views showed, redo makes it
// again, and modified follows, shown as " *" after the caption.
TEST_F(UndoTest, EachKindOfStepIsTakenBackAndMadeAgain) {
    file = open_sample("undo.dat", file_bytes(make_document(5, 6)));
    const Bytes opened = image();
    LevelsTab* l = form->levels();
    ScriptTab* s = form->script();
    // A key-string line is named by its level, counted from 0, and its name.
    const QString level0 = texts(record().level_names.strings).value(0);
    const struct {
        QString undo;
        std::function<void()> edit;
        std::function<QStringList()> view;
    } steps[] = {
        {"Undo Replace level 3",
         [&] {
             click_row(l->ListBox1, 3);
             l->Edit1->setText("Renamed");
             l->Button1->click();
         },
         [&] { return rows(l->ListBox1); }},
        {"Undo Add level",
         [&] { l->AddLevel("New", "NEW.TR2", "new.pcx"); },
         [&] { return rows(l->ListBox1) + rows(l->ListBox3) + rows(s->ListBox9); }},
        {"Undo Change Demo Time", [&] { form->options()->spin(5)->setValue(4321); },
         [&] { return QStringList{form->options()->spin(5)->text()}; }},
        {"Undo Change Select Any Level", [&] { form->options()->check(10)->click(); },
         [&] { return QStringList{QString::number(form->options()->check(10)->isChecked())}; }},
        {"Undo Add command to slot 2",
         [&] {
             set_current_row(s->ListBox9, 2);
             set_current_row(s->ListBox10, 0);
             s->ComboBox1->setCurrentIndex(10);
             s->SpinEdit10->setValue(7);
             s->Button15->click();
         },
         [&] {
             set_current_row(s->ListBox9, 2);
             return rows(s->ListBox10);
         }},
        {"Undo Add demo level",
         [&] {
             s->SpinEdit11->setValue(1);
             s->Button11->click();
         },
         [&] { return rows(s->ListBox11); }},
        {"Undo Edit Key Strings #2, level 0 (" + level0 + ")",
         [&] {
             QPlainTextEdit* memo = form->keys()->memo(2);
             memo->setFocus();
             memo->moveCursor(QTextCursor::Start);
             QTest::keyClicks(memo, "abc");  // three keystrokes, one step
         },
         [&] { return lines_of(form->keys()->memo(2)); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.undo.toStdString());
        const QStringList before = step.view();
        step.edit();
        const QStringList after = step.view();
        const Bytes edited = image();
        EXPECT_NE(after, before);
        EXPECT_EQ(form->Undo1->text(), step.undo);
        EXPECT_TRUE(form->modified());
        EXPECT_EQ(shown_caption(), file + " *");

        form->Undo1->trigger();
        EXPECT_EQ(step.view(), before);
        EXPECT_EQ(image(), opened);
        EXPECT_FALSE(form->modified());
        EXPECT_EQ(shown_caption(), file);
        EXPECT_EQ(form->Redo1->text(), QString(step.undo).replace("Undo", "Redo"));

        form->Redo1->trigger();
        EXPECT_EQ(step.view(), after);
        EXPECT_EQ(image(), edited);
        form->Undo1->trigger();
    }

    // The save's own completion of the slots is a step too: an added level's
    // empty slot is saved ended, and undo takes that back with the level.
    l->AddLevel("Saved", "SAVED.TR2", "");
    save();
    EXPECT_EQ(form->Undo1->text(), "Undo Complete the script for saving");
    EXPECT_EQ(record().scripts.back().command_count, 1);
    form->Undo1->trigger();
    EXPECT_EQ(record().scripts.back().command_count, 0);
    EXPECT_TRUE(form->modified());
    form->Redo1->trigger();
    EXPECT_FALSE(form->modified());
    EXPECT_EQ(shown_caption(), file);

    // Ctrl+Z and Ctrl+Y act on the document also inside a text field.
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    l->Edit2->setFocus();
    const int steps_made = stack()->index();
    QTest::keyClick(l->Edit2, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(stack()->index(), steps_made - 1);
    QTest::keyClick(l->Edit2, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(l->Edit2, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(l->Edit2, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(stack()->index(), steps_made);
}

// Random edits through the views of every tab, as a user makes them.
class Editor {
public:
    Editor(TForm1& form, ScriptedDialogs& dialogs, unsigned seed) : form_(form), dialogs_(dialogs), rng_(seed) {}

    void edit() {
        const auto& doc = form_.document()->record();
        const int levels = int(doc.level_names.strings.size());
        LevelsTab* l = form_.levels();
        MediaTab* m = form_.media();
        OptionsTab* o = form_.options();
        ScriptTab* s = form_.script();
        switch (pick(12)) {
        case 0:
            if (levels == 0) break;
            set_current_row(l->ListBox1, pick(levels));
            l->Edit1->setText(word());
            l->Edit2->setText(word());
            l->Button1->click();
            break;
        case 1: l->AddLevel(word(), word(), pick(2) ? word() : QString()); break;
        case 2: {
            // Not past a level that a demo entry names: the save would refuse it.
            const auto& demo = doc.demo_levels;
            if (levels == 0 || std::count(demo.begin(), demo.end(), levels - 1) > 0) break;
            dialogs_.confirms.push_back(true);
            l->Button5->click();
            break;
        }
        case 3: {
            const int column = pick(3);
            const MediaTab::Column c = m->column(column);
            if (row_count(c.list) > 0) set_current_row(c.list, pick(row_count(c.list)));
            c.edit->setText(word());
            c.add_edit->setText(word());
            switch (pick(3)) {
            case 0: m->replaceEntry(column); break;
            case 1: m->deleteEntry(column); break;
            default: m->addEntry(column); break;
            }
            break;
        }
        case 4: o->spin(1 + pick(9))->setValue(int(rng_()) % 100000); break;
        case 5: o->check(1 + pick(10))->click(); break;
        case 6: {
            QListView* list = pick(2) ? o->ListBox7 : o->ListBox8;
            if (row_count(list) == 0) break;
            set_current_row(list, pick(row_count(list)));
            (list == o->ListBox7 ? o->Edit7 : o->Edit8)->setText(word());
            (list == o->ListBox7 ? o->Button9 : o->Button10)->click();
            break;
        }
        case 7: command(s); break;
        case 8: {
            s->SpinEdit11->setValue(levels > 0 ? pick(levels) : 0);
            if (row_count(s->ListBox11) > 0) set_current_row(s->ListBox11, pick(row_count(s->ListBox11)));
            QPushButton* buttons[] = {s->Button11, s->Button17, s->Button18};
            if (levels > 0) buttons[pick(3)]->click();
            break;
        }
        case 9:
            if (row_count(s->ListBox9) == 0) break;
            set_current_row(s->ListBox9, pick(row_count(s->ListBox9)));
            form_.Copyscriptslot1->trigger();
            set_current_row(s->ListBox9, pick(row_count(s->ListBox9)));
            form_.Pastescriptslot1->trigger();
            break;
        default: type(form_.keys()->memo(1 + pick(10))); break;
        }
    }

private:
    int pick(int n) { return int(rng_() % unsigned(n)); }
    QString word() {
        QString w;
        for (int i = pick(8); i >= 0; --i) w += QChar(u'a' + pick(26));
        return w;
    }

    // Add, Replace or Delete a command, never leaving one after "End of set".
    void command(ScriptTab* s) {
        if (row_count(s->ListBox9) == 0) return;
        set_current_row(s->ListBox9, pick(row_count(s->ListBox9)));
        const int lines = row_count(s->ListBox10);
        if (lines == 0) return;
        const int line = pick(lines);
        set_current_row(s->ListBox10, line);
        int code = pick(23);
        if (code == vellumark::cmd::kEndOfSet) code = vellumark::cmd::kPlaySoundtrack;
        s->ComboBox1->setCurrentIndex(code);
        s->SpinEdit10->setValue(pick(60));
        const bool last = line == lines - 1;
        if (!last && lines < 63)
            s->Button15->click();
        else if (!last)
            s->Button14->click();
        else
            s->Button16->click();
    }

    // Types, breaks or joins a line of a memo.
    void type(QPlainTextEdit* memo) {
        const int blocks = memo->document()->blockCount();
        QTextCursor c(memo->document()->findBlockByNumber(pick(blocks)));
        memo->setTextCursor(c);
        memo->setFocus();
        switch (pick(3)) {
        case 0: QTest::keyClicks(memo, word()); break;
        case 1: QTest::keyClick(memo, Qt::Key_Return); break;
        default: QTest::keyClick(memo, Qt::Key_Backspace); break;
        }
    }

    TForm1& form_;
    ScriptedDialogs& dialogs_;
    std::mt19937 rng_;
};

TEST_F(UndoTest, RandomEditsUndoneSaveTheOpenedFileAndRedoneTheEditedOne) {
    const struct {
        const char* name;
        Bytes bytes;
        int edits;
    } scripts[] = {{"real-size", vellumark::samples::real_size_bytes(), 300},
                   {"near-limit", vellumark::samples::near_limit_bytes(), 80}};
    for (const auto& script : scripts) {
        for (unsigned seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(std::string(script.name) + ", seed " + std::to_string(seed));
            restart();
            file = open_sample("random.dat", script.bytes);
            dialogs.clear();
            Editor editor(*form, dialogs, seed);
            for (int i = 0; i < script.edits; ++i) editor.edit();
            ASSERT_GT(stack()->count(), script.edits / 3);
            const Bytes edited = save();
            EXPECT_NE(edited, script.bytes);

            // Back at the opened file, the document differs from the save just made.
            while (stack()->canUndo()) form->Undo1->trigger();
            EXPECT_TRUE(form->modified());
            EXPECT_EQ(save(), script.bytes);

            while (stack()->canRedo()) form->Redo1->trigger();
            EXPECT_TRUE(form->modified());
            EXPECT_EQ(save(), edited);
        }
    }
}

}  // namespace
