// The Levels tab and the add-level dialog: selecting levels, Replace, Add New,
// Delete Last, Delete all, and what Save writes afterwards.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTextEdit>

#include "codec/script_file.h"
#include "editors/Unit3.h"
#include "editors/colors.h"
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

namespace {

QStringList rows(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out.append(list->item(i)->text());
    return out;
}

QStringList texts(const std::vector<std::string>& strings) {
    QStringList out;
    for (const auto& s : strings) out.append(to_text(s));
    return out;
}

void click_row(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

class LevelsTabTest : public WindowTest {
protected:
    // Opens a document; the views then hold it.
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
        QTest::mouseClick(levels()->Button4, Qt::LeftButton);
    }

    static void add_level(TForm3* f, const QString& desc, const QString& file_name, const QString& pic) {
        f->Edit1->setText(desc);
        f->Edit2->setText(file_name);
        f->Edit3->setText(pic);
        QTest::mouseClick(f->BitBtn2, Qt::LeftButton);
    }

    LevelsTab* levels() const { return form->levels(); }
    ScriptTab* script() const { return form->script(); }

    QString file;
};

TEST_F(LevelsTabTest, LayoutCaptionsAndDesignColours) {
    LevelsTab* l = levels();
    EXPECT_EQ(l->Button1->text(), "Replace");
    EXPECT_EQ(l->Button4->text(), "Add New");
    EXPECT_EQ(l->Button5->text(), "Delete Last");
    EXPECT_EQ(l->Button6->text(), "Delete all");
    EXPECT_EQ(l->Button19->text(), "Save --->");
    EXPECT_EQ(l->StaticText11->text(), "ListBox's Font Size");
    for (QLabel* label : {l->Label4, l->Label5, l->Label6}) EXPECT_EQ(label->text(), "Slot#");
    EXPECT_EQ(l->TrackBar1->minimum(), 6);
    EXPECT_EQ(l->TrackBar1->maximum(), 40);
    EXPECT_EQ(l->TrackBar1->value(), 7);
    EXPECT_TRUE(l->Memo12->isReadOnly());
    EXPECT_FALSE(l->shit->isReadOnly());
    EXPECT_EQ(background(l->ListBox2), QColor(0xC1, 0xDA, 0xEC));
    EXPECT_EQ(background(l->Edit2), QColor(0xFD, 0xB5, 0xAA));
    EXPECT_EQ(background(l->shit), QColor(0xCE, 0xFF, 0xE4));
    // Replace on top, Add New and Delete all side by side, Delete Last below.
    EXPECT_LT(l->Button1->y(), l->Button4->y());
    EXPECT_EQ(l->Button4->y(), l->Button6->y());
    EXPECT_LT(l->Button4->x(), l->Button6->x());
    EXPECT_LT(l->Button6->y(), l->Button5->y());

    TForm3* f = l->Form3();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "Add Level\\file\\Pic's name description ...");
    EXPECT_EQ(f->BitBtn2->text(), "Add new Level descript\nLevel File name and \nPicture File Name");
    EXPECT_EQ(f->Button1->text(), "OK");
    EXPECT_FALSE(f->isVisible());
}

TEST_F(LevelsTabTest, SelectingALevelSelectsItsPartnerAndOnlyListBox1SetsTheOperand) {
    open_document(make_document(3, 6));
    LevelsTab* l = levels();
    script()->SpinEdit10->setValue(99);

    click_row(l->ListBox2, 3);
    EXPECT_EQ(l->ListBox1->currentRow(), 3);
    EXPECT_TRUE(l->ListBox1->item(3)->isSelected());
    EXPECT_EQ(l->Edit1->text(), l->ListBox1->item(3)->text());
    EXPECT_EQ(l->Edit2->text(), l->ListBox2->item(3)->text());
    EXPECT_EQ(l->Label4->text(), "Slot#3");
    EXPECT_EQ(l->Label5->text(), "Slot#3");
    // Neither ListBox2 nor the partner's own handling touched the operand.
    EXPECT_EQ(script()->SpinEdit10->value(), 99);

    click_row(l->ListBox1, 3);  // already selected by the partner: nothing changes
    EXPECT_EQ(script()->SpinEdit10->value(), 99);
    click_row(l->ListBox1, 4);
    EXPECT_EQ(script()->SpinEdit10->value(), 4);
    EXPECT_EQ(l->ListBox2->currentRow(), 4);
    EXPECT_EQ(l->Label5->text(), "Slot#4");
    l->ListBox1->setFocus();
    QTest::keyClick(l->ListBox1, Qt::Key_Up);  // the keyboard selects as well
    EXPECT_EQ(script()->SpinEdit10->value(), 3);
    EXPECT_EQ(l->ListBox2->currentRow(), 3);
    EXPECT_EQ(l->Label4->text(), "Slot#3");

    click_row(l->ListBox3, 0);
    EXPECT_EQ(l->Edit3->text(), l->ListBox3->item(0)->text());
    EXPECT_EQ(l->Label6->text(), "Slot#0");
    EXPECT_EQ(l->Label4->text(), "Slot#3");
    EXPECT_EQ(script()->SpinEdit10->value(), 3);

    EXPECT_FALSE(form->context().modified);  // selecting only copies
}

