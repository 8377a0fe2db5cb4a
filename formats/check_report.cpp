#include "formats/check_report.h"

#include <cstddef>
#include <utility>

#include "codec/codepage.h"
#include "formats/json_form.h"

namespace vellumark::report {

namespace {

using json_form::json;

struct tally {
    std::size_t errors = 0, warnings = 0;
};

tally count(const std::vector<problem>& problems) {
    tally t;
    for (const problem& p : problems) ++(p.level == severity::error ? t.errors : t.warnings);
    return t;
}

// The counts of the summary, in order.
std::vector<std::pair<const char*, std::size_t>> counts(const Ttombpcdat& d) {
    return {{"level_names", d.level_names.strings.size()},     {"pic_files", d.pic_files.strings.size()},
            {"title_files", d.title_files.strings.size()},     {"fmv_files", d.fmv_files.strings.size()},
            {"level_files", d.level_files.strings.size()},     {"cutscene_files", d.cutscene_files.strings.size()},
            {"script slots", d.scripts.size()},                {"demo levels", d.demo_levels.size()},
            {"game_strings1", d.game_strings1.strings.size()}, {"game_strings2", d.game_strings2.strings.size()}};
}

json problem_json(const problem& p, const Ttombpcdat& doc, const codepage::table& cp) {
    json where = json::object();
    switch (p.where.in) {
    case place::area::table: where["table"] = json_path(p.where.table); break;
    case place::area::slot: where["area"] = "slots"; break;
    case place::area::demo_levels: where["area"] = "demo_levels"; break;
    default: where["area"] = "document"; break;
    }
    if (p.where.index >= 0) where[p.where.in == place::area::slot ? "slot" : "entry"] = p.where.index;
    if (p.where.line >= 0) where["line"] = p.where.line;
    json j = json::object();
    j["severity"] = p.level == severity::error ? "error" : "warning";
    j["place"] = place_text(p.where, doc, &cp);
    j["where"] = std::move(where);
    j["message"] = p.message;
    return j;
}

}  // namespace

std::string check_text(const std::string& file, const Ttombpcdat& doc, const std::vector<problem>& problems,
                       const codepage::table& cp) {
    const tally t = count(problems);
    std::string out;
    for (const auto& [name, n] : counts(doc)) out.append(name).append(": ").append(std::to_string(n)).append("\n");
    out.append("key_strings: ").append(std::to_string(key_table_count(doc.layout))).append(" tables of ");
    out.append(std::to_string(doc.key_strings[0].strings.size())).append("\n");
    out.append("layout: ").append(layout_name(doc.layout)).append("\n");
    out.append("problems: ").append(std::to_string(t.errors)).append(t.errors == 1 ? " error, " : " errors, ");
    out.append(std::to_string(t.warnings)).append(t.warnings == 1 ? " warning\n" : " warnings\n");
    for (const problem& p : problems) {
        out.append(file).append(p.level == severity::error ? ": error: " : ": warning: ");
        const std::string where = place_text(p.where, doc, &cp);
        if (p.level == severity::warning && !where.empty()) out.append(where).append(": ");
        out.append(p.message).append("\n");
    }
    return out;
}

std::string check_json(const std::string& file, const Ttombpcdat& doc, const std::vector<problem>& problems,
                       const codepage::table& cp) {
    const tally t = count(problems);
    json j = json::object();
    j["file"] = codepage::valid_utf8(file);
    for (const auto& [name, n] : counts(doc)) j[name] = n;
    j["key_strings"] = {{"tables", key_table_count(doc.layout)}, {"entries", doc.key_strings[0].strings.size()}};
    j["layout"] = layout_name(doc.layout);
    j["errors"] = t.errors;
    j["warnings"] = t.warnings;
    j["problems"] = json::array();
    for (const problem& p : problems) j["problems"].push_back(problem_json(p, doc, cp));
    return j.dump(2) + "\n";
}

}  // namespace vellumark::report
