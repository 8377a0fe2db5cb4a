#include "shell/appearance.h"

#include <QApplication>
#include <QFile>
#include <QListView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include "codec/errors.h"
#include "codec/fileio.h"
#include "editors/colors.h"
#include "editors/list_box.h"
#include "editors/dialogs.h"
#include "editors/document.h"
#include "editors/keystrings_tab.h"
#include "editors/levels_tab.h"
#include "editors/media_tab.h"
#include "editors/options_tab.h"
#include "editors/script_tab.h"
#include "formats/rtf_writer.h"
#include "shell/help_window.h"
#include "shell/main_window.h"

namespace {

// The pane's lines in order: every block, split at its soft line breaks.
// An empty pane has no lines at all.
std::vector<std::u32string> pane_lines(const QTextEdit* pane) {
    std::vector<std::u32string> lines;
    const QTextDocument* doc = pane->document();
    if (doc->isEmpty()) return lines;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        QString text = b.text();
        text.remove(QChar::ObjectReplacementCharacter);
        for (const QString& line : text.split(QChar::LineSeparator))
            lines.push_back(line.toStdU32String());
    }
    return lines;
}

// Saved as every file is (atomic_write_file), in the window's words: a
// target that cannot be created or replaced is "Cannot create file NAME", a
// write that fails part-way "Failed to Save Stream"; the target then keeps
// its earlier bytes.
void write_file(const QString& name, const std::string& bytes) {
    const std::string path = QFile::encodeName(name).toStdString();
    try {
        vellumark::atomic_write_file(path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    } catch (const vellumark::script_error& e) {
        const std::string message = e.what();
        // A file written in place (hard links) says itself that it may be incomplete.
        if (message.find("may be incomplete") != std::string::npos) throw;
        if (message == vellumark::io_error_message(vellumark::kErrDiskFull) || message.starts_with("I/O error"))
            throw vellumark::script_error("Failed to Save Stream");
        throw vellumark::script_error(("Cannot create file " + name).toStdString());
    }
}

}  // namespace

void save_transcript(TForm1& window, QString& last_name) {
    const QString name = window.dialogs().saveFileName(
        &window, QStringLiteral("MS Document File (*.doc)"), last_name);
    if (name.isEmpty()) return;
    last_name = name;

    window.levels()->finishTranscript();
    const QTextEdit* pane = window.levels()->shit;
    vellumark::rtf::font font;
    font.name = pane->font().family().toStdString();
    const qreal points = pane->font().pointSizeF();
    font.points = points > 0 ? qRound(points) : 8;
    write_file(name, vellumark::rtf::document(pane_lines(pane), font));

    window.dialogs().information(
        &window, QStringLiteral("The Text file is now saved. The num of level in script are ") +
                     QString::number(window.document()->record().level_count));
}

std::vector<QWidget*> recolourable_controls(const TForm1& window) {
    const LevelsTab* l = window.levels();
    const MediaTab* m = window.media();
    const OptionsTab* o = window.options();
    const ScriptTab* s = window.script();
    std::vector<QWidget*> w{l->ListBox1,  l->ListBox2,  l->ListBox3,  l->Edit1,     l->Edit2,
                            l->Edit3,     l->shit,      m->ListBox4,  m->ListBox5,  m->ListBox6,
                            o->ListBox7,  o->ListBox8,  s->ListBox9,  s->ListBox10, s->ListBox11,
                            m->Edit4,     m->Edit5,     m->Edit6,     o->Edit7,     o->Edit8};
    for (int n = 1; n <= KeyStringsTab::kMemos; ++n) w.push_back(window.keys()->memo(n));
    return w;
}

void change_color(TForm1& window, QColor& last_color) {
    const QColor chosen = window.dialogs().color(&window, last_color, [&window] {
        // Beside the open colour dialog, covering none of its buttons; the
        // dialog blocks only the main window, so the manual can be read.
        if (const QWidget* dialog = QApplication::activeModalWidget())
            window.form5()->placeBeside(dialog->frameGeometry());
        window.form5()->showAndRaise();
        window.form5()->showSection(QStringLiteral("Colours"));
    });
    if (!chosen.isValid()) return;
    last_color = chosen;
    for (QWidget* w : recolourable_controls(window)) set_background(w, chosen);
}

void set_list_font_size(const TForm1& window, int points) {
    const std::vector<QListView*> lists{
        window.levels()->ListBox1,  window.levels()->ListBox2,  window.levels()->ListBox3,
        window.media()->ListBox4,   window.media()->ListBox5,   window.media()->ListBox6,
        window.options()->ListBox7, window.options()->ListBox8, window.script()->ListBox9,
        window.script()->ListBox10, window.script()->ListBox11};
    for (QListView* list : lists) {
        QFont f = list->font();
        f.setPointSize(points);
        list->setFont(f);
    }
}