TEST_F(LevelsTabTest, ReplaceChangesEachListAtItsOwnSelection) {
    Ttombpcdat doc = make_document(4, 4);
    open_document(doc);
    LevelsTab* l = levels();
    click_row(l->ListBox1, 1);
    l->Edit1->setText("New description");
    l->Edit2->setText("NEW.TR2");
    l->Edit3->setText("unused");  // ListBox3 has no selection: unchanged
    const QStringList pics = rows(l->ListBox3);
    QTest::mouseClick(l->Button1, Qt::LeftButton);
    EXPECT_EQ(l->ListBox1->item(1)->text(), "New description");
    EXPECT_EQ(l->ListBox1->currentRow(), 1);
    EXPECT_EQ(l->ListBox2->item(1)->text(), "NEW.TR2");
    EXPECT_EQ(rows(l->ListBox3), pics);
    EXPECT_TRUE(form->context().modified);

    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.level_names.strings[1], "New description");
    EXPECT_EQ(saved.level_files.strings[1], "NEW.TR2");
    EXPECT_EQ(saved.pic_files.strings, doc.pic_files.strings);
}

TEST_F(LevelsTabTest, AddNewAddsALevelAndAnEmptySlotButNoBlankPicture) {
    Ttombpcdat doc = make_document(5, 19);
    doc.pic_files.strings.resize(2);
    open_document(doc);
    ASSERT_EQ(script()->ListBox9->count(), 20);  // slots 0..19
    LevelsTab* l = levels();
    const QStringList pics = rows(l->ListBox3);

    add_new([](TForm3* f) {
        add_level(f, "Blank picture", "BLANK.TR2", "   ");
        f->accept();
    });
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "exec");
    EXPECT_EQ(dialogs.shown[0].caption, "Add Level\\file\\Pic's name description ...");
    EXPECT_EQ(l->ListBox1->count(), 20);
    EXPECT_EQ(l->ListBox1->item(19)->text(), "Blank picture");
    EXPECT_EQ(l->ListBox2->item(19)->text(), "BLANK.TR2");
    EXPECT_EQ(rows(l->ListBox3), pics);
    EXPECT_EQ(form->context().doc.script_count, 21);
    ASSERT_EQ(script()->ListBox9->count(), 21);
    EXPECT_EQ(script()->ListBox9->item(20)->text(), "Script #20");
    EXPECT_EQ(script()->ListBox9->currentRow(), 20);
    EXPECT_EQ(script()->ListBox10->count(), 0);
    EXPECT_EQ(form->context().doc.scripts.back().command_count, 0);
    EXPECT_TRUE(form->context().modified);

    // The dialog keeps its text; a picture with blanks around it goes in as typed.
    add_new([](TForm3* f) {
        EXPECT_EQ(f->Edit1->text(), "Blank picture");
        EXPECT_EQ(f->Edit3->text(), "   ");
        add_level(f, "", "", " pic ");
        add_level(f, "Third", "THIRD.TR2", "\t\n");
    });
    EXPECT_EQ(l->ListBox1->count(), 22);
    EXPECT_EQ(l->ListBox1->item(20)->text(), "");
    EXPECT_EQ(rows(l->ListBox3), pics + QStringList{" pic "});
    EXPECT_EQ(script()->ListBox9->item(22)->text(), "Script #22");
    EXPECT_EQ(l->ListBox2->count(), l->ListBox1->count());

    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.level_count, 22);
    EXPECT_EQ(saved.level_files.strings.back(), "THIRD.TR2");
    EXPECT_EQ(saved.pic_count, 3);
    EXPECT_EQ(saved.pic_files.strings.back(), " pic ");
    ASSERT_EQ(saved.script_count, 23);
    for (int s = 20; s < 23; ++s) {  // an empty slot is written as a lone "End of set"
        EXPECT_EQ(saved.scripts[s].command_count, 1);
        EXPECT_EQ(saved.scripts[s].commands[0].command, 9);
    }
    EXPECT_EQ(saved.key_strings[0].strings.size(), 22u);
    EXPECT_EQ(saved.demo_levels, doc.demo_levels);
}

