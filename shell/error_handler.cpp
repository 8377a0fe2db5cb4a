#include "shell/error_handler.h"

#include <exception>

#include "codec/errors.h"
#include "editors/dialogs.h"

void ErrorHandler::show(const QString& text) {
    dialogs_.error(parent_, application_title(),
                   QString::fromStdString(vellumark::error_box_text(text.toStdString())));
}

bool ErrorHandler::run(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::exception& e) {
        show(QString::fromUtf8(e.what()));
    } catch (...) {
        show(QStringLiteral("Unknown failure"));
    }
    return false;
}
