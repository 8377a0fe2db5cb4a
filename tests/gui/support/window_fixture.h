// A fixture with the real main window, answered by scripted dialogs, its
// recent-files store in a temporary folder, and helpers that write generated
// scripts there, open them and read what the views show.
#pragma once

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QUndoStack>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "editors/document.h"
#include "editors/levels_tab.h"
#include "editors/list_box.h"
#include "editors/text.h"
#include "shell/main_window.h"
#include "support/scripted_dialogs.h"
#include "tests/samples/sample_scripts.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// The list boxes are views of models: these read and select their rows as
// the user sees and picks them.

// The rows of a list box.
inline QStringList rows(const QAbstractItemView* list) {
    QStringList out;
    const QAbstractItemModel* model = list->model();
    for (int i = 0; i < model->rowCount(); ++i) out.append(model->index(i, 0).data().toString());
    return out;
}

inline int row_count(const QAbstractItemView* list) { return list->model()->rowCount(); }

inline QString row_text(const QAbstractItemView* list, int row) {
    return list->model()->index(row, 0).data().toString();
}

inline int current_row(const QAbstractItemView* list) { return list->currentIndex().row(); }

inline bool is_row_selected(const QAbstractItemView* list, int row) {
    return list->selectionModel()->isSelected(list->model()->index(row, 0));
}

// The row of the selected entry, or -1 when nothing is selected.
inline int selected_row(const QAbstractItemView* list) {
    if (is_row_selected(list, current_row(list))) return current_row(list);
    const auto selected = list->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

// Makes a row current and the only selected one (none for -1), as a click
// does; the list's own handling runs.
inline void set_current_row(QAbstractItemView* list, int row) {
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

// Script bytes as the views show them in windows-1252 (or `page`); the
// first n only, when n is given.
inline QStringList texts(const std::vector<std::string>& strings, int n = -1,
                         const CodePage* page = vellumark::codepage::find(vellumark::codepage::kDefaultPage)) {
    QStringList out;
    for (const auto& s : strings) out.append(to_text(s, page));
    return out.mid(0, n);
}

// The lines of a memo or text pane: its blocks, split at their line
// separators (the transcript pane holds many lines in one block).
template <class Edit>
QStringList lines_of(const Edit* edit) {
    QStringList out;
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next())
        out.append(b.text().split(QChar::LineSeparator));
    return out;
}

// Clicks a row of a list box as the user would.
inline void click_row(QAbstractItemView* list, int row) {
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        TForm1::set_settings_file(dir.filePath(QStringLiteral("settings.ini")));
        form = std::make_unique<TForm1>(dialogs);
        dialogs.clear();
    }

    void TearDown() override {
        form.reset();
        TForm1::set_settings_file({});
        TForm1::set_skin_file({});
    }

    // Ends this run (writing the recent-files list) and starts a new window;
    // `dialogs` then holds what the new window showed while it started.
    void restart() {
        form.reset();
        dialogs.clear();
        form = std::make_unique<TForm1>(dialogs);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Writes the bytes to a file in the temporary folder; returns its path.
    QString write_sample(const QString& name, const std::vector<std::uint8_t>& bytes) const {
        const QString p = path(name);
        vellumark::samples::write_file(p.toStdString(), bytes);
        return p;
    }

    // Writes a generated script and opens it through "&Open".
    QString open_sample(const QString& name, const std::vector<std::uint8_t>& bytes) {
        const QString p = write_sample(name, bytes);
        open_path(p);
        return p;
    }

    void open_path(const QString& p) {
        dialogs.fileNames.push_back(p);
        form->Open1Click();
    }

    static std::vector<std::uint8_t> small_script(unsigned seed = 1, int levels = 3) {
        return vellumark::samples::file_bytes(vellumark::samples::make_document(seed, levels));
    }

    ScriptDocument& doc() const { return *form->document(); }
    // The caption as the window system shows it: the "[*]" placeholder shown
    // as "*" while the window is modified, dropped otherwise.
    QString shown_caption() const {
        form->winId();
        return form->windowHandle()->title();
    }
    // The lines of the transcript pane, once every open has put in all of
    // its listing (a long one goes in over several passes of the event loop).
    QStringList transcript() const {
        form->levels()->finishTranscript();
        return lines_of(form->levels()->shit);
    }
    const vellumark::Ttombpcdat& record() const { return form->document()->record(); }
    // Marks the document saved, so that the next edit shows in modified().
    void mark_saved() const { form->document()->undoStack()->setClean(); }
    // Runs an action on a saved document; returns whether it counts as an edit.
    bool changes(const std::function<void()>& action) const {
        mark_saved();
        action();
        return form->modified();
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form;
};