TEST_F(LevelsTabTest, DeleteLastDropsTheLastLevelPictureAndSlot) {
    Ttombpcdat doc = make_document(6, 5);
    doc.pic_files.strings = {"p0", "p1", "p2"};
    open_document(doc);
    LevelsTab* l = levels();
    ASSERT_EQ(l->ListBox1->count(), 5);
    ASSERT_EQ(l->ListBox3->count(), 3);
    ASSERT_EQ(script()->ListBox9->count(), 6);
    click_row(l->ListBox1, 4);  // the last level is selected
    click_row(script()->ListBox9, 5);
    const QString edit1 = l->Edit1->text();

    dialogs.confirms.push_back(true);
    QTest::mouseClick(l->Button5, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("confirm"), std::vector<QString>{"Are you sure you want to delete last slot?"});
    EXPECT_EQ(dialogs.shown[0].caption, "Confirm");
    EXPECT_EQ(rows(l->ListBox1), texts(doc.level_names.strings).mid(0, 4));
    EXPECT_EQ(rows(l->ListBox2), texts(doc.level_files.strings).mid(0, 4));
    EXPECT_EQ(rows(l->ListBox3), (QStringList{"p0", "p1"}));
    EXPECT_EQ(form->context().doc.script_count, 5);
    EXPECT_EQ(form->context().doc.scripts.size(), 5u);
    EXPECT_EQ(script()->ListBox9->count(), 5);
    EXPECT_EQ(script()->ListBox9->currentRow(), 0);
    EXPECT_EQ(script()->ListBox10->count(), doc.scripts[0].command_count);
    EXPECT_EQ(l->Edit1->text(), edit1);  // the edit boxes and labels keep their text
    EXPECT_EQ(l->Label4->text(), "Slot#4");
    EXPECT_EQ(selected_row(l->ListBox1), -1);
    EXPECT_TRUE(form->context().modified);

    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.level_count, 4);
    EXPECT_EQ(saved.pic_count, 2);
    EXPECT_EQ(saved.script_count, 5);
    for (int s = 0; s < 5; ++s) EXPECT_EQ(saved.scripts[s], doc.scripts[s]);
    EXPECT_EQ(saved.key_strings[9].strings,
              std::vector<std::string>(doc.key_strings[9].strings.begin(), doc.key_strings[9].strings.begin() + 4));
}

TEST_F(LevelsTabTest, DeleteLastOnEmptyListsStaysAtZero) {
    open_document(make_document(7, 1));
    LevelsTab* l = levels();
    for (int i = 0; i < 4; ++i) {
        dialogs.confirms.push_back(true);
        l->Button5Click();
    }
    EXPECT_EQ(l->ListBox1->count(), 0);
    EXPECT_EQ(l->ListBox3->count(), 0);
    EXPECT_EQ(form->context().doc.script_count, 0);
    EXPECT_EQ(script()->ListBox9->count(), 0);
    EXPECT_EQ(script()->ListBox10->count(), 0);
}

TEST_F(LevelsTabTest, AnsweringNoChangesNothing) {
    Ttombpcdat doc = make_document(8, 5);
    open_document(doc);
    LevelsTab* l = levels();
    const QStringList before1 = rows(l->ListBox1), before3 = rows(l->ListBox3),
                      before9 = rows(script()->ListBox9);
    dialogs.confirms = {false, false};
    l->Button5Click();
    l->Button6Click();
    EXPECT_EQ(dialogs.texts("confirm"), (std::vector<QString>{"Are you sure you want to delete last slot?",
                                                            "Are you sure you want to delete all slot?"}));
    EXPECT_EQ(rows(l->ListBox1), before1);
    EXPECT_EQ(rows(l->ListBox3), before3);
    EXPECT_EQ(rows(script()->ListBox9), before9);
    EXPECT_EQ(form->context().doc.script_count, 6);
    EXPECT_EQ(form->context().doc.scripts, doc.scripts);
    EXPECT_FALSE(form->context().modified);
}

