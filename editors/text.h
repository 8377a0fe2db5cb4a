// Script bytes shown as text through a code page: the document's, passed by
// whoever shows or converts text (ScriptDocument::codePageTable()). Every code
// page maps each byte to one character and back. Every view shows an entry on
// one line: the line breaks 0x0A and 0x0D that a string may hold show as the
// symbols U+240A and U+240D and turn back into the same bytes when the view is
// read. A null table (the system's iconv could give none) shows each byte as
// the character of its own number.
#pragma once

#include <QFont>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/codepage.h"

using CodePage = vellumark::codepage::table;

// Script bytes to one line of text.
QString to_text(std::string_view bytes, const CodePage* page);
// The same, appended to `out`.
void append_text(QString& out, std::string_view bytes, const CodePage* page);

// Entries first .. last - 1 as the lines of one text, joined by line ends;
// with `per_paragraph` above 1, only every per_paragraph-th line starts a
// paragraph and the others are joined by line separators (U+2028).
QString to_text_lines(const std::vector<std::string>& lines, std::size_t first, std::size_t last,
                      const CodePage* page, std::size_t per_paragraph = 1);
inline QString to_text_lines(const std::vector<std::string>& lines, const CodePage* page) {
    return to_text_lines(lines, 0, lines.size(), page);
}

// One line of text to script bytes; nothing when a character cannot be
// stored in the code page.
std::optional<std::string> to_bytes(const QString& text, const CodePage* page);

// The first character of the text that a script cannot store, or nothing.
std::optional<QChar> unstorableCharacter(const QString& text, const CodePage* page);

// "Windows-1252", as messages name a code page.
QString codePageName(const CodePage* page);

// The family that draws the line-break symbols U+240A and U+240D (and
// U+2404) when a view's own font has no glyph for them: Unifont, which the
// install step and the package bring. Its glyphs read "LF" and "CR" even at
// the lists' 8 points, and its lines are no taller than the views' own.
inline constexpr const char* kSymbolFontFamily = "Unifont";
// The font with kSymbolFontFamily after its own families, so that those
// symbols come out of a font that has them, not as empty boxes.
QFont with_symbol_fallback(QFont font);
