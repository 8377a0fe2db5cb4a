// Reading a translated catalogue back: libgettextpo parses it, and the
// catalogue's own lines tell where each entry stands and what the library
// cannot (a NUL inside a text, which its C strings end at).
#include <algorithm>
#include <cstring>
#include <map>

#include "codec/check.h"
#include "codec/errors.h"
#include "codec/fileio.h"
#include "codec/layout.h"
#include "formats/catalogue.h"
#include "formats/po_library.h"

namespace vellumark::catalogue {

namespace {

// ---- the longest catalogue --------------------------------------------------------
// The catalogue of the largest script, every text translated, as gettext's
// tools write it:
// - The translatable tables (nineteen in the PlayStation beta) hold at most
//   kMaxEntries texts each (game strings 2 at most 80), and an entry's text
//   is never empty.
// - Besides its texts an entry takes at most kEntryRoom bytes: the level
//   comment `#. Level 32766: ""`, the flags `#, fuzzy, no-c-format`,
//   `msgctxt "key_strings[9][32766]"`, the keywords of msgid and msgstr each
//   with the empty first line of a wrapped text, and the blank line after it.
// - The texts of a table take at most kMaxBlockSize stored bytes, one of
//   which ends each text, and the translations as many (a save refuses
//   more): a table of n entries holds at most kMaxBlockSize - n characters
//   of each. A character takes at most kCharBytes: a line feed is written as
//   `\n"` and a `"` opening the next line, any other character as at most 3
//   bytes of UTF-8 or a 2-byte escape, plus its share of a wrapped line's
//   quotes. A table is longest with the most entries.
// - A key-string entry's comment names its level: each level name (3 bytes
//   a character at most) stands in at most sixteen comments.
// - The header: less than kHeaderRoom.
// Comments that translators add, previous texts (msgmerge --previous) and
// obsolete entries are not counted: a catalogue of a real script (a few
// hundred texts, some 30 KB) stays far below the bound in any case.
constexpr std::size_t kEntryRoom = 96;
constexpr std::size_t kCharBytes = 5;
constexpr std::size_t kHeaderRoom = 4096;
constexpr std::size_t kBlock = layout::kMaxBlockSize;

constexpr std::size_t table_bytes(std::size_t entries) {
    return entries * kEntryRoom + 2 * (kBlock - entries) * kCharBytes;
}
constexpr std::size_t kEntries = static_cast<std::size_t>(kMaxEntries);
constexpr std::size_t kKeyTables = kKeyStringTables + kBetaKeyStringTables;
constexpr std::size_t kTablesOfMostEntries = 2 + kKeyTables;  // level names, game strings 1, key strings

// ---- where the entries stand in the catalogue ----------------------------------------
// libgettextpo reads a catalogue but tells no line of an entry, so the lines
// are taken from the keywords that start them, entry by entry in file order
// (obsolete entries and previous strings are comments). The library has read
// the same bytes already, so the keywords are where it found them.

struct entry_lines {
    std::size_t msgctxt = 0, msgid = 0, msgstr = 0;
    std::size_t nul = 0;  // the first line where the translation holds a NUL; 0 for none
};

bool keyword(std::string_view line, std::string_view word) {
    return line.substr(0, word.size()) == word && line.size() > word.size() &&
           (line[word.size()] == ' ' || line[word.size()] == '\t' || line[word.size()] == '"' ||
            line[word.size()] == '[');
}

int digit_value(char c, int base) {
    if (c >= '0' && c <= '9' && c - '0' < base) return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Whether the quoted strings of a line hold an escape that gettext reads as
// the character 0: an octal escape of up to three digits (\0, \00, \000,
// \400) or a hexadecimal one of any number of digits (\x0, \x00, \x100),
// whose value gettext keeps to its low eight bits.
bool holds_nul(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!quoted) {
            if (c == '#') return false;  // a comment to the end of the line
            quoted = c == '"';
            continue;
        }
        if (c == '"') {
            quoted = false;
        } else if (c == '\\' && i + 1 < line.size()) {
            const bool hex = line[i + 1] == 'x';
            const int base = hex ? 16 : 8;
            std::size_t at = hex ? i + 2 : i + 1;
            const std::size_t most = hex ? line.size() : at + 3;
            unsigned value = 0;
            std::size_t digits = 0;
            for (; at < line.size() && at < most && digit_value(line[at], base) >= 0; ++at, ++digits) {
                const auto d = static_cast<unsigned>(digit_value(line[at], base));
                value = (value * static_cast<unsigned>(base) + d) & 0xFF;
            }
            if (digits > 0 && value == 0) return true;
            i = digits > 0 ? at - 1 : i + 1;  // past the escape
        }
    }
    return false;
}

std::vector<entry_lines> keyword_lines(std::string_view text) {
    std::vector<entry_lines> out;
    std::size_t pending_context = 0;
    std::size_t number = 0;
    bool in_msgstr = false;  // the lines of a translation go on
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        ++number;
        start = end + 1;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos) {
            in_msgstr = false;
            continue;
        }
        line.remove_prefix(first);
        if (keyword(line, "msgctxt")) {
            pending_context = number;
            in_msgstr = false;
        } else if (keyword(line, "msgid")) {
            out.push_back({pending_context, number, 0, 0});
            pending_context = 0;
            in_msgstr = false;
        } else if (keyword(line, "msgstr") && !out.empty()) {
            if (out.back().msgstr == 0) out.back().msgstr = number;
            in_msgstr = true;
        } else if (line[0] != '"') {
            in_msgstr = false;
        }
        if (in_msgstr && !out.empty() && out.back().nul == 0 && holds_nul(line)) out.back().nul = number;
    }
    return out;
}

