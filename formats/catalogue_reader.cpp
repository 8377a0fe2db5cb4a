#include "catalogue/catalogue.h"

#include <gettext-po.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "codec/errors.h"
#include "codec/fileio.h"
#include "codec/layout.h"
#include "codec/script_file.h"

namespace vellumark::catalogue {
namespace {

// ---- libgettextpo's reports -----------------------------------------------------
// The library reports through handlers without a context of their own: the
// reports of one call are gathered in `gathering` while it runs.

struct reports {
    std::string first_error;  // "file:line: text" of the first error
    int errors = 0;
};

thread_local reports* gathering = nullptr;

std::string where(const char* file, std::size_t line) {
    std::string at = file ? file : "";
    if (file && line != static_cast<std::size_t>(-1) && line != 0) at.append(":").append(std::to_string(line));
    return at;
}

void note(int severity, const std::string& at, const char* text) {
    if (!gathering || severity < PO_SEVERITY_ERROR) return;  // warnings are gettext's advice
    if (gathering->errors++ > 0) return;
    std::string message = text ? text : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    gathering->first_error = at.empty() ? message : at + ": " + message;
}

void on_error(int severity, po_message_t, const char* file, std::size_t line, std::size_t, int, const char* text) {
    note(severity, where(file, line), text);
}

void on_error2(int severity, po_message_t, const char* file, std::size_t line, std::size_t, int, const char* text,
               po_message_t, const char*, std::size_t, std::size_t, int, const char*) {
    note(severity, where(file, line), text);
}

const po_xerror_handler kHandler = {on_error, on_error2};

class gather {
public:
    gather() : previous_(gathering) { gathering = &reports_; }
    ~gather() { gathering = previous_; }
    gather(const gather&) = delete;
    gather& operator=(const gather&) = delete;
    const reports& got() const { return reports_; }

private:
    reports reports_;
    reports* previous_;
};

struct file_deleter {
    void operator()(po_file* f) const { po_file_free(f); }
};
using po_file_ptr = std::unique_ptr<po_file, file_deleter>;

struct iterator_deleter {
    void operator()(po_message_iterator_t i) const { po_message_iterator_free(i); }
};
using po_iterator_ptr = std::unique_ptr<struct po_message_iterator, iterator_deleter>;

struct malloc_deleter {
    void operator()(char* p) const { std::free(p); }
};
using c_string = std::unique_ptr<char, malloc_deleter>;

// ---- texts ------------------------------------------------------------------------

// msgfmt takes U+0004 for the separator of msgctxt and msgid and refuses it
// inside a text, so a catalogue shows it as its symbol, which no code page
// holds: the byte 0x04 of a script becomes U+2404 and back.
constexpr char32_t kEndOfTransmission = 0x04;
constexpr char32_t kEndOfTransmissionSymbol = 0x2404;

// A script text as a catalogue holds it.
std::string catalogue_text(const codepage::table& cp, const std::string& bytes) {
    std::string out = cp.bytes_to_utf8(bytes);
    if (out.find(static_cast<char>(kEndOfTransmission)) == std::string::npos) return out;
    std::string symbol;
    codepage::append_utf8(symbol, kEndOfTransmissionSymbol);
    for (std::size_t at = out.find(static_cast<char>(kEndOfTransmission)); at != std::string::npos;
         at = out.find(static_cast<char>(kEndOfTransmission), at + symbol.size()))
        out.replace(at, 1, symbol);
    return out;
}

// The positions of a table that a catalogue may name: every entry, and for
// key strings one per level, as a save writes them.
std::size_t positions(const Ttombpcdat& doc, table_id id) {
    return is_key_table(id) ? static_cast<std::size_t>(level_total(doc)) : table(doc, id).strings.size();
}

// A folder of our own under the system's temporary folder, removed with
// everything in it.
class scratch_folder {
public:
    scratch_folder() {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec) throw script_error("No temporary folder for the catalogue: " + ec.message());
        std::string pattern = (base / "vellumark-po-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw_errno(errno);
        path_ = pattern;
    }
    ~scratch_folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// ---- where the entries stand in a PO file -------------------------------------
// libgettextpo reads a catalogue but tells no line of an entry, so the lines
// are taken from the keywords that start them, entry by entry in file order
// (obsolete entries and previous strings are comments). The library has read
// the file already, so the keywords are where it found them.

struct entry_lines {
    std::size_t msgctxt = 0, msgid = 0, msgstr = 0;
};

bool keyword(std::string_view line, std::string_view word) {
    return line.substr(0, word.size()) == word && line.size() > word.size() &&
           (line[word.size()] == ' ' || line[word.size()] == '\t' || line[word.size()] == '"' ||
            line[word.size()] == '[');
}

std::vector<entry_lines> keyword_lines(const std::string& text) {
    std::vector<entry_lines> out;
    std::size_t pending_context = 0;
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        ++number;
        start = end + 1;
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) continue;
        line.remove_prefix(first);
        if (keyword(line, "msgctxt")) {
            pending_context = number;
        } else if (keyword(line, "msgid")) {
            out.push_back({pending_context, number, 0});
            pending_context = 0;
        } else if (keyword(line, "msgstr") && !out.empty() && out.back().msgstr == 0) {
            out.back().msgstr = number;
        }
    }
    return out;
}

// ---- the catalogue's character set ---------------------------------------------------

// Converts the catalogue's texts to UTF-8 when it is written in another
// character set.
class to_utf8 {
public:
    to_utf8(const std::string& path, po_file_t file) {
        const c_string header(const_cast<char*>(po_file_domain_header(file, nullptr)));
        if (!header) return;
        const c_string type(po_header_field(header.get(), "Content-Type"));
        if (!type) return;
        const std::string value = type.get();
        const std::size_t at = value.find("charset=");
        if (at == std::string::npos) return;
        std::string charset = value.substr(at + 8);
        charset.erase(std::min(charset.size(), charset.find_first_of(" ;\t")));
        std::string folded = charset;
        for (char& c : folded)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (folded.empty() || folded == "UTF-8" || folded == "UTF8" || folded == "CHARSET" ||
            folded == "ASCII" || folded == "US-ASCII")
            return;
        cd_ = ::iconv_open("UTF-8", charset.c_str());
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw script_error(path + ": the catalogue's character set " + charset +
                               " is not known to the system's iconv");
        charset_ = charset;
    }
    ~to_utf8() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(cd_);
    }
    to_utf8(const to_utf8&) = delete;
    to_utf8& operator=(const to_utf8&) = delete;

