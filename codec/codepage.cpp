#include "codec/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "codec/errors.h"

namespace vellumark::codepage {
namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

[[noreturn]] void cannot_use(page p, const std::string& why) {
    std::string message = "The code page ";
    message.append(name(p)).append(" cannot be used: ").append(why);
    throw script_error(message);
}

// iconv's converter from one code page to UTF-32, closed on every path.
class converter {
public:
    explicit converter(page p) : cd_(::iconv_open("UTF-32LE", ("CP" + std::to_string(number(p))).c_str())) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            std::string why = "the system's iconv has no converter for CP";
            why.append(std::to_string(number(p))).append(" (").append(std::strerror(errno)).append(")");
            cannot_use(p, why);
        }
    }
    ~converter() { ::iconv_close(cd_); }
    converter(const converter&) = delete;
    converter& operator=(const converter&) = delete;

    // The character of one byte, or nothing when the code page leaves it
    // undefined. Each byte is converted on its own from the initial state
    // and flushed, so that the code pages that combine a letter with a
    // following accent (1255, 1258) give the byte's own character.
    std::optional<char32_t> convert(unsigned char byte) {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char in[1] = {static_cast<char>(byte)};
        char out[16];
        char* inp = in;
        char* outp = out;
        std::size_t in_left = 1, out_left = sizeof out;
        if (::iconv(cd_, &inp, &in_left, &outp, &out_left) == static_cast<std::size_t>(-1)) return std::nullopt;
        if (::iconv(cd_, nullptr, nullptr, &outp, &out_left) == static_cast<std::size_t>(-1)) return std::nullopt;
        if (in_left != 0 || sizeof out - out_left != 4) return std::nullopt;
        const auto* u = reinterpret_cast<const unsigned char*>(out);
        return static_cast<char32_t>(u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<char32_t>(u[3]) << 24));
    }

private:
    iconv_t cd_;
};

struct slot {
    std::once_flag once;
    std::unique_ptr<table> built;
    std::string error;
};

slot& slot_of(page p) {
    static std::array<slot, kPages.size()> slots;
    return slots[static_cast<std::size_t>(p)];
}

}  // namespace

std::string name(page p) { return "windows-" + std::to_string(number(p)); }

std::string_view region(page p) {
    switch (p) {
    case page::cp1250: return "Central European";
    case page::cp1251: return "Cyrillic";
    case page::cp1252: return "Western";
    case page::cp1253: return "Greek";
    case page::cp1254: return "Turkish";
    case page::cp1255: return "Hebrew";
    case page::cp1256: return "Arabic";
    case page::cp1257: return "Baltic";
    case page::cp1258: return "Vietnamese";
    }
    return {};
}

std::optional<page> parse_name(std::string_view text) {
    const std::string given = lower(text);
    for (page p : kPages)
        if (given == name(p) || given == "cp" + std::to_string(number(p))) return p;
    return std::nullopt;
}

table::table(page p) : id_(p) {
    converter from(p);
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const std::optional<char32_t> c = from.convert(byte);
        chars_[byte] = c ? *c : byte < 0xA0 ? char32_t(byte) : kUndefinedBase + byte;
        if (byte < 0x80 && chars_[byte] != byte) ascii_ = false;
        bytes_.emplace_back(chars_[byte], byte);
    }
    std::sort(bytes_.begin(), bytes_.end());
    for (std::size_t i = 1; i < bytes_.size(); ++i)
        if (bytes_[i].first == bytes_[i - 1].first) {
            char bytes[32];
            std::snprintf(bytes, sizeof bytes, "0x%02X and 0x%02X", bytes_[i - 1].second, bytes_[i].second);
            std::string why = "the system's iconv gives the bytes ";
            why.append(bytes).append(" the same character ").append(code_point_name(bytes_[i].first));
            cannot_use(p, why);
        }
}

std::optional<unsigned char> table::from_unicode(char32_t ch) const {
    if (ascii_ && ch < 0x80) return static_cast<unsigned char>(ch);
    const auto it = std::lower_bound(bytes_.begin(), bytes_.end(), std::make_pair(ch, static_cast<unsigned char>(0)));
    if (it == bytes_.end() || it->first != ch) return std::nullopt;
    return it->second;
}

std::string table::bytes_to_utf8(std::string_view bytes) const {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) append_utf8(out, chars_[b]);
    return out;
}

std::optional<std::string> table::utf8_to_bytes(std::string_view utf8) const {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::optional<char32_t> c = next_utf8(utf8, i);
        if (!c) return std::nullopt;
        const auto byte = from_unicode(*c);
        if (!byte) return std::nullopt;
        out.push_back(static_cast<char>(*byte));
    }
    return out;
}

const table* find(page p, std::string* why) {
    slot& s = slot_of(p);
    std::call_once(s.once, [&s, p] {
        try {
            s.built = std::make_unique<table>(p);
        } catch (const std::exception& e) {
            s.error = e.what();
        }
    });
    if (!s.built && why) *why = s.error;
    return s.built.get();
}

const table& get(page p) {
    std::string why;
    if (const table* t = find(p, &why)) return *t;
    throw script_error(why);
}

std::optional<char32_t> next_utf8(std::string_view text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    char32_t c;
    std::size_t len;
    if (b0 < 0x80) { c = b0; len = 1; }
    else if ((b0 & 0xE0) == 0xC0) { c = b0 & 0x1F; len = 2; }
    else if ((b0 & 0xF0) == 0xE0) { c = b0 & 0x0F; len = 3; }
    else if ((b0 & 0xF8) == 0xF0) { c = b0 & 0x07; len = 4; }
    else return std::nullopt;
    if (len > text.size() - i) return std::nullopt;
    for (std::size_t k = 1; k < len; ++k) {
        const auto bk = static_cast<unsigned char>(text[i + k]);
        if ((bk & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (bk & 0x3F);
    }
    // Overlong forms and surrogates are not valid UTF-8.
    if ((len == 2 && c < 0x80) || (len == 3 && c < 0x800) || (len == 4 && c < 0x10000) ||
        (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return std::nullopt;
    i += len;
    return c;
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string with_line_break_symbols(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        if (c == '\n')
            append_utf8(out, kLineFeedSymbol);
        else if (c == '\r')
            append_utf8(out, kCarriageReturnSymbol);
        else
            out.push_back(c);
    }
    return out;
}

std::string valid_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t start = i;
        if (next_utf8(bytes, i)) {
            out.append(bytes.substr(start, i - start));
        } else {
            append_utf8(out, 0xFFFD);
            ++i;
        }
    }
    return out;
}

std::string code_point_name(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

std::string character_name(char32_t c) {
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) return code_point_name(c);
    std::string out = "\"";
    append_utf8(out, c);
    out.append("\" (").append(code_point_name(c)).append(")");
    return out;
}

// ---- windows-1252 ----------------------------------------------------------------

char32_t to_unicode(unsigned char byte) { return get(kDefaultPage).to_unicode(byte); }

std::optional<unsigned char> from_unicode(char32_t ch) { return get(kDefaultPage).from_unicode(ch); }

std::string bytes_to_utf8(std::string_view bytes) { return get(kDefaultPage).bytes_to_utf8(bytes); }

std::optional<std::string> utf8_to_bytes(std::string_view utf8) { return get(kDefaultPage).utf8_to_bytes(utf8); }

}  // namespace vellumark::codepage
