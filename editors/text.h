// Script bytes shown as text through the lossless windows-1252 mapping. Every
// view shows an entry on one line: the line breaks 0x0A and 0x0D that a
// string may hold show as the symbols U+240A and U+240D and turn back into
// the same bytes when the view is read.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// Script bytes to one line of text.
QString to_text(std::string_view bytes);

// One line of text to script bytes; nothing when a character cannot be
// stored in the windows-1252 code page.
std::optional<std::string> to_bytes(const QString& text);

// The first character of the text that a script cannot store, or nothing.
std::optional<QChar> unstorableCharacter(const QString& text);
