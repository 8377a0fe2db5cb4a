// The list of the four script files opened most recently: shown as "&1 path"
// entries after the separator N3 of the "&File" menu and kept between runs in
// the settings store (group "Form1.MRUList", values "H0" to "H3"). Entries are
// file names as bytes (file_name.h): a name that is not valid UTF-8 is kept
// as it is and shown through the locale's file-name decoding.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "editors/file_name.h"

class QAction;
class QMenu;
class QSettings;

class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 4;

    // Entries are inserted into menu right after the separator anchor (N3).
    RecentFiles(QMenu* menu, QAction* anchor, QObject* parent = nullptr);

    const QList<FileName>& entries() const { return entries_; }

    // Puts the path at the top: an entry naming the same file moves up with
    // its stored spelling; otherwise the path is inserted and the fifth entry
    // falls off. Blank paths are ignored.
    void add(const FileName& path);
    // Drops the entry naming the same file as the path.
    void remove(const FileName& path);
    void set_entries(const QList<FileName>& paths);

    // Reads H0..H3 of the group, stopping at the first missing or empty one
    // (a value that is neither text nor bytes reads as empty).
    void read(QSettings& store);
    // Removes the group, then writes the entries as H0.. (nothing when empty).
    void write(QSettings& store) const;

    // Run when an entry is clicked, with the entry's path.
    std::function<void(const FileName&)> on_click;

    static QString group() { return QStringLiteral("Form1.MRUList"); }

private:
    int index_of(const FileName& path) const;
    void rebuild_menu();

    QMenu* menu_;
    QAction* anchor_;
    QList<FileName> entries_;
    QList<QAction*> actions_;
};

// Two paths name the same entry when they are equal, or when they differ
// only in letter case and lead to the same file (a file system that ignores
// case). On a file system that tells case apart, Case.dat and case.dat are
// two files and two entries.
bool same_recent_path(const FileName& a, const FileName& b);
