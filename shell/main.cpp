// Program start: the main window with its hidden secondary windows, then the
// event loop until the main window closes. An optional argument names a
// script to open (the desktop's "Open with").
#include <QApplication>
#include <QFile>
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
    // "&Open" would; QApplication has already taken its own options out of argv.
    if (argc > 1) {
        const QString path = QFile::decodeName(argv[1]);
        form.run_command([&] { form.load_script_file(path); });
    }
    return app.exec();
}
