#include "formats/flow_graph.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <set>

#include "codec/check.h"
#include "codec/commands.h"

namespace vellumark::flow {

namespace {

// Texts joined by appending: g++ 12 warns falsely (-Wrestrict) about the
// same written as a concatenation.
std::string cat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts) s.append(p);
    return s;
}
std::string num(long long n) { return std::to_string(n); }

// A text of the script on one line, as UTF-8 that an XML parser takes: line
// breaks and the other control characters as their symbols.
std::string shown(const codepage::table& cp, const std::string& bytes) {
    std::string utf8 = cp.bytes_to_utf8(bytes);
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20)
            codepage::append_utf8(out, 0x2400 + u);
        else
            out.push_back(c);
    }
    return out;
}

class builder {
public:
    builder(const Ttombpcdat& doc, const codepage::table& cp) : doc_(doc), cp_(cp) {
        for (const problem& p : check_script(doc)) {
            if (p.where.in != place::area::slot || p.where.index < 0) continue;
            std::string& to = p.where.line < 0 ? slot_warnings_[p.where.index]
                                               : line_warnings_[{p.where.index, p.where.line}];
            if (!to.empty()) to += '\n';
            to += p.message;
        }
    }

    graph run() {
        graph g;
        const int slots = static_cast<int>(doc_.scripts.size());
        const int levels = level_total(doc_);
        for (int k = 0; k < slots; ++k) g.nodes.push_back(slot_node(k));
        // Levels without a slot of their own: played by no slot.
        for (int level = std::max(slots - 1, 0); level < levels; ++level) {
            node n;
            n.id = cat({"l", num(level)});
            n.title = level_title(level);
            n.file = level_file(level);
            n.warning = cat({"Level ", num(level), " has no script slot"});
            g.nodes.push_back(std::move(n));
        }

        // Each slot to the next, as the game plays them; none after "End of game".
        for (int k = 0; k + 1 < slots; ++k) {
            if (ends_game(doc_.scripts[std::size_t(k)])) continue;
            g.edges.push_back({slot_id(k), slot_id(k + 1), false});
        }
        // The title to its demo levels, each once.
        if (slots > 0) {
            std::set<int> seen;
            for (std::uint16_t level : doc_.demo_levels) {
                if (level >= levels || !seen.insert(level).second) continue;
                const std::string to = level + 1 < slots ? slot_id(level + 1) : cat({"l", num(level)});
                g.edges.push_back({slot_id(0), to, true});
            }
        }
        return g;
    }

private:
    static std::string slot_id(int k) { return cat({"s", num(k)}); }

    static bool ends_game(const script_slot& slot) {
        const int count = std::clamp<int>(slot.command_count, 0, kSlotCapacity);
        return std::any_of(slot.commands.begin(), slot.commands.begin() + count,
                           [](const script_command& c) { return c.command == cmd::kEndOfGame; });
    }

    std::string entry(table_id id, std::uint16_t index) const {
        const auto& strings = table(doc_, id).strings;
        return index < strings.size() ? shown(cp_, strings[index]) : cat({"#", num(index)});
    }

    std::string level_title(int level) const {
        std::string t = std::to_string(level);
        t += ' ';
        t += shown(cp_, doc_.level_names.strings[std::size_t(level)]);
        return t;
    }
    std::string level_file(int level) const {
        const auto& files = doc_.level_files.strings;
        return std::size_t(level) < files.size() ? shown(cp_, files[std::size_t(level)]) : std::string();
    }

    node slot_node(int k) {
        node n;
        n.id = slot_id(k);
        n.slot = k;
        const int level = k - 1;
        if (k == 0) {
            n.title = "Title";
            if (!doc_.title_files.strings.empty()) n.file = shown(cp_, doc_.title_files.strings[0]);
        } else if (level < level_total(doc_)) {
            n.title = level_title(level);
            n.file = level_file(level);
        } else {
            n.title = cat({"Slot ", num(k)});
        }
        if (const auto w = slot_warnings_.find(k); w != slot_warnings_.end()) n.warning = w->second;
        n.events = events(k);
        return n;
    }

