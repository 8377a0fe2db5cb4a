// Dialogs for GUI tests: answers come from queues, everything shown is
// recorded. Nothing ever blocks: an empty queue answers as a cancel (file and
// colour dialogs), No (confirm), or closes the modal window untouched.
#pragma once

#include <QColor>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "editors/dialogs.h"

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString kind;     // "message", "information", "error", "confirm", "askToSave", "choice", "open", "save", "color", "exec"
        QString caption;  // error caption, or the dialog's window title for exec
        QString text;     // the box's text, or the filter of a file dialog
    };

    std::vector<Shown> shown;
    std::deque<bool> confirms;
    std::deque<SaveChoice> saveChoices;  // answers of askToSave; Cancel when empty
    std::deque<QString> fileNames;  // answers of open and save dialogs, in order
    std::deque<QColor> colors;
    std::deque<int> choices;  // answers of choice(), the index chosen; a cancel when empty
    // Actions run on a modal window in place of its event loop, in order.
    std::deque<std::function<void(QDialog*)>> modal;
    QString lastSaveOffered;  // lastName passed to the latest save dialog
    QString lastOpenDir;      // the folder the latest open dialog started in
    QColor lastColorOffered;
    QStringList lastChoices;     // the items of the latest choice()
    int lastChoiceCurrent = -1;  // and the one it offered first
    std::function<void()> lastColorHelp;  // what the colour dialog's Help button runs

    void message(QWidget*, const QString& text) override { shown.push_back({"message", {}, text}); }
    void information(QWidget*, const QString& text) override {
        shown.push_back({"information", {}, text});
    }
    void error(QWidget*, const QString& caption, const QString& text) override {
        shown.push_back({"error", caption, text});
    }
    bool confirm(QWidget*, const QString& text) override {
        shown.push_back({"confirm", QStringLiteral("Confirm"), text});
        if (confirms.empty()) return false;
        const bool a = confirms.front();
        confirms.pop_front();
        return a;
    }
    SaveChoice askToSave(QWidget*, const QString& text) override {
        shown.push_back({"askToSave", {}, text});
        if (saveChoices.empty()) return SaveChoice::Cancel;
        const SaveChoice a = saveChoices.front();
        saveChoices.pop_front();
        return a;
    }
    QString openFileName(QWidget*, const QString& filter, const QString& dir = QString()) override {
        shown.push_back({"open", {}, filter});
        lastOpenDir = dir;
        return next_name();
    }
    QString saveFileName(QWidget*, const QString& filter, const QString& lastName) override {
        shown.push_back({"save", {}, filter});
        lastSaveOffered = lastName;
        return next_name();
    }
    std::optional<int> choice(QWidget*, const QString& title, const QString& label, const QStringList& items,
                              int current) override {
        shown.push_back({"choice", title, label});
        lastChoices = items;
        lastChoiceCurrent = current;
        if (choices.empty()) return std::nullopt;
        const int n = choices.front();
        choices.pop_front();
        return n;
    }
    QColor color(QWidget*, const QColor& initial, const std::function<void()>& help) override {
        shown.push_back({"color", {}, {}});
        lastColorOffered = initial;
        lastColorHelp = help;
        if (colors.empty()) return QColor();
        const QColor c = colors.front();
        colors.pop_front();
        return c;
    }
    void exec(QDialog* dialog) override {
        shown.push_back({"exec", dialog->windowTitle(), {}});
        if (modal.empty()) return;
        auto action = std::move(modal.front());
        modal.pop_front();
        action(dialog);
    }

    // Texts of all boxes of one kind, in order.
    std::vector<QString> texts(const QString& kind) const {
        std::vector<QString> out;
        for (const auto& s : shown)
            if (s.kind == kind) out.push_back(s.text);
        return out;
    }
    void clear() { shown.clear(); }

private:
    QString next_name() {
        if (fileNames.empty()) return {};
        QString n = fileNames.front();
        fileNames.pop_front();
        return n;
    }
};