    // The text in UTF-8, or nothing when it is not valid in the character set.
    std::optional<std::string> operator()(const char* text) const {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::string(text);
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string in(text), out(4 * in.size() + 8, '\0');
        char* inp = in.data();
        char* outp = out.data();
        std::size_t in_left = in.size(), out_left = out.size();
        if (::iconv(cd_, &inp, &in_left, &outp, &out_left) == static_cast<std::size_t>(-1) ||
            ::iconv(cd_, nullptr, nullptr, &outp, &out_left) == static_cast<std::size_t>(-1))
            return std::nullopt;
        out.resize(out.size() - out_left);
        return out;
    }
    const std::string& charset() const { return charset_; }

private:
    iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
    std::string charset_ = "UTF-8";
};

// A character as a message names it: "ł" (U+0142), or U+0001 alone for one
// that shows nothing.
std::string character_name(char32_t c) {
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) return codepage::code_point_name(c);
    std::string out = "\"";
    codepage::append_utf8(out, c);
    out.append("\" (").append(codepage::code_point_name(c)).append(")");
    return out;
}

}  // namespace

bool translatable(table_id id) {
    return id == table_id::level_names || id == table_id::game_strings1 || id == table_id::game_strings2 ||
           is_key_table(id);
}

std::string context(table_id id, std::size_t index) {
    std::string out = json_path(id);
    out.append("[").append(std::to_string(index)).append("]");
    return out;
}

