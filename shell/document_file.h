// The script file the window has open, as Tiled's Document and
// DocumentManager hold a map's file: its name (bytes, file_name.h), its stamp
// at the last open or save here (to see whether another program rewrote it),
// the layout it was read in, the name last chosen in "Save As...", and the
// file commands Open, Save and Save As with the questions asked before them.
// The window shows what it announces; the document holds what the file holds.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <optional>

#include "codec/codepage.h"
#include "codec/tombpcdat.h"
#include "editors/file_name.h"

class Dialogs;
class ErrorHandler;
class QWidget;
class RememberedCodePages;
class ScriptDocument;

class DocumentFile : public QObject {
    Q_OBJECT
public:
    // window: the parent of every box the commands show.
    DocumentFile(ScriptDocument& document, Dialogs& dialogs, ErrorHandler& errors, RememberedCodePages& codePages,
                 QWidget* window);

    // ---- the open file ----------------------------------------------------
    // A file has been opened: "Save" and the other file commands act.
    bool isOpen() const { return open_; }
    // The file "Save" writes: the one opened, or the one last saved as.
    const FileName& fileName() const { return name_; }
    QString shownName() const { return shownFileName(name_); }
    // The layout the file was read in; a save keeps it.
    vellumark::script_layout layout() const;
    // Another program rewrote the file since it was opened or saved here.
    bool changedOnDisk() const;
    // The folder the file is in, by its absolute name.
    FileName folder() const;
    // The file's name with `extension` (".pot") for its last one, beside it.
    FileName beside(const char* extension) const;

    // ---- file commands ------------------------------------------------------
    // Reads the file whole and throws vellumark::script_error when it cannot;
    // only a complete read changes anything: aboutToLoad, then the document
    // holds the file, which becomes the one "Save" writes, then opened.
    void load(const FileName& name);
    // "&Open", a recent-files entry, a drop, the command line: first asks
    // what becomes of unsaved changes. Failures go to the error box.
    void open(const FileName& name);
    // "&Open": the name from the open dialog.
    void openChosen();
    // "Save": true when it saved, or when no file was ever opened; false when
    // it failed (the error box said why) or a question was answered No.
    bool save();
    // "Save As...": the name from the save dialog, which offers the last one.
    void saveAs();
    // Before an open replaces unsaved changes: save, discard or cancel.
    // True when the open may go on.
    bool mayReplaceDocument();
    // Whether the first save over a file after the open keeps its previous
    // bytes as NAME.bak ("Keep a backup on first save").
    void setKeepBackup(bool on) { keep_backup_ = on; }

signals:
    // A file was read whole and is about to replace the document; its texts
    // show in `page`.
    void aboutToLoad(const vellumark::Ttombpcdat& record, const vellumark::codepage::table& page);
    // The document holds the file named by fileName().
    void opened();

private:
    // The file's identity and modification time.
    struct Stamp {
        unsigned long long device = 0, inode = 0;
        long long modified_ns = 0, size = 0;
        bool operator==(const Stamp&) const = default;
    };
    static std::optional<Stamp> stampOf(const FileName& name);

    // Saves to the file; throws on failure, false when a question was
    // answered No.
    bool saveTo(const FileName& name);

    ScriptDocument& document_;
    Dialogs& dialogs_;
    ErrorHandler& errors_;
    RememberedCodePages& code_pages_;
    QWidget* window_;

    bool open_ = false;
    FileName name_;
    std::optional<Stamp> stamp_;  // of name_ at its open or save here
    FileName last_save_as_;       // offered again by "Save As..."
    bool keep_backup_ = true;
    QSet<FileName> saved_over_;   // the files saved since the open, which keep no further backup
};
