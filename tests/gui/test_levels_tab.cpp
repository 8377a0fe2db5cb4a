// The Levels tab and the add-level dialog: selecting levels, Replace, Add New,
// Delete Last, Delete all, what the edit boxes take, and what Save writes.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <array>

#include "codec/script_file.h"
#include "editors/add_level_dialog.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/list_edit.h"
#include "editors/media_tab.h"
#include "editors/options_tab.h"
#include "editors/script_tab.h"
#include "editors/spin_edit.h"
#include "editors/text.h"
#include "support/window_fixture.h"

using vellumark::Ttombpcdat;
using vellumark::samples::file_bytes;
using vellumark::samples::make_document;
using Strings = std::vector<std::string>;
using Counts = std::array<int, 3>;

namespace {

template <class T>
std::vector<T> first(const std::vector<T>& v, std::size_t n) {
    return {v.begin(), v.begin() + n};
}

const QString kDeleteLast = QStringLiteral("Are you sure you want to delete last slot?");
const QString kDeleteAll = QStringLiteral("Are you sure you want to delete all slot?");

class LevelsTabTest : public WindowTest {
protected:
    void open_document(const Ttombpcdat& doc) {
        file = open_sample(QStringLiteral("levels.dat"), file_bytes(doc));
        ASSERT_EQ(form->current_file_name(), file);
        dialogs.clear();
        form->show();
        QApplication::processEvents();
    }

    // "Save" and the document it wrote, read back.
    Ttombpcdat save_and_read() {
        form->Save1Click();
        EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{});
        return vellumark::parse_script(vellumark::samples::read_file(file.toStdString()));
    }

    // Runs "Add New" with one action on the dialog.
    void add_new(const std::function<void(TForm3*)>& action) {
        dialogs.modal.push_back([action](QDialog* d) { action(static_cast<TForm3*>(d)); });
        QTest::mouseClick(l()->Button4, Qt::LeftButton);
    }

    static void add_level(TForm3* f, const QString& desc, const QString& file_name, const QString& pic) {
        f->Edit1->setText(desc);
        f->Edit2->setText(file_name);
        f->Edit3->setText(pic);
        QTest::mouseClick(f->BitBtn2, Qt::LeftButton);
    }

    QStringList slot_labels() const { return {l()->Label4->text(), l()->Label5->text(), l()->Label6->text()}; }
    // script_count, the slots held and the lines of the slot list.
    Counts slot_counts() {
        return {record().script_count, static_cast<int>(record().scripts.size()), row_count(script()->ListBox9)};
    }
    LevelsTab* l() const { return form->levels(); }
    ScriptTab* script() const { return form->script(); }

    QString file;
};

TEST_F(LevelsTabTest, SelectingALevelSelectsItsPartnerAndOnlyListBox1SetsTheOperand) {
    open_document(make_document(3, 6));
    SpinEdit* operand = script()->SpinEdit10;
    operand->setValue(99);

    click_row(l()->ListBox2, 3);  // neither ListBox2 nor the partner's own handling sets the operand
    EXPECT_EQ(current_row(l()->ListBox1), 3);
    EXPECT_TRUE(is_row_selected(l()->ListBox1, 3));
    EXPECT_EQ(l()->Edit1->text(), row_text(l()->ListBox1, 3));
    EXPECT_EQ(l()->Edit2->text(), row_text(l()->ListBox2, 3));
    EXPECT_EQ(slot_labels(), (QStringList{"Slot#3", "Slot#3", "Slot#"}));
    EXPECT_EQ(operand->value(), 99);

    click_row(l()->ListBox1, 3);  // already selected by the partner: nothing changes
    EXPECT_EQ(operand->value(), 99);
    click_row(l()->ListBox1, 4);
    EXPECT_EQ(std::make_pair(operand->value(), current_row(l()->ListBox2)), std::make_pair(4, 4));
    EXPECT_EQ(l()->Label5->text(), "Slot#4");
    l()->ListBox1->setFocus();
    QTest::keyClick(l()->ListBox1, Qt::Key_Up);  // the keyboard selects as well
    EXPECT_EQ(std::make_pair(operand->value(), current_row(l()->ListBox2)), std::make_pair(3, 3));

    click_row(l()->ListBox3, 0);  // the pictures stand alone
    EXPECT_EQ(l()->Edit3->text(), row_text(l()->ListBox3, 0));
    EXPECT_EQ(slot_labels(), (QStringList{"Slot#3", "Slot#3", "Slot#0"}));
    EXPECT_EQ(operand->value(), 3);
    EXPECT_FALSE(form->modified());  // selecting only copies
}

