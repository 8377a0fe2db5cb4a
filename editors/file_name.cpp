#include "editors/file_name.h"

#include <QUrl>
#include <QVariant>

FileName fileNameOf(const QUrl& url) {
    if (!url.isLocalFile()) return {};
    // The fully encoded path keeps every byte that is not valid UTF-8 as its
    // %XX sequence; toLocalFile() would replace it.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

QUrl urlOf(const FileName& name) {
    if (name.isEmpty()) return {};
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(name.toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

QVariant storedFileName(const FileName& name) {
    const QString text = QString::fromUtf8(name);
    if (text.toUtf8() == name) return text;
    return name;
}

FileName fileNameFromStore(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString: return fileNameOf(value.toString());
    case QMetaType::QByteArray: return value.toByteArray();
    default: return {};
    }
}
