#include "codec/search.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/sections.h"
#include "codec/slots.h"

namespace vellumark {

// ---- scope ----------------------------------------------------------------------

search_scope search_scope::everything() {
    search_scope all;
    all.tables.set();
    all.every_slot = true;
    return all;
}

bool search_scope::covers_slot(int slot) const {
    return every_slot || std::find(slot_numbers.begin(), slot_numbers.end(), slot) != slot_numbers.end();
}

namespace {

// "[n]" at the end of name after `head`: n, or nothing.
std::optional<int> bracketed(std::string_view name, std::string_view head) {
    if (name.size() < head.size() + 3 || name.substr(0, head.size()) != head || name[head.size()] != '[' ||
        name.back() != ']')
        return std::nullopt;
    const std::string_view digits = name.substr(head.size() + 1, name.size() - head.size() - 2);
    if (digits.size() > 5) return std::nullopt;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

bool add_to_scope(search_scope& scope, std::string_view name) {
    if (name == "slots") {
        scope.every_slot = true;
        return true;
    }
    if (const auto slot = bracketed(name, "slot")) {
        if (!scope.covers_slot(*slot)) scope.slot_numbers.push_back(*slot);
        return true;
    }
    // Every table of every layout, the beta's with the rest.
    bool found = false;
    for (const table_info& t : tables_of(script_layout::playstation_beta))
        if (json_path(t.id) == name || (is_key_table(t.id) && t.json == name)) {
            scope.tables.set(std::size_t(t.id));
            found = true;
        }
    return found;
}

std::string scope_names() {
    // "level_names, ..., key_strings, key_strings[0] to key_strings[9], ...":
    // a member of several tables once, with the first and last of them.
    std::string names;
    const auto all = tables_of(script_layout::playstation_beta);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const table_info& t = all[i];
        if (!is_key_table(t.id)) {
            names.append(t.json).append(", ");
            continue;
        }
        if (member_index(t.id) != 0) continue;
        std::size_t last = i;
        for (std::size_t j = i + 1; j < all.size(); ++j)
            if (all[j].json == t.json) last = j;
        names.append(t.json).append(", ").append(json_path(t.id));
        if (last != i) names.append(" to ").append(json_path(all[last].id));
        names.append(", ");
    }
    return names + "slots, slot[N]";
}

// ---- the compiled pattern ----------------------------------------------------------

namespace {

constexpr std::string_view kLineFeedSymbolUtf8 = "\xE2\x90\x8A";        // U+240A
constexpr std::string_view kCarriageReturnSymbolUtf8 = "\xE2\x90\x8D";  // U+240D

// A letter, combining mark, digit or underscore: what a whole word may not
// touch on either side.
constexpr std::string_view kWordBefore = "(?<![\\p{L}\\p{M}\\p{N}_])(?:";
constexpr std::string_view kWordAfter = ")(?![\\p{L}\\p{M}\\p{N}_])";

// A regular expression gives up on one text after this many steps, so that
// one written to backtrack without end cannot hang the program.
constexpr std::uint32_t kMatchLimit = 1'000'000;

// The symbols of the line breaks as the line breaks themselves.
std::string real_line_breaks(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::string_view rest = utf8.substr(i);
        if (rest.substr(0, 3) == kLineFeedSymbolUtf8) {
            out.push_back('\n');
            i += 3;
        } else if (rest.substr(0, 3) == kCarriageReturnSymbolUtf8) {
            out.push_back('\r');
            i += 3;
        } else {
            out.push_back(utf8[i++]);
        }
    }
    return out;
}

// Characters in utf8[0, bytes): the bytes that do not continue a character.
std::size_t characters(std::string_view utf8, std::size_t bytes) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < bytes && i < utf8.size(); ++i)
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) ++n;
    return n;
}

bool valid_utf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();)
        if (!codepage::next_utf8(text, i)) return false;
    return true;
}

std::string pcre2_message(int code) {
    PCRE2_UCHAR buffer[256];
    if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0) return "error " + std::to_string(code);
    return reinterpret_cast<const char*>(buffer);
}

}  // namespace

