// Program start: the main window with its hidden secondary windows, then the
// event loop until the main window closes. An optional argument names a
// script to open (the desktop's "Open with"); --help and --version answer
// without a display.
#include <QApplication>
#include <QFile>
#include <iostream>

#include "editors/dialogs.h"
#include "shell/main_window.h"
#include "shell/start_arguments.h"

namespace {

StartArguments startArguments(int argc, char** argv) { return parseStartArguments({argv + 1, argv + argc}); }

}  // namespace

int main(int argc, char** argv) {
    StartArguments start = startArguments(argc, argv);
    if (start.action == StartArguments::Action::help || start.action == StartArguments::Action::version) {
        std::cout << (start.action == StartArguments::Action::help ? editorUsageText() : editorVersionText());
        return std::cout.flush() ? 0 : 1;
    }
    QApplication app(argc, argv);
    // QApplication has taken its own options out of argv.
    start = startArguments(argc, argv);
    if (start.action == StartArguments::Action::usage_error) {
        std::cerr << start.message;
        return 2;
    }
    QtDialogs dialogs;
    TForm1 form(dialogs);
    form.centreOnScreen();
    form.show();
    // A file handed over by the desktop (the .desktop entry's %f) opens as
    // "&Open" would.
    if (!start.path.empty()) {
        const QString path = QFile::decodeName(start.path.c_str());
        form.run_command([&] { form.load_script_file(path); });
    }
    return app.exec();
}
