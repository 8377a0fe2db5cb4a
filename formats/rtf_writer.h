// A small Rich Text Format writer for the load transcript: plain paragraphs
// in one font, windows-1252 as the document's code page. It builds the
// document's bytes; the caller saves them (atomic_write_file).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellumark::rtf {

struct font {
    std::string name = "MS Sans Serif";  // UTF-8
    int points = 8;
};

// One line of text in RTF: backslash and braces escaped, characters of
// windows-1252 above 127 as \'hh, other characters as \uN? (N the signed
// 16-bit UTF-16 unit, a pair for characters beyond the BMP), a tab as \tab.
// Other control characters are not written.
std::string escape(std::u32string_view text);

// A whole document: font table, then one paragraph per line, in order.
// No lines gives a valid document without paragraphs.
std::string document(const std::vector<std::u32string>& lines, const font& f = {});

}  // namespace vellumark::rtf