TEST_F(LevelsTabTest, DeleteAllLeavesTheOtherTabsAloneAndARefilledDocumentGetsItsTitleSlot) {
    Ttombpcdat doc = make_document(9, 5);
    doc.demo_levels = {1, 0};  // still levels once the tab holds two again
    open_document(doc);
    LevelsTab* l = levels();
    QListWidget* others[] = {form->media()->ListBox4, form->media()->ListBox5, form->media()->ListBox6,
                             form->options()->ListBox7, form->options()->ListBox8, script()->ListBox11};
    std::vector<QStringList> before;
    for (QListWidget* list : others) before.push_back(rows(list));
    std::vector<QString> memos;
    for (int m = 1; m <= 10; ++m) memos.push_back(form->keys()->memo(m)->toPlainText());

    dialogs.confirms.push_back(true);
    QTest::mouseClick(l->Button6, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("confirm"), std::vector<QString>{"Are you sure you want to delete all slot?"});
    for (QListWidget* list : {l->ListBox1, l->ListBox2, l->ListBox3, script()->ListBox9, script()->ListBox10})
        EXPECT_EQ(list->count(), 0) << list->objectName().toStdString();
    EXPECT_EQ(form->context().doc.script_count, 0);
    EXPECT_TRUE(form->context().doc.scripts.empty());
    for (std::size_t i = 0; i < std::size(others); ++i) EXPECT_EQ(rows(others[i]), before[i]);
    for (int m = 1; m <= 10; ++m) EXPECT_EQ(form->keys()->memo(m)->toPlainText(), memos[m - 1]);
    EXPECT_TRUE(form->context().modified);

    // Two levels bring two slots; the save adds the one the layout needs.
    add_new([](TForm3* f) {
        add_level(f, "One", "ONE.TR2", "one.pcx");
        add_level(f, "Two", "TWO.TR2", "");
    });
    EXPECT_EQ(rows(script()->ListBox9), (QStringList{"Script #0", "Script #1"}));
    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(saved.level_count, 2);
    EXPECT_EQ(saved.level_names.strings, (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(saved.pic_files.strings, std::vector<std::string>{"one.pcx"});
    EXPECT_EQ(saved.script_count, 3);
    EXPECT_EQ(saved.fmv_files.strings, doc.fmv_files.strings);
    EXPECT_EQ(saved.game_strings2.strings, doc.game_strings2.strings);
    EXPECT_EQ(saved.demo_levels, doc.demo_levels);
    EXPECT_EQ(saved.key_strings[0].strings,
              std::vector<std::string>(doc.key_strings[0].strings.begin(), doc.key_strings[0].strings.begin() + 2));
    EXPECT_EQ(script()->ListBox9->count(), 3);  // the slot list shows what was written
}

TEST_F(LevelsTabTest, EditBoxesTakeOnlyWhatAScriptCanStore) {
    LevelsTab* l = levels();
    QLineEdit* edits[] = {l->Edit1, l->Edit2, l->Edit3, l->Form3()->Edit1, l->Form3()->Edit3,
                          form->media()->Edit4, form->media()->Edit11, form->options()->Edit7,
                          form->options()->Edit8};
    for (QLineEdit* e : edits) {
        EXPECT_EQ(e->maxLength(), 255) << e->objectName().toStdString();
        e->setText(QString::fromUtf8("caf\u00e9 \u20ac"));  // é and € are in the code page
        e->insert(QString::fromUtf8("\u4e2d"));
        EXPECT_EQ(e->text(), QString::fromUtf8("caf\u00e9 \u20ac")) << e->objectName().toStdString();
    }
    QApplication::processEvents();
    ASSERT_EQ(dialogs.texts("message").size(), std::size(edits));
    EXPECT_EQ(dialogs.texts("message")[0], kUnstorableTextMessage);

    dialogs.clear();
    l->Edit1->clear();
    l->Edit1->setFocus();
    QTest::keyClicks(l->Edit1, "ab");
    QTest::sendKeyEvent(QTest::Click, l->Edit1, Qt::Key_unknown, QString::fromUtf8("\u0394"), {});
    QTest::keyClicks(l->Edit1, "c");  // Δ is refused as typed
    EXPECT_EQ(l->Edit1->text(), "abc");
    l->Edit1->insert(QString(300, QLatin1Char('x')));
    EXPECT_EQ(l->Edit1->text().size(), 255);
    QApplication::processEvents();
    EXPECT_EQ(dialogs.texts("message").size(), 1u);
}

}  // namespace