constexpr const char* kNulReason = "the translation holds a NUL character, which would end the stored text";

// A text of the catalogue as a one-line message shows it, in quotes. Built by
// appending: g++ 12 warns falsely (-Wrestrict) about the concatenation.
std::string shown(const std::string& utf8) {
    std::string out(1, '"');
    out.append(codepage::with_line_break_symbols(utf8)).push_back('"');
    return out;
}

}  // namespace

const std::size_t kMostCatalogueBytes = kTablesOfMostEntries * table_bytes(kEntries) +
                                        table_bytes(layout::kConsoleGameStrings2Count) +
                                        kKeyTables * kBlock * 3 + kHeaderRoom;

std::vector<translation> read_translations(std::span<const std::uint8_t> bytes, const std::string& name,
                                           const Ttombpcdat& doc, const codepage::table& cp) {
    const std::vector<entry_lines> lines =
        keyword_lines({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    const po::file_ptr file = po::read(bytes, name);
    for (const char* const* d = po_file_domains(file.get()); *d; ++d)
        if (std::strcmp(*d, "messages") != 0)
            throw script_error(name + ": holds the domain \"" + *d + "\"; a script's texts are all of one");
    const po::to_utf8 convert(name, file.get());

    const auto at = [&name](std::size_t line) {
        return line > 0 ? name + ":" + std::to_string(line) + ": " : name + ": ";
    };
    std::vector<translation> out;
    std::map<std::pair<table_id, std::size_t>, std::size_t> seen;  // the line of each context
    const po::iterator_ptr it(po_message_iterator(file.get(), nullptr));
    std::size_t k = 0;
    for (po_message_t m = po_next_message(it.get()); m; m = po_next_message(it.get())) {
        if (po_message_is_obsolete(m)) continue;
        const entry_lines place = k < lines.size() ? lines[k] : entry_lines{};
        ++k;
        const char* ctxt = po_message_msgctxt(m);
        if (!ctxt && po_message_msgid(m)[0] == '\0') continue;  // the header
        const std::size_t ctxt_line = place.msgctxt ? place.msgctxt : place.msgid;
        if (!ctxt)
            throw script_error(at(ctxt_line) + "the entry has no msgctxt; each text of a script is named by one");
        const std::optional<std::string> context_text = convert(ctxt);
        const auto named = context_text ? parse_context(*context_text) : std::nullopt;
        if (!named || named->second >= positions(doc, named->first))
            throw script_error(at(ctxt_line) + "unknown msgctxt \"" + context_text.value_or(ctxt) +
                               "\": the script has no such text");
        if (const auto [before, fresh] = seen.emplace(*named, ctxt_line); !fresh)
            throw script_error(at(ctxt_line) + "msgctxt \"" + *context_text + "\" is given twice (first at line " +
                               std::to_string(before->second) + ")");
        if (po_message_msgid_plural(m))
            throw script_error(at(place.msgid) + "a script text has no plural forms");

        // The entry must translate the text that stands there now, as an
        // export writes it; past the lines of a key-string table that is
        // the empty text, which no entry has.
        const std::vector<std::string>& strings = table(doc, named->first).strings;
        const std::string now = named->second < strings.size() ? catalogue_text(cp, strings[named->second]) : "";
        const char* msgid = po_message_msgid(m);
        if (const std::string source = convert(msgid).value_or(msgid); source != now)
            throw script_error(at(place.msgid) + *context_text + " is now " + shown(now) +
                               ", but this entry translates " + shown(source) +
                               "; update the catalogue with msgmerge against a new export");
        if (place.nul > 0)
            throw script_error(at(place.nul) + kNulReason);

        const char* msgstr = po_message_msgstr(m);
        if (msgstr[0] == '\0' || po_message_is_fuzzy(m)) continue;
        const std::optional<std::string> text = convert(msgstr);
        if (!text)
            throw script_error(at(place.msgstr) + "the translation is not valid in the catalogue's character set " +
                               convert.charset());
        std::string stored;
        stored.reserve(text->size());
        for (std::size_t i = 0; i < text->size();) {
            const std::optional<char32_t> c = codepage::next_utf8(*text, i);
            if (!c) throw script_error(at(place.msgstr) + "the translation is not valid UTF-8");
            if (*c == 0) throw script_error(at(place.msgstr) + kNulReason);
            const std::optional<unsigned char> byte =
                *c == codepage::kEndOfTransmissionSymbol ? static_cast<unsigned char>(codepage::kEndOfTransmission)
                                                         : cp.from_unicode(*c);
            if (!byte)
                throw script_error(at(place.msgstr) + "the translation holds the character " +
                                   codepage::character_name(*c) + ", which the code page " + cp.name() +
                                   " cannot store");
            stored.push_back(static_cast<char>(*byte));
        }
        if (stored.size() > static_cast<std::size_t>(layout::kMaxStringLength))
            throw script_error(at(place.msgstr) + "the translation is " + std::to_string(stored.size()) +
                               " characters long; a script text holds at most " +
                               std::to_string(layout::kMaxStringLength));
        out.push_back({named->first, named->second, std::move(stored)});
    }
    return out;
}

std::vector<translation> read_translations(const std::string& path, const Ttombpcdat& doc,
                                           const codepage::table& cp) {
    return read_translations(read_file_bytes(path, kMostCatalogueBytes, kCatalogueWhat), path, doc, cp);
}

void apply(Ttombpcdat& doc, const std::vector<translation>& translations) {
    for (const translation& t : translations) {
        std::vector<std::string>& strings = table(doc, t.table).strings;
        if (t.index >= strings.size()) strings.resize(t.index + 1);
        strings[t.index] = t.bytes;
    }
}

}  // namespace vellumark::catalogue
