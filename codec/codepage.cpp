#include "codec/codepage.h"

#include <array>
#include <cstdint>

namespace vellumark::codepage {
namespace {

// Characters of bytes 0x80..0x9F. The five bytes windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep the C1 control character of their value.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

char32_t to_unicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHigh[byte - 0x80];
    return byte;
}

std::optional<unsigned char> from_unicode(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<unsigned char>(ch);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == ch) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

std::string bytes_to_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) append_utf8(out, to_unicode(b));
    return out;
}

std::optional<std::string> utf8_to_bytes(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        char32_t c;
        std::size_t len;
        if (b0 < 0x80) { c = b0; len = 1; }
        else if ((b0 & 0xE0) == 0xC0) { c = b0 & 0x1F; len = 2; }
        else if ((b0 & 0xF0) == 0xE0) { c = b0 & 0x0F; len = 3; }
        else if ((b0 & 0xF8) == 0xF0) { c = b0 & 0x07; len = 4; }
        else return std::nullopt;
        if (i + len > utf8.size()) return std::nullopt;
        for (std::size_t k = 1; k < len; ++k) {
            const auto bk = static_cast<unsigned char>(utf8[i + k]);
            if ((bk & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (bk & 0x3F);
        }
        // Overlong forms and surrogates are not valid UTF-8.
        if ((len == 2 && c < 0x80) || (len == 3 && c < 0x800) || (len == 4 && c < 0x10000) ||
            (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            return std::nullopt;
        const auto byte = from_unicode(c);
        if (!byte) return std::nullopt;
        out.push_back(static_cast<char>(*byte));
        i += len;
    }
    return out;
}

}  // namespace vellumark::codepage
