// What the window draws, read from its pixels: long entries whole, the
// problem count whole, the line-break symbols in a font that has them.
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include "codec/commands.h"
#include "editors/options_tab.h"
#include "editors/problems_panel.h"
#include "support/window_fixture.h"

namespace {

// Ink: a pixel much darker than the light background the views paint.
bool ink(QRgb pixel) { return qGray(pixel) < 140; }

// The leftmost and rightmost columns with ink in the rows top..bottom of an
// image (-1 when there is none).
std::pair<int, int> ink_columns(const QImage& image, int top, int bottom) {
    int left = -1, right = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = std::max(top, 0); y <= std::min(bottom, image.height() - 1); ++y)
            if (ink(image.pixel(x, y))) {
                if (left < 0) left = x;
                right = x;
                break;
            }
    return {left, right};
}

// The width of the ink of a text drawn alone in a font.
int ink_width(const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 40, metrics.height() + 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(20, 5 + metrics.ascent(), text);
    p.end();
    const auto [left, right] = ink_columns(image, 0, image.height() - 1);
    return right - left + 1;
}

QImage grab(QWidget* w) { return w->grab().toImage().scaled(w->size()); }

// How wide the ink of a row is over the whole scroll range: its start with
// the list scrolled to the left, its end scrolled to the right.
int drawn_width(QListView* list, int row) {
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QScrollBar* bar = list->horizontalScrollBar();
    bar->setValue(0);
    QApplication::processEvents();
    QRect band = list->visualRect(index);
    const int left = ink_columns(grab(list->viewport()), band.top(), band.bottom()).first;
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    band = list->visualRect(index);
    const int right = ink_columns(grab(list->viewport()), band.top(), band.bottom()).second;
    // The end is drawn inside the list, not cut at its edge.
    EXPECT_LT(right, list->viewport()->width() - 1) << list->objectName().toStdString();
    return right + bar->maximum() - left + 1;
}

TEST_F(WindowTest, LongEntriesAndTheProblemCountAreDrawnWhole) {
    auto d = vellumark::samples::make_document(5, 24);
    d.level_names.strings[2] = "A" + std::string(182, 'm') + "!";  // 184 characters
    d.game_strings1.strings[3] = "The file could not be saved!";
    // 32 wide Cyrillic letters (windows-1251) among longer narrow names.
    d.level_files.strings[1] = std::string(32, '\xD8');
    for (int i = 2; i < 14; ++i) d.level_files.strings[std::size_t(i)] = std::string(40, 'i');
    // Operands that name nothing: a warning each, a long count.
    for (auto& slot : d.scripts)
        for (int i = 0; i < slot.command_count && i < 64; ++i)
            if (slot.commands[std::size_t(i)].command == vellumark::cmd::kPlayLevel) slot.commands[std::size_t(i)].operand = 99;
    open_sample("long.dat", vellumark::samples::file_bytes(d));
    form->setCodePage(vellumark::codepage::page::cp1251);
    form->show();
    QApplication::processEvents();

    for (int points : {7, 14}) {
        form->levels()->TrackBar1->setValue(points);
        form->tabs()->setCurrentWidget(form->levels());
        QApplication::processEvents();
        QListView* names = form->levels()->ListBox1;
        const QString name = row_text(names, 2);
        EXPECT_TRUE(names->horizontalScrollBar()->isVisible());
        EXPECT_NEAR(drawn_width(names, 2), ink_width(name, names->font()), 2) << points;
        QListView* files = form->levels()->ListBox2;
        ASSERT_EQ(row_text(files, 1), QString(32, QChar(0x0428)));
        EXPECT_NEAR(drawn_width(files, 1), ink_width(row_text(files, 1), files->font()), 2) << points;

        form->tabs()->setCurrentWidget(form->options());
        QApplication::processEvents();
        QListView* strings = form->options()->ListBox7;
        const QString saved = row_text(strings, 3);
        const int width = ink_width(saved, strings->font());
        if (strings->horizontalScrollBar()->maximum() == 0) {
            // It fits: drawn whole without scrolling.
            const QRect band = strings->visualRect(strings->model()->index(3, 0));
            const auto [left, right] = ink_columns(grab(strings->viewport()), band.top(), band.bottom());
            EXPECT_NEAR(right - left + 1, width, 2) << points;
        } else {
            EXPECT_NEAR(drawn_width(strings, 3), width, 2) << points;
        }
    }

    // The count stands whole inside the menu bar.
    const QString count = form->ProblemCount->text();
    ASSERT_TRUE(count.startsWith("0 errors, ")) << count.toStdString();
    ASSERT_GE(count.size(), QStringLiteral("0 errors, 10 warnings").size());
    QMenuBar* bar = form->menuBar();
    const QRect at(form->ProblemCount->mapTo(bar, QPoint(0, 0)), form->ProblemCount->size());
    EXPECT_TRUE(bar->rect().contains(at)) << at.x() << "+" << at.width() << " in " << bar->width();
    const QImage drawn = grab(bar);
    const auto [left, right] = ink_columns(drawn, at.top(), at.bottom());
    (void)left;
    const auto text_left = ink_columns(drawn.copy(at), 0, at.height()).first + at.x();
    EXPECT_LT(right, bar->width() - 1);
    EXPECT_NEAR(right - text_left + 1, ink_width(count, form->ProblemCount->font()), 2);
}

TEST_F(WindowTest, LineBreakSymbolsAreDrawnFromAFaceThatHasThem) {
    auto d = vellumark::samples::make_document(6, 3);
    d.level_names.strings[0] = "\n";
    d.level_names.strings[1] = "\r";
    open_sample("breaks.dat", vellumark::samples::file_bytes(d));
    form->show();
    QApplication::processEvents();
    QListView* names = form->levels()->ListBox1;
    ASSERT_EQ(row_text(names, 0), QString(QChar(0x240A)));
    ASSERT_EQ(row_text(names, 1), QString(QChar(0x240D)));

    // The list's font has both symbols, through a family of its own list
    // that has them itself, not through whatever the system falls back to.
    const QFont used = names->font();
    EXPECT_TRUE(QFontMetrics(used).inFontUcs4(0x240A));
    EXPECT_TRUE(QFontMetrics(used).inFontUcs4(0x240D));
    bool drawn_by_a_family = false;
    for (const QString& family : used.families().mid(1)) {
        QFont face(family, used.pointSize());
        const QFontMetrics metrics(face);
        if (QFontInfo(face).family() == family && metrics.inFontUcs4(0x240A) && metrics.inFontUcs4(0x240D))
            drawn_by_a_family = true;
    }
    EXPECT_TRUE(drawn_by_a_family) << used.families().join(", ").toStdString();

    // Drawn, the two have ink and differ (two empty boxes would be alike).
    const QImage list = grab(names->viewport());
    const QImage lf = list.copy(names->visualRect(names->model()->index(0, 0)));
    const QImage cr = list.copy(names->visualRect(names->model()->index(1, 0)));
    ASSERT_EQ(lf.size(), cr.size());
    EXPECT_GE(ink_columns(lf, 0, lf.height()).first, 0);
    EXPECT_GE(ink_columns(cr, 0, cr.height()).first, 0);
    EXPECT_NE(lf, cr);
}

}  // namespace
