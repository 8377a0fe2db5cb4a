// The single-byte Windows code pages a script's bytes are read and written
// in: windows-1250 to windows-1258, windows-1252 unless the user chooses
// another. The tables come from the system's iconv the first time a code page
// is used. Each is lossless: every byte 0x00..0xFF has one character and
// back, so any file opens and saves byte for byte whatever the code page.
// A byte that a code page leaves undefined keeps a character of its own
// number: 0x80..0x9F the C1 control of that value (0x81 is U+0081), 0xA0..0xFF
// the private-use character U+F700 plus the byte (0xAA is U+F7AA).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellumark::codepage {

enum class page : std::uint8_t { cp1250, cp1251, cp1252, cp1253, cp1254, cp1255, cp1256, cp1257, cp1258 };

inline constexpr std::array<page, 9> kPages = {page::cp1250, page::cp1251, page::cp1252,
                                               page::cp1253, page::cp1254, page::cp1255,
                                               page::cp1256, page::cp1257, page::cp1258};
inline constexpr page kDefaultPage = page::cp1252;

// 1250 .. 1258.
inline constexpr int number(page p) { return 1250 + static_cast<int>(p); }
// "windows-1250" .. "windows-1258".
std::string name(page p);
// What the code page is for: "Central European", "Cyrillic", ...
std::string_view region(page p);
// The code page a name gives: "windows-1251" or "cp1251", in any letter case.
std::optional<page> parse_name(std::string_view text);
// The private-use character an undefined byte of 0xA0 and above maps to.
inline constexpr char32_t kUndefinedBase = 0xF700;

class table {
public:
    page id() const { return id_; }
    std::string name() const { return codepage::name(id_); }

    char32_t to_unicode(unsigned char byte) const { return chars_[byte]; }
    // The byte for a character, or nothing when the code page cannot store it.
    std::optional<unsigned char> from_unicode(char32_t ch) const;

    // Script bytes to UTF-8.
    std::string bytes_to_utf8(std::string_view bytes) const;
    // UTF-8 to script bytes; nothing when the text is not valid UTF-8 or holds
    // a character that the code page cannot store.
    std::optional<std::string> utf8_to_bytes(std::string_view utf8) const;

    // Builds the table from iconv's converter; throws script_error naming the
    // code page when the system cannot provide it.
    explicit table(page p);

private:
    page id_;
    std::array<char32_t, 256> chars_{};
    bool ascii_ = true;  // bytes 0x00..0x7F are the ASCII characters
    std::vector<std::pair<char32_t, unsigned char>> bytes_;  // sorted by character
};

// The table of a code page, built on first use and kept for the run. Throws
// script_error ("The code page windows-1251 cannot be used: ...") when it
// cannot be built; later calls throw the same message.
const table& get(page p);
// The table, or nothing with the reason in why (may be null).
const table* find(page p, std::string* why = nullptr);

// Decodes one UTF-8 sequence at text[i] and moves i past it; nothing when the
// sequence is not well formed (cut short, overlong, a surrogate, past U+10FFFF).
std::optional<char32_t> next_utf8(std::string_view text, std::size_t& i);
void append_utf8(std::string& out, char32_t c);

// "U+0142".
std::string code_point_name(char32_t c);
// A character as a message names it: "ł" (U+0142), or U+0001 alone for one
// that shows nothing.
std::string character_name(char32_t c);

// Every view shows a string on one line: the line breaks 0x0A and 0x0D that
// a string may hold show as these symbols.
inline constexpr char32_t kLineFeedSymbol = 0x240A;
inline constexpr char32_t kCarriageReturnSymbol = 0x240D;
// UTF-8 text on one line: line feeds and carriage returns as their symbols.
std::string with_line_break_symbols(std::string_view utf8);

// gettext keeps the character 0x04 for itself (it separates msgctxt from
// msgid), so a catalogue shows the byte 0x04 of a script as this symbol,
// which no code page holds.
inline constexpr char32_t kEndOfTransmission = 0x04;
inline constexpr char32_t kEndOfTransmissionSymbol = 0x2404;

// Bytes that should be UTF-8 but need not be (a file name): the valid
// sequences as they are, every other byte as U+FFFD.
std::string valid_utf8(std::string_view bytes);

// ---- windows-1252, the code page of files that name no other ---------------
// (the RTF export, a readme that is not UTF-8). Throw as get() does.

char32_t to_unicode(unsigned char byte);
std::optional<unsigned char> from_unicode(char32_t ch);
std::string bytes_to_utf8(std::string_view bytes);
std::optional<std::string> utf8_to_bytes(std::string_view utf8);

}  // namespace vellumark::codepage
