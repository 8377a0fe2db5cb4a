// File names as the system holds them: bytes, not text. A name need not be
// valid in the locale's encoding (a Latin-1 "é" under a UTF-8 locale); such a
// file still opens and saves under its own name, and shows through the
// locale's file-name decoding (QFile::decodeName), which may show a
// replacement character for a byte it cannot decode.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

class QUrl;
class QVariant;

using FileName = QByteArray;

// How a file name shows in the caption, the menu and messages.
inline QString shownFileName(const FileName& name) { return QFile::decodeName(name); }

// The bytes of a name given as text.
inline FileName fileNameOf(const QString& text) { return QFile::encodeName(text); }

// The bytes of a local file's URL (a drop, a file dialog): its path decoded
// byte for byte, so that a name that is not valid UTF-8 keeps its bytes.
// Empty for a URL that names no local file.
FileName fileNameOf(const QUrl& url);

// The URL of a local file named by bytes, keeping them.
QUrl urlOf(const FileName& name);

// A file name in the settings store: as text when it is valid UTF-8, as every
// name was stored before, otherwise as bytes.
QVariant storedFileName(const FileName& name);

// A file name read back from the settings store: text or bytes; empty for
// a value of any other kind.
FileName fileNameFromStore(const QVariant& value);
