// The game flow window: opened from "Other Command", a click leads to the
// slot and command, the picture follows edits and undo, the export writes
// pictures that read back, and a missing dot is said in the window.
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QXmlStreamReader>

#include "codec/commands.h"
#include "editors/script_tab.h"
#include "formats/flow_dot.h"
#include "shell/flow_window.h"
#include "support/window_fixture.h"

namespace {

QString title_of(const GameFlowWindow* w, int slot) {
    for (const auto& n : w->shown().nodes)
        if (n.slot == slot) return QString::fromStdString(n.title);
    return {};
}

TEST_F(WindowTest, GameFlowWindowLeadsToSlotsFollowsEditsAndExportsPictures) {
    form->show();
    auto d = vellumark::samples::make_document(5, 8);
    d.level_names.strings[4] = "Opera House";
    // Slot 5 plays level 4 after a movie and a soundtrack.
    d.scripts[5] = vellumark::end_of_set_slot();
    d.scripts[5].command_count = 4;
    d.scripts[5].commands[0] = {vellumark::cmd::kPlaySoundtrack, 3};
    d.scripts[5].commands[1] = {vellumark::cmd::kPlayLevel, 4};
    d.scripts[5].commands[2] = {vellumark::cmd::kLevelComplete, vellumark::cmd::kNoOperand};
    d.scripts[5].commands[3] = {vellumark::cmd::kEndOfSet, vellumark::cmd::kNoOperand};
    open_sample("flow.dat", vellumark::samples::file_bytes(d));

    form->GameFlow1->trigger();
    GameFlowWindow* w = form->flowWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    QTRY_COMPARE(title_of(w, 5), QStringLiteral("4 Opera House"));
    EXPECT_FALSE(w->message()->isVisible());

    // A click on the event "Level complete" (row 3 after the title, the file
    // and the soundtrack) selects slot 5 and its line 2.
    const QPointF at = w->rowCentre(QStringLiteral("s5"), 3);
    ASSERT_FALSE(at.isNull());
    w->view()->centerOn(at);
    QTest::mouseClick(w->view()->viewport(), Qt::LeftButton, {}, w->view()->mapFromScene(at));
    EXPECT_EQ(form->tabs()->currentWidget(), form->script());
    EXPECT_EQ(current_row(form->script()->ListBox9), 5);
    EXPECT_EQ(current_row(form->script()->ListBox10), 2);

    // An edit of the level's name, and its undo, redraw the node.
    QSignalSpy drawn(w, &GameFlowWindow::laidOut);
    form->document()->setEntry(vellumark::table_id::level_names, 4, "Opera Housing", QStringLiteral("Rename"));
    form->document()->setEntry(vellumark::table_id::level_names, 4, "Opera Hall", QStringLiteral("Rename"));
    QTRY_COMPARE(title_of(w, 5), QStringLiteral("4 Opera Hall"));
    EXPECT_EQ(drawn.count(), 1);  // two quick edits, one layout
    form->document()->undoStack()->undo();
    QTRY_COMPARE(title_of(w, 5), QStringLiteral("4 Opera Housing"));

    // The export: SVG and PNG by the name, each read back; another name is refused.
    dialogs.fileNames = {path("flow.svg"), path("flow.png"), path("flow.txt")};
    form->ExportFlow1->trigger();
    form->ExportFlow1->trigger();
    form->ExportFlow1->trigger();
    QFile svg(path("flow.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    int elements = 0;
    QString root;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && elements++ == 0) root = xml.name().toString();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(root, QStringLiteral("svg"));
    EXPECT_GT(elements, 50);
    const QImage png(path("flow.png"));
    EXPECT_FALSE(png.isNull());
    EXPECT_GT(png.height(), png.width());
    EXPECT_FALSE(QFile::exists(path("flow.txt")));
    EXPECT_EQ(dialogs.texts("error"),
              std::vector<QString>{"A game flow picture is written as SVG or PNG: give a name ending in .svg or .png."});

    // Without dot the window says so, and the rest works.
    const QByteArray search_path = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    form->document()->setEntry(vellumark::table_id::level_names, 4, "Opera", QStringLiteral("Rename"));
    QTRY_VERIFY(w->message()->isVisible());
    qputenv("PATH", search_path);
    EXPECT_EQ(w->message()->text().toStdString(), std::string(vellumark::flow::kDotMissing) + ".");
    EXPECT_EQ(row_text(form->levels()->ListBox1, 4), QStringLiteral("Opera"));
}

}  // namespace
