// The general error handler of the window: runs a command and shows any
// failure in the error box, captioned with the program's title, its text with
// the full-stop rule of error_box_text. No exception ever reaches Qt's event
// loop.
#pragma once

#include <QString>
#include <functional>

class Dialogs;
class QWidget;

class ErrorHandler {
public:
    ErrorHandler(Dialogs& dialogs, QWidget* parent) : dialogs_(dialogs), parent_(parent) {}

    // True when the command completed.
    bool run(const std::function<void()>& command);
    void show(const QString& text);

private:
    Dialogs& dialogs_;
    QWidget* parent_;
};