struct search_pattern::impl {
    search_options options;
    pcre2_code* code = nullptr;
    pcre2_match_context* context = nullptr;
    int groups = 0;
    bool jit = false;  // compiled to machine code

    impl() = default;
    impl(const impl&) = delete;
    impl& operator=(const impl&) = delete;
    ~impl() {
        pcre2_match_context_free(context);
        pcre2_code_free(code);
    }
};

search_pattern::search_pattern(std::string_view utf8, const search_options& options)
    : impl_(std::make_unique<impl>()) {
    impl_->options = options;
    if (utf8.empty()) return;
    if (!valid_utf8(utf8)) throw script_error("The search text is not valid UTF-8");

    const std::string text = real_line_breaks(utf8);
    std::string source;
    if (options.whole_words) source.append(kWordBefore);
    const std::size_t head = source.size();
    if (options.regex) {
        source.append(text);
    } else {
        // Every ASCII character that is not a letter or digit loses any
        // meaning behind a backslash; the others mean themselves.
        for (char c : text) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x80 && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
                source.push_back('\\');
            source.push_back(c);
        }
    }
    if (options.whole_words) source.append(kWordAfter);

    std::uint32_t flags = PCRE2_UTF | PCRE2_UCP | PCRE2_NEVER_BACKSLASH_C;
    if (!options.match_case) flags |= PCRE2_CASELESS;
    int error = 0;
    PCRE2_SIZE offset = 0;
    impl_->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(), flags, &error, &offset,
                                nullptr);
    if (!impl_->code) {
        // Where PCRE2 stopped, in characters of what the user wrote (a symbol
        // of a line break is one character in both).
        const std::size_t total = characters(text, text.size());
        const std::size_t before = characters(source, std::min<std::size_t>(offset, source.size()));
        const std::size_t at = before > head ? std::min(before - head, total) : 0;
        std::string message = "The regular expression is not valid: " + pcre2_message(error);
        message.append(at >= total ? ", at its end" : ", at character " + std::to_string(at + 1));
        throw script_error(message);
    }
    // Without the JIT (a system that has none), matching is slower, not different.
    impl_->jit = pcre2_jit_compile(impl_->code, PCRE2_JIT_COMPLETE) == 0;
    std::uint32_t groups = 0;
    pcre2_pattern_info(impl_->code, PCRE2_INFO_CAPTURECOUNT, &groups);
    impl_->groups = static_cast<int>(groups);
    impl_->context = pcre2_match_context_create(nullptr);
    if (!impl_->context) throw script_error("Not enough memory for the search");
    pcre2_set_match_limit(impl_->context, kMatchLimit);
}

search_pattern::~search_pattern() = default;
search_pattern::search_pattern(search_pattern&&) noexcept = default;
search_pattern& search_pattern::operator=(search_pattern&&) noexcept = default;

bool search_pattern::empty() const { return impl_->code == nullptr; }
const search_options& search_pattern::options() const { return impl_->options; }
int search_pattern::groups() const { return impl_->groups; }

// ---- matching -----------------------------------------------------------------------

