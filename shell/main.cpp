// Program start: the main window with its hidden secondary windows, then the
// event loop until the main window closes.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "editors/dialogs.h"
#include "shell/Unit1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtDialogs dialogs;
    TForm1 form(dialogs);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = form.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        form.move(frame.topLeft());
    }
    form.show();
    return app.exec();
}
