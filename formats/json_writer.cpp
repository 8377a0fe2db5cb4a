// Writing the JSON form: the document's sections in file order, and the
// stable text of dump.
#include <algorithm>
#include <array>
#include <vector>

#include "codec/commands.h"
#include "codec/options.h"
#include "codec/sections.h"
#include "codec/tables.h"
#include "formats/json_common.h"

namespace vellumark::json_form {

namespace {

std::string hex(const std::uint8_t* data, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

template <std::size_t N>
std::string hex(const std::array<std::uint8_t, N>& a) {
    return hex(a.data(), N);
}

json strings_json(const list_strings& table, const codepage::table& cp) {
    json out = json::array();
    for (const std::string& s : table.strings) out.push_back(cp.bytes_to_utf8(s));
    return out;
}

json command_json(const script_command& command, const Ttombpcdat& doc, const codepage::table& cp) {
    json c = json::object();
    c["command"] = command_json_name(command.command);
    c["code"] = command.command;
    if (cmd::carries_operand(command.command)) {
        c["operand"] = command.operand;
        if (const auto named = named_table(command.command)) {
            const auto& strings = table(doc, *named).strings;
            if (command.operand < strings.size())
                c["name"] = cp.bytes_to_utf8(strings[command.operand]);
            else
                c["name"] = nullptr;
        }
    }
    return c;
}

// The header section: the header's fields, the options and the flags.
void write_header(const Ttombpcdat& doc, json& out) {
    json header = json::object();
    header["version"] = doc.version;
    header["description"] = hex(doc.description);
    header["reserved_a"] = doc.reserved_a;
    header["reserved_b"] = hex(doc.reserved_b);
    header["level_count"] = doc.level_count;
    header["pic_count"] = doc.pic_count;
    header["title_count"] = doc.title_count;
    header["fmv_count"] = doc.fmv_count;
    header["cutscene_count"] = doc.cutscene_count;
    header["demo_level_count"] = doc.demo_level_count;
    header["single_level"] = doc.single_level;
    header["reserved_c"] = hex(doc.reserved_c);
    header["reserved_d"] = hex(doc.reserved_d);
    header["cipher_byte"] = doc.cipher_byte;
    header["reserved_f"] = doc.reserved_f;
    header["reserved_e"] = hex(doc.reserved_e);
    out["header"] = std::move(header);

    json options = json::object();
    for (const option_info& o : kOptions) options[std::string(o.json)] = option_value(doc, o.id);
    out["options"] = std::move(options);

    json flags = json::object();
    flags["value"] = doc.flags;
    for (const flag_info& f : kOptionFlags) flags[std::string(f.caption)] = (doc.flags & f.bit) != 0;
    out["flags"] = std::move(flags);
}

bool is_scalar(const json& j) { return !j.is_object() && !j.is_array(); }

void write_text(const json& j, int depth, bool in_array, std::string& out) {
    const std::string indent(2 * (depth + 1), ' ');
    const std::string close(2 * depth, ' ');
    auto scalar = [](const json& v) { return v.dump(-1, ' ', false); };
    if (is_scalar(j)) {
        out += scalar(j);
    } else if (j.empty()) {
        out += j.is_object() ? "{}" : "[]";
    } else if (j.is_object()) {
        bool flat = in_array && std::all_of(j.begin(), j.end(), is_scalar);
        out += flat ? "{" : "{\n";
        bool first = true;
        for (const auto& item : j.items()) {
            if (!first) out += flat ? ", " : ",\n";
            first = false;
            if (!flat) out += indent;
            out += json(item.key()).dump(-1, ' ', false) + ": ";
            write_text(item.value(), depth + 1, false, out);
        }
        out += flat ? "}" : "\n" + close + "}";
    } else {
        bool flat = std::all_of(j.begin(), j.end(), [](const json& v) { return v.is_number(); });
        out += flat ? "[" : "[\n";
        bool first = true;
        for (const json& v : j) {
            if (!first) out += flat ? ", " : ",\n";
            first = false;
            if (!flat) out += indent;
            write_text(v, depth + 1, true, out);
        }
        out += flat ? "]" : "\n" + close + "]";
    }
}

}  // namespace

std::string command_json_name(std::uint16_t code) {
    if (code >= kCommandNameCount) return "---UNKNOWN(" + std::to_string(code) + ")";
    std::string name(command_names[code]);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

std::string_view layout_json_name(script_layout layout) {
    switch (layout) {
    case script_layout::playstation: return kLayoutPlayStation;
    case script_layout::playstation_beta: return kLayoutPlayStationBeta;
    default: return kLayoutPc;
    }
}

json document_to_json(const Ttombpcdat& doc, const codepage::table& cp) {
    json out = json::object();
    out["format"] = kFormatName;
    out["format_version"] = kFormatVersion;
    out["layout"] = layout_json_name(doc.layout);
    out["codepage"] = cp.name();

    // The per-level tables by the member they stand under.
    std::vector<json> groups(table_groups().size(), json::array());
    for (const section& s : file_sections(doc.layout)) {
        switch (s.kind) {
        case section_kind::header:
            write_header(doc, out);
            break;
        case section_kind::table:
            if (own_member(s.table))
                out[std::string(info(s.table).json)] = strings_json(table(doc, s.table), cp);
            else
                groups[group_of(s.table)].push_back(strings_json(table(doc, s.table), cp));
            break;
        case section_kind::sequences: {
            json slots = json::array();
            for (const script_slot& slot : doc.scripts) {
                json commands = json::array();
                for (int k = 0; k < std::min<int>(slot.command_count, kSlotCapacity); ++k)
                    commands.push_back(command_json(slot.commands[k], doc, cp));
                slots.push_back(std::move(commands));
            }
            out["slots"] = std::move(slots);
            break;
        }
        case section_kind::demo_levels:
            out["demo_levels"] = doc.demo_levels;
            break;
        case section_kind::movie_records: {
            json records = json::array();
            for (const movie_record& r : doc.movie_records) records.push_back({r.first, r.second});
            out["fmv_records"] = std::move(records);
            break;
        }
        }
    }
    for (std::size_t g = 0; g < groups.size(); ++g)
        if (has_group(doc.layout, table_groups()[g])) out[std::string(table_groups()[g].member)] = std::move(groups[g]);
    return out;
}

std::string json_text(const json& j) {
    std::string out;
    write_text(j, 0, false, out);
    out += '\n';
    return out;
}

}  // namespace vellumark::json_form
