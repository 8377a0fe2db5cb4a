// Writing the catalogue: the names of its entries and the PO template of a
// script's texts.
#include <algorithm>
#include <vector>

#include "codec/fileio.h"
#include "formats/catalogue.h"
#include "formats/po_library.h"

namespace vellumark::catalogue {

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
    // The tables' paths, made once: a catalogue names hundreds of thousands
    // of texts at most.
    static const std::vector<std::pair<std::string, table_id>> paths = [] {
        std::vector<std::pair<std::string, table_id>> out;
        for (const table_info& t : tables_of(script_layout::playstation_beta))
            if (translatable(t.id)) out.emplace_back(json_path(t.id), t.id);
        return out;
    }();
    const std::size_t open = text.rfind('[');
    if (open == std::string_view::npos || text.back() != ']') return std::nullopt;
    const std::string_view path = text.substr(0, open);
    const std::string_view digits = text.substr(open + 1, text.size() - open - 2);
    // As context() writes the position: no sign, no leading zero.
    if (digits.empty() || digits.size() > 9 || (digits.size() > 1 && digits[0] == '0') ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    for (const auto& [name, id] : paths)
        if (name == path) return std::make_pair(id, static_cast<std::size_t>(std::stoul(std::string(digits))));
    return std::nullopt;
}

std::string catalogue_text(const codepage::table& cp, std::string_view bytes) {
    std::string out = cp.bytes_to_utf8(bytes);
    const char eot = static_cast<char>(codepage::kEndOfTransmission);
    if (out.find(eot) == std::string::npos) return out;
    std::string symbol;
    codepage::append_utf8(symbol, codepage::kEndOfTransmissionSymbol);
    for (std::size_t at = out.find(eot); at != std::string::npos; at = out.find(eot, at + symbol.size()))
        out.replace(at, 1, symbol);
    return out;
}

std::size_t positions(const Ttombpcdat& doc, table_id id) {
    if (!is_key_table(id)) return table(doc, id).strings.size();
    // The beta's six tables have no place in another layout.
    return key_index(id) < key_table_count(doc.layout) ? static_cast<std::size_t>(level_total(doc)) : 0;
}

std::string template_text(const Ttombpcdat& doc, const codepage::table& cp, const std::string& project_bytes) {
    const std::string project = codepage::with_line_break_symbols(codepage::valid_utf8(project_bytes));
    const po::file_ptr file(po_file_create());
    {
        const po::iterator_ptr it(po_message_iterator(file.get(), nullptr));
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

        for (const table_info& t : tables_of(doc.layout)) {
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
    return po::text_of(file.get());
}

void write_template(const std::string& path, const Ttombpcdat& doc, const codepage::table& cp,
                    const std::string& project, backup_rule backup) {
    const std::string text = template_text(doc, cp, project);
    atomic_write_file(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, backup);
}

}  // namespace vellumark::catalogue