TEST_F(LevelsTabTest, ReplaceChangesEachListAtItsOwnSelection) {
    const Ttombpcdat doc = make_document(4, 4);
    open_document(doc);
    click_row(l()->ListBox1, 1);
    l()->Edit1->setText("New description");
    l()->Edit2->setText("NEW.TR2");
    l()->Edit3->setText("unused");  // ListBox3 has no selection: unchanged
    QTest::mouseClick(l()->Button1, Qt::LeftButton);
    EXPECT_EQ(rows(l()->ListBox1).value(1), "New description");
    EXPECT_EQ(current_row(l()->ListBox1), 1);
    EXPECT_EQ(rows(l()->ListBox2).value(1), "NEW.TR2");
    EXPECT_TRUE(form->modified());

    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.level_names.strings[1], "New description");
    EXPECT_EQ(saved.level_files.strings[1], "NEW.TR2");
    EXPECT_EQ(saved.pic_files.strings, doc.pic_files.strings);
}

TEST_F(LevelsTabTest, AddNewAddsALevelAndAnEmptySlotButNoBlankPicture) {
    Ttombpcdat doc = make_document(5, 19);
    doc.pic_files.strings.resize(2);
    open_document(doc);

    add_new([](TForm3* f) {
        add_level(f, "Blank picture", "BLANK.TR2", "   ");
        f->accept();
    });
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "exec");
    EXPECT_EQ(dialogs.shown[0].caption, "Add Level\\file\\Pic's name description ...");
    EXPECT_EQ(rows(l()->ListBox1), texts(doc.level_names.strings) + QStringList{"Blank picture"});
    EXPECT_EQ(rows(l()->ListBox2), texts(doc.level_files.strings) + QStringList{"BLANK.TR2"});
    EXPECT_EQ(rows(l()->ListBox3), texts(doc.pic_files.strings));
    EXPECT_EQ(slot_counts(), (Counts{21, 21, 21}));
    EXPECT_EQ(row_text(script()->ListBox9, 20), "Script #20");
    EXPECT_EQ(current_row(script()->ListBox9), 20);
    EXPECT_EQ(row_count(script()->ListBox10) + record().scripts.back().command_count, 0);
    EXPECT_TRUE(form->modified());

    // The dialog keeps its text; a picture with blanks around it goes in as typed.
    add_new([](TForm3* f) {
        EXPECT_EQ(f->Edit1->text(), "Blank picture");
        EXPECT_EQ(f->Edit3->text(), "   ");
        add_level(f, "", "", " pic ");
        add_level(f, "Third", "THIRD.TR2", "\t\n");
    });
    EXPECT_EQ(rows(l()->ListBox1).mid(19), (QStringList{"Blank picture", "", "Third"}));
    EXPECT_EQ(row_count(l()->ListBox2), 22);
    EXPECT_EQ(rows(script()->ListBox9).mid(21), (QStringList{"Script #21", "Script #22"}));

    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.level_count, 22);
    EXPECT_EQ(saved.level_files.strings.back(), "THIRD.TR2");
    EXPECT_EQ(saved.pic_files.strings, (Strings{doc.pic_files.strings[0], doc.pic_files.strings[1], " pic "}));
    EXPECT_EQ(saved.script_count, 23);
    EXPECT_EQ(saved.demo_levels, doc.demo_levels);
}

TEST_F(LevelsTabTest, DeleteLastDropsTheLastLevelPictureAndSlot) {
    Ttombpcdat doc = make_document(6, 5);
    doc.pic_files.strings = {"p0", "p1", "p2"};
    open_document(doc);
    ASSERT_EQ(slot_counts(), (Counts{6, 6, 6}));
    click_row(l()->ListBox1, 4);  // the last level is selected
    click_row(script()->ListBox9, 5);
    const QString edit1 = l()->Edit1->text();

    dialogs.confirms.push_back(true);
    QTest::mouseClick(l()->Button5, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("confirm"), std::vector<QString>{kDeleteLast});
    EXPECT_EQ(dialogs.shown[0].caption, "Confirm");
    EXPECT_EQ(rows(l()->ListBox1), texts(doc.level_names.strings, 4));
    EXPECT_EQ(rows(l()->ListBox2), texts(doc.level_files.strings, 4));
    EXPECT_EQ(rows(l()->ListBox3), (QStringList{"p0", "p1"}));
    EXPECT_EQ(slot_counts(), (Counts{5, 5, 5}));
    EXPECT_EQ(current_row(script()->ListBox9), 0);
    EXPECT_EQ(row_count(script()->ListBox10), doc.scripts[0].command_count);
    EXPECT_EQ(l()->Edit1->text(), edit1);  // the edit boxes and labels keep their text
    EXPECT_EQ(l()->Label4->text(), "Slot#4");
    EXPECT_EQ(selected_row(l()->ListBox1), -1);
    EXPECT_TRUE(form->modified());

    dialogs.confirms.push_back(true);  // the fifth level's key strings are not saved
    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.level_names.strings, first(doc.level_names.strings, 4));
    EXPECT_EQ(saved.pic_count, 2);
    EXPECT_EQ(saved.scripts, first(doc.scripts, 5));
    EXPECT_EQ(saved.key_strings[9].strings, first(doc.key_strings[9].strings, 4));

    for (int i = 0; i < 7; ++i) {  // pressed more often than there are entries: all stays empty
        dialogs.confirms.push_back(true);
        l()->Button5Click();
    }
    EXPECT_EQ(row_count(l()->ListBox1) + row_count(l()->ListBox3) + row_count(script()->ListBox10), 0);
    EXPECT_EQ(slot_counts(), (Counts{0, 0, 0}));
}