namespace {

// Match data for one search, freed on every path.
class match_data {
public:
    explicit match_data(const pcre2_code* code) : data_(pcre2_match_data_create_from_pattern(code, nullptr)) {
        if (!data_) throw script_error("Not enough memory for the search");
    }
    ~match_data() { pcre2_match_data_free(data_); }
    match_data(const match_data&) = delete;
    match_data& operator=(const match_data&) = delete;
    pcre2_match_data* get() const { return data_; }
    const PCRE2_SIZE* ovector() const { return pcre2_get_ovector_pointer(data_); }

private:
    pcre2_match_data* data_;
};

// Script bytes to UTF-8 through a table of each byte's UTF-8 form, made once
// per search. A text of ASCII alone is its own UTF-8 in every code page and
// is matched where it lies; any other is converted into one reused buffer.
class decoder {
public:
    explicit decoder(const codepage::table& cp) {
        for (int b = 0; b < 256; ++b) {
            std::string one;
            codepage::append_utf8(one, cp.to_unicode(static_cast<unsigned char>(b)));
            auto& f = forms_[std::size_t(b)];
            f.size = static_cast<std::uint8_t>(one.size());
            std::copy(one.begin(), one.end(), f.bytes.begin());
            if (b < 0x80 && (one.size() != 1 || one[0] != char(b))) ascii_ = false;
        }
    }
    std::string_view operator()(std::string_view bytes) {
        unsigned char high = 0;
        for (unsigned char b : bytes) high |= b;
        if (ascii_ && high < 0x80) return bytes;
        text_.resize(bytes.size() * 4);
        char* out = text_.data();
        for (unsigned char b : bytes) {
            const form& f = forms_[b];
            std::memcpy(out, f.bytes.data(), 4);
            out += f.size;
        }
        return std::string_view(text_.data(), std::size_t(out - text_.data()));
    }

private:
    struct form {
        std::array<char, 4> bytes{};
        std::uint8_t size = 0;
    };
    std::array<form, 256> forms_{};
    bool ascii_ = true;  // the bytes 0x00..0x7F are the ASCII characters
    std::string text_;
};

// Calls found(start, end) with the UTF-8 offsets of every match in text, left
// to right; an empty match is followed by a search one character further.
// False when the regular expression gave up (too many steps).
template <class Found>
bool each_match(const search_pattern::impl& p, const match_data& md, std::string_view text, Found&& found) {
    const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    PCRE2_SIZE start = 0;
    std::uint32_t flags = 0;
    while (start <= text.size()) {
        const int rc = p.jit ? pcre2_jit_match(p.code, subject, text.size(), start, flags, md.get(), p.context)
                             : pcre2_match(p.code, subject, text.size(), start, flags | PCRE2_NO_UTF_CHECK, md.get(),
                                           p.context);
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (flags == 0) return true;
            // No non-empty match where the empty one was: go on one character further.
            flags = 0;
            if (++start > text.size()) return true;
            while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) ++start;
            continue;
        }
        if (rc < 0) return false;
        const PCRE2_SIZE* ov = md.ovector();
        // \K in a look-ahead can end a match before its start: take it as empty.
        const PCRE2_SIZE end = std::max(ov[0], ov[1]);
        found(std::size_t(ov[0]), std::size_t(end));
        flags = ov[0] == end ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
        start = end;
    }
    return true;
}

[[noreturn]] void gave_up(const place& where) {
    throw script_error("The regular expression takes too long to match; it gave up at " + place_text(where) +
                       ". Try a simpler one");
}

// Walks the texts of a scope in file order: f(place, script bytes).
template <class Visit>
void each_text(const Ttombpcdat& doc, const search_scope& scope, Visit&& visit) {
    for (const section& s : file_sections(doc.layout)) {
        if (s.kind == section_kind::table) {
            if (!scope.tables.test(std::size_t(s.table))) continue;
            const auto& strings = table(doc, s.table).strings;
            for (std::size_t i = 0; i < strings.size(); ++i)
                visit(place{place::area::table, s.table, int(i), -1}, std::string_view(strings[i]));
        } else if (s.kind == section_kind::sequences) {
            if (!scope.every_slot && scope.slot_numbers.empty()) continue;
            std::string line;
            for (std::size_t k = 0; k < doc.scripts.size(); ++k) {
                if (!scope.covers_slot(int(k))) continue;
                const script_slot& slot = doc.scripts[k];
                for (int c = 0; c < used_commands(slot); ++c) {
                    line = format_command(slot.commands[std::size_t(c)], doc);
                    visit(place{place::area::slot, table_id::level_names, int(k), c}, std::string_view(line));
                }
            }
        }
    }
}

}  // namespace

