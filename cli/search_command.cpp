#include "cli/search_command.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/input.h"
#include "codec/script_file.h"

namespace vellumark::cli {

namespace {

// The match's text from its first character on, cut after its length.
std::string characters_of(const std::string& utf8, std::size_t first, std::size_t length) {
    std::size_t begin = utf8.size(), end = utf8.size(), chars = 0;
    for (std::size_t i = 0; i <= utf8.size(); ++i) {
        if (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
        if (chars == first) begin = std::min(begin, i);
        if (chars == first + length) {
            end = i;
            break;
        }
        ++chars;
    }
    return utf8.substr(begin, end - begin);
}

}  // namespace

bool find_in_file(const std::string& path, const search_request& request, std::ostream& out) {
    const Ttombpcdat doc = load_input_script(path);
    const search_pattern pattern(request.pattern, request.options);
    const std::vector<search_match> matches = find_all(doc, *request.cp, pattern, request.scope);
    if (request.json) {
        nlohmann::ordered_json all = nlohmann::ordered_json::array();
        for (const search_match& m : matches) {
            const std::string text = place_text_of(doc, *request.cp, m.where);
            nlohmann::ordered_json j;
            j["place"] = match_path(m.where);
            if (m.where.in == place::area::slot) {
                j["slot"] = m.where.index;
                j["command"] = m.where.line;
            } else {
                j["table"] = json_path(m.where.table);
                j["index"] = m.where.index;
            }
            j["start"] = m.first;
            j["length"] = m.length;
            j["match"] = characters_of(text, m.first, m.length);
            j["text"] = text;
            all.push_back(std::move(j));
        }
        out << all.dump(2) << '\n';
    } else {
        // A text is printed once, however many matches it holds, as grep
        // prints a line.
        for (std::size_t i = 0; i < matches.size(); ++i) {
            if (i > 0 && matches[i].where == matches[i - 1].where) continue;
            out << input_name(path) << ':' << match_path(matches[i].where) << ": "
                << place_text_of(doc, *request.cp, matches[i].where) << '\n';
        }
    }
    return !matches.empty();
}

void replace_in_file(const std::string& path, const std::string& replacement, const std::string& target,
                     const search_request& request, std::ostream& out) {
    Ttombpcdat doc = load_input_script(path);
    const search_pattern pattern(request.pattern, request.options);
    const replace_plan plan = plan_replace(doc, *request.cp, pattern, request.scope, replacement);
    apply(doc, plan);
    save_script_file(target, doc);
    if (request.json) {
        nlohmann::ordered_json j;
        j["occurrences"] = plan.occurrences;
        j["strings"] = plan.edits.size();
        out << j.dump(2) << '\n';
    } else {
        out << plan.occurrences << (plan.occurrences == 1 ? " occurrence" : " occurrences") << " replaced in "
            << plan.edits.size() << (plan.edits.size() == 1 ? " string" : " strings") << '\n';
    }
}

}  // namespace vellumark::cli
