// The Options tab: the nine option values, the flag boxes, "Single Level",
// the game strings, which edits count as changes, and what Save writes.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "codec/layout.h"
#include "codec/script_file.h"
#include "editors/keystrings_tab.h"
#include "editors/options_tab.h"
#include "editors/spin_edit.h"
#include "support/window_fixture.h"

using vellumark::Ttombpcdat;
using vellumark::samples::file_bytes;
using vellumark::samples::make_document;

namespace {

// A file image whose flags word is exactly `flags`. The strings are stored
// with key 0, so they read the same with or without the coding bit.
std::vector<std::uint8_t> with_flags(Ttombpcdat doc, std::uint16_t flags) {
    doc.cipher_byte = 0;
    std::vector<std::uint8_t> bytes = file_bytes(doc);
    bytes[vellumark::layout::kFlags] = static_cast<std::uint8_t>(flags & 0xFF);
    bytes[vellumark::layout::kFlags + 1] = static_cast<std::uint8_t>(flags >> 8);
    return bytes;
}

class OptionsTabTest : public WindowTest {
protected:
    void open_document(const std::vector<std::uint8_t>& bytes) {
        file = open_sample(QStringLiteral("options.dat"), bytes);
        ASSERT_EQ(form->current_file_name(), file);
        dialogs.clear();
        form->tabs()->setCurrentIndex(2);
        form->show();
        QApplication::processEvents();
        o = form->options();
    }

    Ttombpcdat save_and_read() {
        form->Save1Click();
        EXPECT_EQ(dialogs.texts("error"), std::vector<QString>{});
        return vellumark::parse_script(vellumark::samples::read_file(file.toStdString()));
    }

    QString file;
    OptionsTab* o = nullptr;
};

TEST_F(OptionsTabTest, SoundIdsShowSignedAndSaveTheirLow16Bits) {
    Ttombpcdat doc = make_document(21, 3);
    doc.title_sound_id = -1;  // stored as 65535
    doc.demo_time = 1234;
    open_document(file_bytes(doc));
    EXPECT_EQ(o->spin(8)->text(), "-1");
    EXPECT_EQ(o->spin(5)->text(), "1234");

    o->spin(9)->setText("");
    QLineEdit* typed = o->spin(9)->findChild<QLineEdit*>();
    typed->setFocus();
    QTest::keyClicks(typed, "7x0000");  // the letter is refused
    EXPECT_EQ(o->spin(9)->text(), "70000");
    o->spin(5)->setText("");
    o->spin(1)->setText("-7");
    o->spin(3)->setText("1.5");  // not a whole number: 0

    const Ttombpcdat saved = save_and_read();
    EXPECT_EQ(static_cast<std::uint16_t>(saved.title_sound_id), 65535);
    EXPECT_EQ(static_cast<std::uint16_t>(saved.secret_sound_id), 4464);
    EXPECT_EQ(saved.demo_time, 0);
    EXPECT_EQ(saved.first_option, -7);
    EXPECT_EQ(saved.on_death_demo, 0);
    EXPECT_EQ(saved.title_replace, doc.title_replace);
    EXPECT_EQ(o->spin(5)->text(), "");  // the text stays as typed
}

TEST_F(OptionsTabTest, FlagBoxesFollowTheirBitsAndSaveAddsTheFixedOnes) {
    Ttombpcdat doc = make_document(22, 3);
    doc.single_level = -1;
    open_document(with_flags(doc, 0x0422));
    const bool expected[11] = {false, false, false, true, false, false, false, true, false, false, true};
    for (int box = 1; box <= 10; ++box) EXPECT_EQ(o->check(box)->isChecked(), expected[box]) << box;
    EXPECT_EQ(save_and_read().flags, 0x0722);

    // Without 0x0020 "Screen Sizing Disabled" is clear; "Single Level"
    // follows single_level alone.
    doc.single_level = 0;
    open_document(with_flags(doc, 0x0300));
    for (int box = 2; box <= 10; ++box) EXPECT_FALSE(o->check(box)->isChecked()) << box;
    EXPECT_TRUE(o->check(1)->isChecked());

    QTest::mouseClick(o->check(6), Qt::LeftButton);  // ticked boxes change the flags written
    QTest::mouseClick(o->check(10), Qt::LeftButton);
    EXPECT_TRUE(form->modified());
    EXPECT_EQ(save_and_read().flags, 0x0710);
}

TEST_F(OptionsTabTest, SingleLevelToggledChangesNothingInTheFile) {
    for (const std::int16_t single : {std::int16_t{-1}, std::int16_t{0}, std::int16_t{7}}) {
        SCOPED_TRACE(single);
        Ttombpcdat doc = make_document(23, 9);
        doc.single_level = single;
        const std::vector<std::uint8_t> bytes = file_bytes(doc);
        open_document(bytes);
        EXPECT_EQ(o->check(1)->isChecked(), single != -1);
        EXPECT_FALSE(form->modified());
        QTest::mouseClick(o->check(1), Qt::LeftButton);
        EXPECT_EQ(o->check(1)->isChecked(), single == -1);
        EXPECT_TRUE(form->modified());
        save_and_read();
        EXPECT_EQ(vellumark::samples::read_file(file.toStdString()), bytes);
    }
}

TEST_F(OptionsTabTest, EveryEditCountsAsAChangeAndSelectingDoesNot) {
    open_document(file_bytes(make_document(24, 4)));
    for (int i = 1; i <= 9; ++i) EXPECT_TRUE(changes([&] { o->spin(i)->stepBy(1); })) << i;
    for (int i = 1; i <= 10; ++i) EXPECT_TRUE(changes([&] { QTest::mouseClick(o->check(i), Qt::LeftButton); })) << i;
    for (int i = 1; i <= 10; ++i) EXPECT_TRUE(changes([&] { form->keys()->memo(i)->appendPlainText("x"); })) << i;
    EXPECT_FALSE(changes([&] { click_row(o->ListBox7, 0); }));
    EXPECT_FALSE(changes([&] { click_row(o->ListBox8, 3); }));
    EXPECT_TRUE(changes([&] { QTest::mouseClick(o->Button9, Qt::LeftButton); }));
}

TEST_F(OptionsTabTest, GameStringReplace) {
    const Ttombpcdat doc = make_document(25, 4);
    open_document(file_bytes(doc));
    ASSERT_EQ(row_count(o->ListBox8), 41);
    click_row(o->ListBox8, 40);
    EXPECT_EQ(o->Edit8->text().toStdString(), doc.game_strings2.strings[40]);
    o->Edit8->setText("Last string");
    QTest::mouseClick(o->Button10, Qt::LeftButton);
    EXPECT_EQ(current_row(o->ListBox8), 40);

    click_row(o->ListBox7, 0);
    EXPECT_EQ(o->Edit7->text().toStdString(), doc.game_strings1.strings[0]);
    o->Edit7->setText("First");
    QTest::mouseClick(o->Button9, Qt::LeftButton);

    const Ttombpcdat saved = save_and_read();
    ASSERT_EQ(saved.game_strings2.strings.size(), 41u);
    EXPECT_EQ(saved.game_strings2.strings[40], "Last string");
    EXPECT_EQ(saved.game_strings1.strings[0], "First");
    EXPECT_EQ(saved.game_strings1_count, doc.game_strings1_count);
}

}  // namespace
