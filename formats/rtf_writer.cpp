#include "formats/rtf_writer.h"

#include <cstdint>
#include <optional>

#include "codec/codepage.h"

namespace vellumark::rtf {
namespace {

const char kHex[] = "0123456789abcdef";

void put_byte_escape(std::string& out, unsigned char b) {
    out += "\\'";
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
}

// \uN takes a signed 16-bit number; the '?' after it is what a reader without
// Unicode support shows instead (\uc1 says it is one character).
void put_unit(std::string& out, std::uint16_t unit) {
    out += "\\u";
    out += std::to_string(static_cast<int>(static_cast<std::int16_t>(unit)));
    out += '?';
}

void put_unicode(std::string& out, char32_t ch) {
    if (ch >= 0x10000 && ch <= 0x10FFFF) {
        const char32_t v = ch - 0x10000;
        put_unit(out, static_cast<std::uint16_t>(0xD800 + (v >> 10)));
        put_unit(out, static_cast<std::uint16_t>(0xDC00 + (v & 0x3FF)));
    } else if (ch <= 0xFFFF) {
        put_unit(out, static_cast<std::uint16_t>(ch));
    } else {
        put_unit(out, 0xFFFD);  // not a character at all
    }
}

bool is_control(char32_t ch) { return ch < 0x20 || (ch >= 0x7F && ch < 0xA0); }

// Font names end at ';' in the font table; drop what would break it.
std::u32string font_name(const std::string& utf8) {
    std::u32string name;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::optional<char32_t> ch = codepage::next_utf8(utf8, i);
        if (!ch) {
            ++i;  // a byte that is no character
            continue;
        }
        if (*ch != U';' && !is_control(*ch)) name += *ch;
    }
    if (name.empty()) name = U"Arial";
    return name;
}

}  // namespace

std::string escape(std::u32string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char32_t ch : text) {
        if (ch == U'\\' || ch == U'{' || ch == U'}') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch == U'\t') {
            out += "\\tab ";
        } else if (is_control(ch)) {
            // Line breaks are paragraphs already; other control characters
            // have no place in a text document.
        } else if (ch < 0x80) {
            out += static_cast<char>(ch);
        } else if (const auto b = codepage::from_unicode(ch)) {
            put_byte_escape(out, *b);
        } else {
            put_unicode(out, ch);
        }
    }
    return out;
}

std::string document(const std::vector<std::u32string>& lines, const font& f) {
    const int half_points = f.points > 0 ? f.points * 2 : 16;
    std::string out;
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1";
    out += "{\\fonttbl{\\f0\\fnil\\fcharset0 ";
    out += escape(font_name(f.name));
    out += ";}}\r\n";
    out += "\\viewkind4\\pard\\plain\\f0\\fs" + std::to_string(half_points) + "\r\n";
    for (const auto& line : lines) {
        out += escape(line);
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

}  // namespace vellumark::rtf
