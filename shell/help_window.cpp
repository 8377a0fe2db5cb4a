#include "shell/help_window.h"

#include <QFile>
#include <algorithm>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "editors/colors.h"

// The resources live in a static library; make sure the linker keeps them.
static void init_manual_resource() { Q_INIT_RESOURCE(assets); }

namespace {

// The manual is built into the program.
QString manual_text() {
    init_manual_resource();
    QFile f(QStringLiteral(":/manual.txt"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

}  // namespace

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Vellumark : Help."));
    resize(472, 394);
    QPalette p = palette();
    p.setColor(QPalette::Window, kSilver);
    setPalette(p);
    setAutoFillBackground(true);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setAcceptRichText(true);
    RichEdit1->setPlainText(manual_text());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RichEdit1);
}

void TForm5::showAndRaise() {
    show();
    raise();
    activateWindow();
}

void TForm5::showSection(const QString& heading) {
    QTextCursor at(RichEdit1->document());
    for (QTextBlock b = RichEdit1->document()->begin(); b.isValid(); b = b.next())
        if (b.text() == heading) at = QTextCursor(b);
    // To the end first, so that the heading comes to the top.
    RichEdit1->moveCursor(QTextCursor::End);
    RichEdit1->setTextCursor(at);
    RichEdit1->ensureCursorVisible();
}

void TForm5::placeBeside(const QRect& other) {
    shown_once_ = true;  // not centred over it at the show
    const QScreen* screen = QGuiApplication::screenAt(other.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // The frame around the window: known once it was shown, guessed before.
    const QRect frame = frameGeometry();
    const QSize decorations = isVisible() ? frame.size() - size() : QSize(16, 40);
    const QSize outer = size() + decorations;
    constexpr int kGap = 8;
    const int top = std::clamp(other.top(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    if (other.right() + kGap + outer.width() <= area.right() + 1) {
        move(other.right() + 1 + kGap, top);
    } else if (other.left() - kGap - outer.width() >= area.left()) {
        move(other.left() - kGap - outer.width(), top);
    } else {
        // No room at either side: the larger room above or below, the
        // window shortened to it.
        const int above = other.top() - kGap - area.top();
        const int below = area.bottom() + 1 - (other.bottom() + 1 + kGap);
        const int room = std::max(above, below) - decorations.height();
        resize(width(), std::clamp(room, 120, height()));
        const int x = std::clamp(other.center().x() - outer.width() / 2, area.left(),
                                 std::max(area.left(), area.right() + 1 - outer.width()));
        move(x, above >= below ? area.top() : other.bottom() + 1 + kGap);
    }
}

void TForm5::showEvent(QShowEvent* event) {
    // Centred on the desktop the first time; later where the user left it.
    if (!shown_once_) {
        shown_once_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    QWidget::showEvent(event);
}
