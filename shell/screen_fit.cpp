// Where the main window stands on its screen: centred at start, and kept
// within the screen's free area while the Problems or Find panel below it is shown.
#include <QLayout>
#include <QScreen>
#include <QTreeWidget>
#include <algorithm>

#include "editors/problems_panel.h"
#include "shell/main_window.h"

void TForm1::centreOnScreen() {
    const QScreen* at = screen();
    if (!at) return;
    // Laid out now: before, the window still has Qt's first size, 640x480.
    layout()->activate();
    QRect frame = frameGeometry();
    frame.moveCenter(at->availableGeometry().center());
    move(frame.topLeft());
}

void TForm1::keepOnScreen() {
    const QScreen* at = screen();
    if (!at) return;
    const QRect room = at->availableGeometry();
    QWidget* list = problems_->ProblemList;
    list->setMaximumHeight(QWIDGETSIZE_MAX);
    layout()->activate();
    // The frame (title bar, borders) around the window, once it has one.
    const int frame = frameGeometry().height() - height();
    if (const int over = height() + frame - room.height(); over > 0 && problems_->isVisible() && !problems_->isFloating()) {
        list->setMaximumHeight(std::max(list->sizeHint().height() - over, list->minimumHeight()));
        layout()->activate();
    }
    QRect place = frameGeometry();
    if (place.bottom() > room.bottom()) place.moveBottom(room.bottom());
    if (place.top() < room.top()) place.moveTop(room.top());
    if (place.topLeft() != frameGeometry().topLeft()) move(place.topLeft());
}
