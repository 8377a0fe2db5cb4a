#include "shell/document_file.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWidget>
#include <QStringList>
#include <algorithm>
#include <sys/stat.h>
#include <vector>

#include "codec/check.h"
#include "codec/fileio.h"
#include "codec/script_file.h"
#include "codec/tables.h"
#include "editors/dialogs.h"
#include "editors/document.h"
#include "shell/error_handler.h"
#include "shell/remembered_code_pages.h"

namespace {

// The busy cursor, from construction to the end of the scope, on every path.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

std::string bytes_of(const FileName& name) { return name.toStdString(); }

// The key-string lines a save drops, as check_script finds them:
// "Key Strings #3, levels 3 to 4".
QStringList dropped_key_lines(const std::vector<vellumark::problem>& problems) {
    QStringList out;
    for (const vellumark::problem& p : problems) {
        if (p.kind != vellumark::problem_kind::key_lines_dropped) continue;
        // "Key Strings #1" to "#10", the beta's "Secret 1" to "Special 2".
        // Named by the levels they would belong to, counted from 0.
        const std::string_view name = vellumark::info(p.where.table).heading;
        const QString heading = QString::fromLatin1(name.data(), qsizetype(name.size()));
        const std::int64_t first = p.where.index, last = p.value - 1;
        out.append(last == first ? QStringLiteral("%1, level %2").arg(heading).arg(first)
                                 : QStringLiteral("%1, levels %2 to %3").arg(heading).arg(first).arg(last));
    }
    return out;
}

}  // namespace

DocumentFile::DocumentFile(ScriptDocument& document, Dialogs& dialogs, ErrorHandler& errors,
                           RememberedCodePages& codePages, QWidget* window)
    : QObject(window), document_(document), dialogs_(dialogs), errors_(errors), code_pages_(codePages),
      window_(window) {}

vellumark::script_layout DocumentFile::layout() const { return document_.record().layout; }

std::optional<DocumentFile::Stamp> DocumentFile::stampOf(const FileName& name) {
    struct stat st {};
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0) return std::nullopt;
    return Stamp{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                 static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
                 static_cast<long long>(st.st_size)};
}

namespace {

// A name as an absolute one: a relative name is taken in the working folder.
FileName absoluteName(const FileName& name) {
    if (name.startsWith('/')) return name;
    return QFile::encodeName(QDir::currentPath()) + '/' + name;
}

}  // namespace

FileName DocumentFile::folder() const {
    const FileName absolute = absoluteName(name_);
    return absolute.left(std::max<qsizetype>(absolute.lastIndexOf('/'), 1));
}

FileName DocumentFile::beside(const char* extension) const {
    FileName base = absoluteName(name_);
    const qsizetype dot = base.lastIndexOf('.');
    if (dot > base.lastIndexOf('/') + 1) base.truncate(dot);
    return base + extension;
}

bool DocumentFile::changedOnDisk() const {
    if (!open_ || !stamp_) return false;
    const auto now = stampOf(name_);
    return now && !(*now == *stamp_);
}

// ---- open ---------------------------------------------------------------------

void DocumentFile::load(const FileName& name) {
    vellumark::Ttombpcdat record;
    {
        BusyCursor busy;
        record = vellumark::load_script_file(bytes_of(name));
    }
    const vellumark::codepage::table& texts = vellumark::codepage::get(code_pages_.pageOf(name));
    const auto stray = vellumark::trailing_bytes_message(record);
    {
        // The file was read whole: only now does anything change.
        BusyCursor busy;
        emit aboutToLoad(record, texts);
        document_.load(std::move(record));
        name_ = name;
        stamp_ = stampOf(name);
        open_ = true;
        saved_over_.clear();
        emit opened();
    }
    // The bytes after the script's last table open, but a save drops them.
    if (stray) dialogs_.message(window_, QString::fromStdString(*stray));
}

bool DocumentFile::mayReplaceDocument() {
    while (document_.modified()) {
        switch (dialogs_.askToSave(window_, QStringLiteral("The script has changes that are not saved. "
                                                           "Save them before another script is opened?"))) {
        case SaveChoice::Cancel: return false;
        case SaveChoice::Discard: return true;
        case SaveChoice::Save:
            if (save() && !document_.modified()) return true;
            break;  // the save failed or was called off: ask again
        }
    }
    return true;
}

void DocumentFile::open(const FileName& name) {
    if (!mayReplaceDocument()) return;
    errors_.run([&] { load(name); });
}

void DocumentFile::openChosen() {
    const FileName name = dialogs_.openFileName(window_, QStringLiteral("Tombpc DAT files (*.dat)"));
    if (name.isEmpty()) return;
    open(name);
}

// ---- save -----------------------------------------------------------------------

bool DocumentFile::save() {
    if (!open_) return true;  // nothing to save before the first open
    bool saved = false;
    return errors_.run([this, &saved] { saved = saveTo(name_); }) && saved;
}

void DocumentFile::saveAs() {
    if (!open_) return;
    const FileName name = dialogs_.saveFileName(window_, QStringLiteral("Tomb Raider Script (*.dat)"), last_save_as_);
    if (name.isEmpty()) return;
    last_save_as_ = name;
    errors_.run([&] { saveTo(name); });
}

bool DocumentFile::saveTo(const FileName& name) {
    // Refused before any question is asked.
    const vellumark::Ttombpcdat& record = document_.record();
    const std::vector<vellumark::problem> problems = vellumark::check_script(record);
    vellumark::refuse_errors(problems);

    // Key-string lines past the last level are not saved: say which.
    const QStringList dropped = dropped_key_lines(problems);
    if (!dropped.isEmpty() &&
        !dialogs_.confirm(window_, QStringLiteral("The script has %1 levels, so these key strings will not be saved:"
                                                  "\n%2\n\nSave without them?")
                                       .arg(record.level_names.strings.size())
                                       .arg(dropped.join(QLatin1Char('\n')))))
        return false;

    // Another program may have rewritten the file since it was opened or saved.
    if (name == name_ && changedOnDisk() &&
        !dialogs_.confirm(window_, QStringLiteral("%1 was changed by another program after it was opened or "
                                                  "saved here. Overwrite it?")
                                       .arg(shownFileName(name))))
        return false;

    {
        BusyCursor busy;
        // What save_script_file does, without checking the record again.
        vellumark::Ttombpcdat work = record;
        vellumark::normalise_script(work);
        // The first save over a file since the open keeps what it held.
        const bool first = !saved_over_.contains(name);
        vellumark::atomic_write_file(bytes_of(name), vellumark::serialise_script(work),
                                     first && keep_backup_ ? vellumark::backup_rule::keep
                                                           : vellumark::backup_rule::none);
        document_.adoptSaved(std::move(work));
        saved_over_.insert(name);
    }
    name_ = name;
    stamp_ = stampOf(name);
    code_pages_.remember(name, document_.codePage());
    dialogs_.information(window_, shownFileName(name) + QStringLiteral(" Saved!"));
    return true;
}