TEST_F(LevelsTabTest, AnsweringNoChangesNothing) {
    const Ttombpcdat doc = make_document(8, 5);
    open_document(doc);
    const QStringList before1 = rows(l()->ListBox1), before3 = rows(l()->ListBox3), before9 = rows(script()->ListBox9);
    dialogs.confirms = {false, false};
    l()->Button5Click();
    l()->Button6Click();
    EXPECT_EQ(dialogs.texts("confirm"), (std::vector<QString>{kDeleteLast, kDeleteAll}));
    EXPECT_EQ(rows(l()->ListBox1), before1);
    EXPECT_EQ(rows(l()->ListBox3), before3);
    EXPECT_EQ(rows(script()->ListBox9), before9);
    EXPECT_EQ(record().scripts, doc.scripts);
    EXPECT_EQ(slot_counts(), (Counts{6, 6, 6}));
    EXPECT_FALSE(form->modified());
}

TEST_F(LevelsTabTest, DeleteAllLeavesTheOtherTabsAloneAndARefilledDocumentGetsItsTitleSlot) {
    Ttombpcdat doc = make_document(9, 5);
    doc.demo_levels = {1, 0};  // still levels once the tab holds two again
    open_document(doc);
    auto others = [&] {
        std::vector<QString> out;
        for (QListView* list : {form->media()->ListBox4, form->media()->ListBox5, form->media()->ListBox6,
                                  form->options()->ListBox7, form->options()->ListBox8, script()->ListBox11})
            out.push_back(rows(list).join('|'));
        for (int m = 1; m <= 10; ++m) out.push_back(form->keys()->memo(m)->toPlainText());
        return out;
    };
    const std::vector<QString> before = others();

    dialogs.confirms.push_back(true);
    QTest::mouseClick(l()->Button6, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("confirm"), std::vector<QString>{kDeleteAll});
    EXPECT_EQ(row_count(l()->ListBox1) + row_count(l()->ListBox2) + row_count(l()->ListBox3) + row_count(script()->ListBox10), 0);
    EXPECT_EQ(slot_counts(), (Counts{0, 0, 0}));
    EXPECT_EQ(others(), before);
    EXPECT_TRUE(form->modified());

    // Two levels bring two slots; the save adds the one the layout needs.
    add_new([](TForm3* f) {
        add_level(f, "One", "ONE.TR2", "one.pcx");
        add_level(f, "Two", "TWO.TR2", "");
    });
    EXPECT_EQ(rows(script()->ListBox9), (QStringList{"Script #0", "Script #1"}));
    dialogs.confirms.push_back(true);  // the key strings of levels 3 to 5 are not saved
    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.level_names.strings, (Strings{"One", "Two"}));
    EXPECT_EQ(saved.pic_files.strings, Strings{"one.pcx"});
    EXPECT_EQ(saved.script_count, 3);
    EXPECT_EQ(saved.fmv_files.strings, doc.fmv_files.strings);
    EXPECT_EQ(saved.game_strings2.strings, doc.game_strings2.strings);
    EXPECT_EQ(saved.demo_levels, doc.demo_levels);
    EXPECT_EQ(saved.key_strings[0].strings, first(doc.key_strings[0].strings, 2));
    EXPECT_EQ(slot_counts(), (Counts{3, 3, 3}));  // the slot list shows what was written
}

TEST_F(LevelsTabTest, EditBoxesTakeOnlyWhatAScriptCanStore) {
    QLineEdit* edits[] = {l()->Edit1, l()->Edit2, l()->Edit3, l()->Form3()->Edit1, l()->Form3()->Edit3,
                          form->media()->Edit4, form->media()->Edit11, form->options()->Edit7, form->options()->Edit8};
    for (QLineEdit* e : edits) {
        SCOPED_TRACE(e->objectName().toStdString());
        e->setText(QString::fromUtf8("caf\u00e9 \u20ac"));  // é and € are in the code page
        e->insert(QString::fromUtf8("\u4e2d"));
        EXPECT_EQ(e->text(), QString::fromUtf8("caf\u00e9 \u20ac"));
    }
    QApplication::processEvents();
    ASSERT_EQ(dialogs.texts("message").size(), std::size(edits));
    EXPECT_EQ(dialogs.texts("message")[0], unstorableTextMessage(doc().codePageTable()));

    dialogs.clear();
    l()->Edit1->clear();
    l()->Edit1->setFocus();
    QTest::keyClicks(l()->Edit1, "ab");
    QTest::sendKeyEvent(QTest::Click, l()->Edit1, Qt::Key_unknown, QString::fromUtf8("\u0394"), {});
    QTest::keyClicks(l()->Edit1, "c");  // Δ is refused as typed
    EXPECT_EQ(l()->Edit1->text(), "abc");
    QApplication::processEvents();
    EXPECT_EQ(dialogs.texts("message"), std::vector<QString>{unstorableTextMessage(doc().codePageTable())});
}

}  // namespace