std::optional<std::pair<table_id, std::size_t>> parse_context(std::string_view text) {
    for (const table_info& t : kTables) {
        if (!translatable(t.id)) continue;
        const std::string prefix = json_path(t.id) + "[";
        if (text.substr(0, prefix.size()) != prefix || text.size() < prefix.size() + 2 || text.back() != ']')
            continue;
        const std::string_view digits = text.substr(prefix.size(), text.size() - prefix.size() - 1);
        if (digits.empty() || digits.size() > 9 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const auto index = static_cast<std::size_t>(std::stoul(std::string(digits)));
        if (context(t.id, index) == text) return std::make_pair(t.id, index);
    }
    return std::nullopt;
}

std::string template_text(const Ttombpcdat& doc, const codepage::table& cp, const std::string& project) {
    const po_file_ptr file(po_file_create());
    {
        const po_iterator_ptr it(po_message_iterator(file.get(), nullptr));
        po_message_t header = po_message_create();
        po_message_set_msgid(header, "");
        std::string fields = "Project-Id-Version: " + project + "\n";
        fields += "Report-Msgid-Bugs-To: \n"
                  "PO-Revision-Date: YEAR-MO-DA HO:MI+ZONE\n"
                  "Last-Translator: FULL NAME <EMAIL@ADDRESS>\n"
                  "Language-Team: LANGUAGE <LL@li.org>\n"
                  "Language: \n"
                  "MIME-Version: 1.0\n"
                  "Content-Type: text/plain; charset=UTF-8\n"
                  "Content-Transfer-Encoding: 8bit\n";
        po_message_set_msgstr(header, fields.c_str());
        std::string about = "Texts of " + project + " for translation, read in the code page ";
        about.append(cp.name()).append(".\n");
        about += "Each msgctxt names a text's table and position in the script.\n";
        po_message_set_comments(header, about.c_str());
        po_message_set_fuzzy(header, 1);
        po_message_insert(it.get(), header);

        for (const table_info& t : kTables) {
            if (!translatable(t.id)) continue;
            const std::vector<std::string>& strings = table(doc, t.id).strings;
            const std::size_t n = std::min(strings.size(), positions(doc, t.id));
            for (std::size_t i = 0; i < n; ++i) {
                if (strings[i].empty()) continue;
                po_message_t m = po_message_create();
                po_message_set_msgctxt(m, context(t.id, i).c_str());
                po_message_set_msgid(m, catalogue_text(cp, strings[i]).c_str());
                po_message_set_msgstr(m, "");
                if (is_key_table(t.id)) {
                    // In quotes: a comment line that ended with a backslash
                    // would run on into the next line.
                    std::string note = "Level " + std::to_string(i) + ": \"";
                    note.append(codepage::with_line_break_symbols(catalogue_text(cp, doc.level_names.strings[i])))
                        .append("\"\n");
                    po_message_set_extracted_comments(m, note.c_str());
                }
                if (strings[i].find('%') != std::string::npos) po_message_set_format(m, "c-format", 0);
                po_message_insert(it.get(), m);
            }
        }
    }

    const scratch_folder folder;
    const std::string path = folder.file("texts.pot");
    // The library cannot report a file it fails to create, so make sure first.
    if (std::FILE* probe = std::fopen(path.c_str(), "wb"))
        std::fclose(probe);
    else
        throw_errno(errno);
    const gather g;
    po_file_write(file.get(), path.c_str(), &kHandler);
    if (g.got().errors > 0) throw script_error(g.got().first_error);
    const std::vector<std::uint8_t> bytes = read_file_bytes(path, std::size_t{256} << 20, "a catalogue");
    return std::string(bytes.begin(), bytes.end());
}

void write_template(const std::string& path, const Ttombpcdat& doc, const codepage::table& cp,
                    const std::string& project) {
    const std::string text = template_text(doc, cp, project);
    atomic_write_file(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::vector<translation> read_translations(const std::string& path, const Ttombpcdat& doc,
                                           const codepage::table& cp) {
    const std::vector<std::uint8_t> bytes = read_file_bytes(path, std::size_t{256} << 20, "a catalogue");
    const std::vector<entry_lines> lines = keyword_lines(std::string(bytes.begin(), bytes.end()));

    po_file_ptr file;
    {
        const gather g;
        errno = 0;
        file.reset(po_file_read(path.c_str(), &kHandler));
        if (!file) throw_errno(errno ? errno : EIO);
        if (g.got().errors > 0) throw script_error(g.got().first_error);
    }
    for (const char* const* d = po_file_domains(file.get()); *d; ++d)
        if (std::strcmp(*d, "messages") != 0)
            throw script_error(path + ": holds the domain \"" + *d + "\"; a script's texts are all of one");
    const to_utf8 convert(path, file.get());

    const auto at = [&path](std::size_t line) {
        return line > 0 ? path + ":" + std::to_string(line) + ": " : path + ": ";
    };
    std::vector<translation> out;
    std::map<std::pair<table_id, std::size_t>, std::size_t> seen;  // the line of each context
    const po_iterator_ptr it(po_message_iterator(file.get(), nullptr));
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
        const std::optional<std::string> name = convert(ctxt);
        const auto named = name ? parse_context(*name) : std::nullopt;
        if (!named || named->second >= positions(doc, named->first))
            throw script_error(at(ctxt_line) + "unknown msgctxt \"" + name.value_or(ctxt) +
                               "\": the script has no such text");
        if (const auto [before, fresh] = seen.emplace(*named, ctxt_line); !fresh)
            throw script_error(at(ctxt_line) + "msgctxt \"" + *name + "\" is given twice (first at line " +
                               std::to_string(before->second) + ")");
        if (po_message_msgid_plural(m))
            throw script_error(at(place.msgid) + "a script text has no plural forms");

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
            const std::optional<unsigned char> byte = *c == kEndOfTransmissionSymbol ? kEndOfTransmission
                                                      : *c == 0                          ? std::nullopt
                                                                                         : cp.from_unicode(*c);
            if (!byte)
                throw script_error(at(place.msgstr) + "the translation holds the character " + character_name(*c) +
                                   ", which the code page " + cp.name() + " cannot store");
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

void apply(Ttombpcdat& doc, const std::vector<translation>& translations) {
    for (const translation& t : translations) {
        std::vector<std::string>& strings = table(doc, t.table).strings;
        if (t.index >= strings.size()) strings.resize(t.index + 1);
        strings[t.index] = t.bytes;
    }
}

}  // namespace vellumark::catalogue
