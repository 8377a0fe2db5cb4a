#include "shell/recent_files.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <algorithm>
#include <sys/stat.h>

RecentFiles::RecentFiles(QMenu* menu, QAction* anchor, QObject* parent)
    : QObject(parent), menu_(menu), anchor_(anchor) {}

bool same_recent_path(const QString& a, const QString& b) {
    if (a == b) return true;
    if (a.compare(b, Qt::CaseInsensitive) != 0) return false;
    // Paths that differ only in letter case name one file only where the
    // file system ignores case: then both names lead to the same file.
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int RecentFiles::index_of(const QString& path) const {
    for (int i = 0; i < entries_.size(); ++i)
        if (same_recent_path(entries_[i], path)) return i;
    return -1;
}

void RecentFiles::add(const QString& path) {
    if (path.trimmed().isEmpty()) return;
    const int i = index_of(path);
    if (i >= 0)
        entries_.move(i, 0);
    else
        entries_.prepend(path);
    while (entries_.size() > kMaxEntries) entries_.removeLast();
    rebuild_menu();
}

void RecentFiles::remove(const QString& path) {
    const int i = index_of(path);
    if (i < 0) return;
    entries_.removeAt(i);
    rebuild_menu();
}

void RecentFiles::set_entries(const QStringList& paths) {
    entries_.clear();
    for (const QString& p : paths) {
        if (entries_.size() == kMaxEntries) break;
        entries_.append(p);
    }
    rebuild_menu();
}

void RecentFiles::read(QSettings& store) {
    QStringList paths;
    store.beginGroup(group());
    for (int i = 0; i < kMaxEntries; ++i) {
        const QVariant v = store.value(QStringLiteral("H%1").arg(i));
        // A value that is not text reads as empty, as does a missing one.
        const QString p = v.typeId() == QMetaType::QString ? v.toString() : QString();
        if (p.isEmpty()) break;
        paths.append(p);
    }
    store.endGroup();
    set_entries(paths);
}

void RecentFiles::write(QSettings& store) const {
    store.remove(group());
    const int n = std::min<int>(entries_.size(), kMaxEntries);
    for (int i = 0; i < n; ++i)
        store.setValue(group() + QStringLiteral("/H%1").arg(i), entries_[i]);
    store.sync();
}

void RecentFiles::rebuild_menu() {
    for (QAction* a : actions_) {
        menu_->removeAction(a);
        a->deleteLater();
    }
    actions_.clear();
    // A separator is a thin line that the entries around it keep apart;
    // last in the menu, N3 would touch the menu's border and read as part of
    // it. While it ends the menu, the menu has that space below it.
    menu_->setContentsMargins(0, 0, 0, entries_.isEmpty() ? 6 : 0);
    if (entries_.isEmpty()) return;

    // The entry after N3 in the menu, before which the entries go.
    const QList<QAction*> all = menu_->actions();
    const int at = all.indexOf(anchor_);
    QAction* before = (at >= 0 && at + 1 < all.size()) ? all[at + 1] : nullptr;

    for (int i = 0; i < entries_.size(); ++i) {
        const QString path = entries_[i];
        // "&1 path": the digit is the access key; a '&' in the path shows as itself.
        QString shown = path;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), menu_);
        a->setObjectName(QStringLiteral("MRUEntry%1").arg(i));
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] {
            if (on_click) on_click(path);
        });
        menu_->insertAction(before, a);
        actions_.append(a);
    }
}