std::vector<search_match> find_all(const Ttombpcdat& doc, const codepage::table& cp, const search_pattern& pattern,
                                   const search_scope& scope) {
    std::vector<search_match> out;
    if (pattern.empty()) return out;
    const search_pattern::impl& p = pattern.compiled();
    const match_data md(p.code);
    decoder decode(cp);
    each_text(doc, scope, [&](const place& where, std::string_view bytes) {
        const std::string_view text = decode(bytes);
        // Offsets in UTF-8 to characters, counted on from the last match.
        std::size_t byte = 0, chars = 0;
        const auto to_chars = [&](std::size_t at) {
            chars += characters(text.substr(byte), at - byte);
            byte = at;
            return chars;
        };
        const bool ok = each_match(p, md, text, [&](std::size_t start, std::size_t end) {
            const std::size_t first = to_chars(start);
            const std::size_t last = to_chars(end);
            out.push_back({where, std::uint32_t(first), std::uint32_t(last - first)});
        });
        if (!ok) gave_up(where);
    });
    return out;
}

std::string place_text_of(const Ttombpcdat& doc, const codepage::table& cp, const place& where) {
    if (where.in == place::area::table) {
        const auto& strings = table(doc, where.table).strings;
        if (where.index < 0 || std::size_t(where.index) >= strings.size()) return {};
        return codepage::with_line_break_symbols(cp.bytes_to_utf8(strings[std::size_t(where.index)]));
    }
    if (where.in == place::area::slot) {
        if (where.index < 0 || std::size_t(where.index) >= doc.scripts.size()) return {};
        const script_slot& slot = doc.scripts[std::size_t(where.index)];
        if (where.line < 0 || where.line >= used_commands(slot)) return {};
        return codepage::with_line_break_symbols(
            cp.bytes_to_utf8(format_command(slot.commands[std::size_t(where.line)], doc)));
    }
    return {};
}

std::string match_path(const place& where) {
    if (where.in == place::area::slot)
        return "slot[" + std::to_string(where.index) + "] command " + std::to_string(where.line);
    return json_path(where.table) + "[" + std::to_string(where.index) + "]";
}

// ---- replacing ----------------------------------------------------------------------

namespace {

// A replacement: literal text and capture groups (-1 for text).
struct piece {
    std::string text;
    int group = -1;
};

std::vector<piece> parse_replacement(std::string_view utf8, const search_pattern& pattern) {
    if (!valid_utf8(utf8)) throw script_error("The replacement is not valid UTF-8");
    const std::string text = real_line_breaks(utf8);
    std::vector<piece> out(1);
    if (!pattern.options().regex) {
        out.back().text = text;
        return out;
    }
    const auto digit = [&](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out.back().text.push_back(c);
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\' || next == 'n' || next == 'r') {
            out.back().text.push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : '\\');
            ++i;
            continue;
        }
        if (!digit(i + 1)) {
            out.back().text.push_back(c);  // any other backslash stands as it is
            continue;
        }
        // Two digits when they name a group, else one.
        int group = text[i + 1] - '0';
        std::size_t used = 1;
        if (digit(i + 2) && group * 10 + (text[i + 2] - '0') <= pattern.groups()) {
            group = group * 10 + (text[i + 2] - '0');
            used = 2;
        }
        if (group > pattern.groups()) {
            const int n = pattern.groups();
            const std::string has = n == 0 ? std::string("no capture groups")
                                           : "only " + std::to_string(n) + (n == 1 ? " capture group" : " capture groups");
            throw script_error("The replacement refers to \\" + std::to_string(group) +
                               ", but the regular expression has " + has);
        }
        out.push_back({{}, group});
        out.emplace_back();
        i += used;
    }
    return out;
}

// The replaced text of one string in script bytes; throws the refusal that
// names it when it cannot be stored.
std::string to_script_bytes(const codepage::table& cp, std::string_view utf8, const place& where) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = codepage::next_utf8(utf8, i).value_or(0);
        const std::optional<unsigned char> b = c == 0 ? std::nullopt : cp.from_unicode(c);
        if (!b)
            throw script_error(entry_text(where.table, std::size_t(where.index)) +
                               " cannot take the replacement: it would hold " + codepage::character_name(c) +
                               ", a character that cannot be stored in a script. Only characters of the Windows-" +
                               std::to_string(codepage::number(cp.id())) +
                               " code page can be used. Nothing was replaced");
        bytes.push_back(static_cast<char>(*b));
    }
    if (bytes.size() > std::size_t(layout::kMaxStringLength))
        throw script_error(entry_text(where.table, std::size_t(where.index)) +
                           " cannot take the replacement: it would have " + std::to_string(bytes.size()) +
                           " characters, and a script string holds at most 255. Nothing was replaced");
    return bytes;
}

