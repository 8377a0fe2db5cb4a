#include "formats/search_report.h"

#include <algorithm>

#include "formats/json_form.h"

namespace vellumark::report {

namespace {

using json_form::json;

// Characters first .. first + length - 1 of a UTF-8 text.
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

std::string counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string find_text(const std::string& file, const Ttombpcdat& doc, const codepage::table& cp,
                      const std::vector<search_match>& matches) {
    std::string out;
    for (std::size_t i = 0; i < matches.size(); ++i) {
        if (i > 0 && matches[i].where == matches[i - 1].where) continue;
        out.append(file).append(":").append(match_path(matches[i].where)).append(": ");
        out.append(place_text_of(doc, cp, matches[i].where)).append("\n");
    }
    return out;
}

std::string find_json(const Ttombpcdat& doc, const codepage::table& cp, const std::vector<search_match>& matches) {
    json all = json::array();
    for (const search_match& m : matches) {
        const std::string text = place_text_of(doc, cp, m.where);
        json j = json::object();
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
    return all.dump(2) + "\n";
}

std::string replace_text(const replace_plan& plan) {
    return counted(plan.occurrences, "occurrence", "occurrences") + " replaced in " +
           counted(plan.edits.size(), "string", "strings") + "\n";
}

std::string replace_json(const replace_plan& plan) {
    json j = json::object();
    j["occurrences"] = plan.occurrences;
    j["strings"] = plan.edits.size();
    return j.dump(2) + "\n";
}

}  // namespace vellumark::report
