#include "shell/data_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// An entry of that name, even a dangling link or a FIFO: it is the one meant,
// and reading it reports what is wrong with it.
bool hasEntry(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

}  // namespace

QString dataFolder() {
    return QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(VELLUMARK_DATA_FROM_BIN)));
}

QString readmePath() {
    const QString local = QStringLiteral("readme");
    const QString installed = QDir(dataFolder()).filePath(local);
    return !hasEntry(local) && hasEntry(installed) ? installed : local;
}

QString skinPath() {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("skin.bmp"));
    if (hasEntry(beside) || !QFileInfo(dataFolder()).isDir()) return beside;
    return QDir(dataFolder()).filePath(QStringLiteral("skin.bmp"));
}
