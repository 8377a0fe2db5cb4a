// The list of the four script files opened most recently: shown as "&1 path"
// entries after the separator N3 of the "&File" menu and kept between runs in
// the settings store (group "Form1.MRUList", values "H0" to "H3").
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;
class QSettings;

class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 4;

    // Entries are inserted into menu right after the separator anchor (N3).
    RecentFiles(QMenu* menu, QAction* anchor, QObject* parent = nullptr);

    const QStringList& entries() const { return entries_; }

    // Puts the path at the top: an entry naming the same file moves up with
    // its stored spelling; otherwise the path is inserted and the fifth entry
    // falls off. Blank paths are ignored.
    void add(const QString& path);
    // Drops the entry naming the same file as the path.
    void remove(const QString& path);
    void set_entries(const QStringList& paths);

    // Reads H0..H3 of the group, stopping at the first missing or empty one.
    void read(QSettings& store);
    // Removes the group, then writes the entries as H0.. (nothing when empty).
    void write(QSettings& store) const;

    // Run when an entry is clicked, with the entry's path.
    std::function<void(const QString&)> on_click;

    static QString group() { return QStringLiteral("Form1.MRUList"); }

private:
    int index_of(const QString& path) const;
    void rebuild_menu();

    QMenu* menu_;
    QAction* anchor_;
    QStringList entries_;
    QList<QAction*> actions_;
};

// Two paths name the same entry when they are equal, or when they differ
// only in letter case and lead to the same file (a file system that ignores
// case). On a file system that tells case apart, Case.dat and case.dat are
// two files and two entries.
bool same_recent_path(const QString& a, const QString& b);