    std::vector<event> events(int k) {
        const script_slot& slot = doc_.scripts[std::size_t(k)];
        const int count = std::clamp<int>(slot.command_count, 0, kSlotCapacity);
        std::vector<event> out;
        std::map<std::uint16_t, std::pair<std::size_t, int>> items;  // item -> its event, count
        int angle_line = -1;                                          // a "Prepare cutscenes?" waiting for its cut-scene
        std::uint16_t angle = 0;
        for (int i = 0; i < count; ++i) {
            const script_command& c = slot.commands[std::size_t(i)];
            std::string warning;
            if (const auto w = line_warnings_.find({k, i}); w != line_warnings_.end()) warning = w->second;
            const std::string operand = std::to_string(c.operand);
            std::string text;
            switch (c.command) {
            case cmd::kEndOfSet: continue;
            case cmd::kPlayLevel:
                if (warning.empty()) continue;  // the node is the level
                text = cat({"Play level ", operand});
                if (c.operand < level_total(doc_)) text.append(" ").append(entry(table_id::level_names, c.operand));
                break;
            case cmd::kPlayDemoLevel:
                text = "Demo level";
                if (!warning.empty()) text.append(" ").append(operand);
                break;
            case cmd::kPlayFmv:
                text = cat({"Movie ", entry(table_id::fmv_files, c.operand)});
                if (c.operand < doc_.movie_records.size()) {
                    const movie_record& r = doc_.movie_records[c.operand];
                    text += cat({" (record ", num(r.first), ", ", num(r.second), ")"});
                }
                break;
            case cmd::kPrepareCutscenes:
                if (angle_line >= 0) out.push_back({angle_line, cat({"Cut angle ", num(angle)}), {}});
                angle_line = i;
                angle = c.operand;
                continue;
            case cmd::kPlayCutscene:
                text = cat({"Cut-scene ", entry(table_id::cutscene_files, c.operand)});
                if (angle_line >= 0) {
                    text += cat({", angle ", num(angle)});
                    angle_line = -1;
                }
                break;
            case cmd::kShowChapterScreen: text = cat({"Chapter screen ", entry(table_id::pic_files, c.operand)}); break;
            case cmd::kPlaySoundtrack: text = cat({"Soundtrack ", operand}); break;
            case cmd::kLevelComplete: text = "Level complete"; break;
            case cmd::kLoseWeapons: text = "Lose your weapons"; break;
            case cmd::kEndOfGame: text = "End of game"; break;
            case cmd::kNumberOfSecrets: text = cat({"Number of secrets ", operand}); break;
            case cmd::kGiveItem: {
                auto [it, fresh] = items.try_emplace(c.operand, out.size(), 0);
                ++it->second.second;
                if (!fresh) continue;
                text = cat({"Item ", operand});
                break;
            }
            default: {
                // The command's own name, without the blanks and the comma
                // some names end with.
                text = format_command({c.command, cmd::kNoOperand}, doc_);
                while (!text.empty() && (text.back() == ' ' || text.back() == ',')) text.pop_back();
                if (c.operand != cmd::kNoOperand) text.append(" ").append(operand);
                text = shown(cp_, text);
            }
            }
            out.push_back({i, std::move(text), std::move(warning)});
        }
        if (angle_line >= 0) out.push_back({angle_line, cat({"Cut angle ", num(angle)}), {}});
        std::stable_sort(out.begin(), out.end(), [](const event& a, const event& b) { return a.line < b.line; });
        for (const auto& [item, where] : items)
            if (where.second > 1)
                for (event& e : out)
                    if (e.text == cat({"Item ", num(item)})) e.text += cat({" \xC3\x97", num(where.second)});
        return out;
    }

    const Ttombpcdat& doc_;
    const codepage::table& cp_;
    std::map<int, std::string> slot_warnings_;
    std::map<std::pair<int, int>, std::string> line_warnings_;
};

// Text inside an HTML-like label.
// dot reads a backslash before G, N, E, H, T or L as the name of the graph,
// node, edge, ..., even inside labels and tool tips: a zero-width space after
// such a backslash keeps it a backslash.
std::string keep_backslashes(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        out.push_back(s[i]);
        if (s[i] == '\\' && i + 1 < s.size() && std::string_view("GNEHTL").find(s[i + 1]) != std::string_view::npos)
            out += "\xE2\x80\x8B";
    }
    return out;
}

std::string html(const std::string& text) {
    const std::string s = keep_backslashes(text);
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

// A quoted DOT string; line breaks as "\n".
std::string quoted(const std::string& text) {
    const std::string s = keep_backslashes(text);
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out.push_back('\\'), out.push_back(c);
        else if (c == '\n')
            out += "\\n";
        else
            out.push_back(c);
    }
    out.push_back('"');
    return out;
}

void cell(std::string& out, const std::string& text, const std::string& warning, const std::string& extra) {
    out += "<TR><TD";
    out += extra;
    if (!warning.empty()) out += cat({" HREF=\"#\" TOOLTIP=\"", html(warning), "\""});
    out += ">";
    if (!warning.empty()) out += "<FONT COLOR=\"red\">";
    out += html(text);
    if (!warning.empty()) out += "</FONT>";
    out += "</TD></TR>";
}

}  // namespace

bool node::red() const {
    return !warning.empty() || std::any_of(events.begin(), events.end(), [](const event& e) { return !e.warning.empty(); });
}

std::string node::warnings() const {
    std::string all = warning;
    for (const event& e : events) {
        if (e.warning.empty()) continue;
        if (!all.empty()) all += '\n';
        all += e.warning;
    }
    return all;
}

graph build_graph(const Ttombpcdat& doc, const codepage::table& cp) { return builder(doc, cp).run(); }

std::string dot_text(const graph& g) {
    std::string out =
        "digraph flow {\n"
        "  graph [fontname=\"Helvetica\", nodesep=0.3, ranksep=0.35];\n"
        "  node [shape=plaintext, fontname=\"Helvetica\", fontsize=10, margin=0];\n"
        "  edge [arrowsize=0.7];\n";
    for (const node& n : g.nodes) {
        out += cat({"  ", n.id, " [label=<<TABLE BORDER=\""});
        out += n.red() ? "2\" COLOR=\"red" : "0";
        out += "\" CELLBORDER=\"1\" CELLSPACING=\"0\" CELLPADDING=\"3\">";
        out += "<TR><TD BGCOLOR=\"#dde6f0\"><B>";
        out += n.red() ? cat({"<FONT COLOR=\"red\">", html(n.title), "</FONT>"}) : html(n.title);
        out += "</B></TD></TR>";
        if (!n.file.empty()) cell(out, n.file, {}, "");
        for (const event& e : n.events) cell(out, e.text, e.warning, " ALIGN=\"LEFT\"");
        out += cat({"</TABLE>>, tooltip=", quoted(n.red() ? n.warnings() : n.title)});
        if (n.red()) out += ", color=red";
        out += "];\n";
    }
    for (const edge& e : g.edges) {
        out += cat({"  ", e.from, " -> ", e.to});
        out += e.demo ? " [style=dashed];\n" : ";\n";
    }
    out += "}\n";
    return out;
}

}  // namespace vellumark::flow
