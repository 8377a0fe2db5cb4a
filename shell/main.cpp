// Program start: the main window with its hidden secondary windows, then the
// event loop until the main window closes. An optional argument names a
// script to open (the desktop's "Open with").
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "editors/dialogs.h"
#include "shell/main_window.h"

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
    // A file handed over by the desktop (the .desktop entry's %f) opens as
    // "&Open" would, by the bytes of its name; QApplication has already taken
    // its own options out of argv.
    if (argc > 1) form.openFile(FileName(argv[1]));
    return app.exec();
}
