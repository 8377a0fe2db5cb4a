// Every modal interaction goes through this interface. The program uses the
// Qt implementation; the GUI tests install a scripted one that answers from a
// queue and records what was shown, so no test ever blocks.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QColorDialog;
class QDialog;
class QWidget;

// The answers to "save the changes first?".
enum class SaveChoice { Save, Discard, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Plain message box with an OK button (user errors), captioned with the
    // program's title.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // Information box with an OK button (" Saved!", the transcript message).
    virtual void information(QWidget* parent, const QString& text) = 0;
    // Error box: error icon, OK button, the given caption.
    virtual void error(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Box captioned "Confirm" with Yes (the default) and No; Escape answers No.
    // True unless the answer is No.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // Box captioned with the program's title offering Save (the default),
    // Discard and Cancel; Escape answers Cancel.
    virtual SaveChoice askToSave(QWidget* parent, const QString& text) = 0;

    // File dialogs; an empty string when the user cancels. dir: the folder
    // the open dialog starts in, the working folder when empty.
    virtual QString openFileName(QWidget* parent, const QString& filter, const QString& dir = QString()) = 0;
    // lastName: the name last chosen in this dialog, offered again.
    virtual QString saveFileName(QWidget* parent, const QString& filter,
                                 const QString& lastName) = 0;
    // Offers items in a drop-down list with items[current] chosen; the index
    // of the item chosen, or nothing when the user cancels.
    virtual std::optional<int> choice(QWidget* parent, const QString& title, const QString& label,
                                      const QStringList& items, int current) = 0;
    // Colour dialog; an invalid colour when the user cancels. Its Help button
    // runs help.
    virtual QColor color(QWidget* parent, const QColor& initial, const std::function<void()>& help) = 0;

    // Shows a window modally until it closes (the close prompt, the add-level
    // dialog, the About window).
    virtual void exec(QDialog* dialog) = 0;
};

// The real dialogs, built on Qt's.
class QtDialogs : public Dialogs {
public:
    void message(QWidget* parent, const QString& text) override;
    void information(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& caption, const QString& text) override;
    bool confirm(QWidget* parent, const QString& text) override;
    SaveChoice askToSave(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& filter, const QString& dir = QString()) override;
    QString saveFileName(QWidget* parent, const QString& filter, const QString& lastName) override;
    std::optional<int> choice(QWidget* parent, const QString& title, const QString& label, const QStringList& items,
                              int current) override;
    QColor color(QWidget* parent, const QColor& initial, const std::function<void()>& help) override;
    void exec(QDialog* dialog) override;
};

// Gives Qt's own colour dialog a Help button that runs help.
void add_help_button(QColorDialog& dialog, const std::function<void()>& help);

// The program's title: the executable's file name cut at its first full stop.
QString application_title();
