// Script bytes shown as text through the code page the document is read in
// (windows-1252 until another is chosen); every code page maps each byte to
// one character and back. Every view shows an entry on one line: the line
// breaks 0x0A and 0x0D that a string may hold show as the symbols U+240A and
// U+240D and turn back into the same bytes when the view is read.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/codepage.h"

// Script bytes to one line of text.
QString to_text(std::string_view bytes);

// Entries first .. last - 1 as the lines of one text, joined by line ends.
QString to_text_lines(const std::vector<std::string>& lines, std::size_t first, std::size_t last);
inline QString to_text_lines(const std::vector<std::string>& lines) { return to_text_lines(lines, 0, lines.size()); }

// One line of text to script bytes; nothing when a character cannot be
// stored in the code page.
std::optional<std::string> to_bytes(const QString& text);

// The first character of the text that a script cannot store, or nothing.
std::optional<QChar> unstorableCharacter(const QString& text);

// The code page the functions above use: set by the document, windows-1252
// until then. Null only when the system's iconv could give no table at all;
// bytes then show as the characters of their own number.
const vellumark::codepage::table* textCodePage();
void setTextCodePage(const vellumark::codepage::table* table);
// "Windows-1252", as messages name the code page in use.
QString textCodePageName();