// Replaces matches of one text: those for which take(first character,
// length) says yes. The new UTF-8 text in out; the number replaced.
template <class Take>
std::size_t replace_in(const search_pattern::impl& p, const match_data& md, std::string_view text,
                       const std::vector<piece>& pieces, const place& where, std::string& out, Take&& take) {
    out.clear();
    std::size_t done = 0, copied = 0;
    const bool ok = each_match(p, md, text, [&](std::size_t start, std::size_t end) {
        if (!take(characters(text, start), characters(text, end) - characters(text, start))) return;
        out.append(text.substr(copied, start - copied));
        const PCRE2_SIZE* ov = md.ovector();
        for (const piece& part : pieces) {
            out.append(part.text);
            if (part.group < 0) continue;
            const PCRE2_SIZE from = ov[2 * part.group], to = ov[2 * part.group + 1];
            if (from != PCRE2_UNSET && to >= from) out.append(text.substr(from, to - from));
        }
        copied = end;
        ++done;
    });
    if (!ok) gave_up(where);
    out.append(text.substr(copied));
    return done;
}

}  // namespace

replace_plan plan_replace(const Ttombpcdat& doc, const codepage::table& cp, const search_pattern& pattern,
                          const search_scope& scope, std::string_view replacement) {
    replace_plan plan;
    if (pattern.empty()) return plan;
    const std::vector<piece> pieces = parse_replacement(replacement, pattern);
    const search_pattern::impl& p = pattern.compiled();
    const match_data md(p.code);
    decoder decode(cp);
    search_scope strings = scope;
    strings.every_slot = false;
    strings.slot_numbers.clear();
    std::string replaced;
    each_text(doc, strings, [&](const place& where, std::string_view bytes) {
        const std::string_view text = decode(bytes);
        const std::size_t n = replace_in(p, md, text, pieces, where, replaced, [](std::size_t, std::size_t) {
            return true;
        });
        if (n == 0) return;
        plan.occurrences += n;
        std::string stored = to_script_bytes(cp, replaced, where);
        if (stored != bytes) plan.edits.push_back({where.table, where.index, std::move(stored)});
    });
    return plan;
}

replace_plan plan_replace_one(const Ttombpcdat& doc, const codepage::table& cp, const search_pattern& pattern,
                              const search_match& match, std::string_view replacement) {
    replace_plan plan;
    const place& where = match.where;
    if (pattern.empty() || where.in != place::area::table) return plan;
    const auto& strings = table(doc, where.table).strings;
    if (where.index < 0 || std::size_t(where.index) >= strings.size()) return plan;
    const std::vector<piece> pieces = parse_replacement(replacement, pattern);
    const search_pattern::impl& p = pattern.compiled();
    const match_data md(p.code);
    decoder decode(cp);
    const std::string_view bytes = strings[std::size_t(where.index)];
    const std::string_view text = decode(bytes);
    std::string replaced;
    plan.occurrences = replace_in(p, md, text, pieces, where, replaced, [&](std::size_t first, std::size_t length) {
        return first == match.first && length == match.length;
    });
    if (plan.occurrences == 0) return plan;
    std::string stored = to_script_bytes(cp, replaced, where);
    if (stored != bytes) plan.edits.push_back({where.table, where.index, std::move(stored)});
    return plan;
}

void apply(Ttombpcdat& doc, const replace_plan& plan) {
    for (const string_edit& e : plan.edits) table(doc, e.table).strings[std::size_t(e.index)] = e.bytes;
}

std::string replace_step_text(std::size_t occurrences, std::string_view pattern_utf8) {
    std::string text = "Replace " + std::to_string(occurrences) +
                       (occurrences == 1 ? " occurrence of \"" : " occurrences of \"");
    text.append(pattern_utf8).push_back('"');
    return text;
}

}  // namespace vellumark
