#include "cli/cli.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#include "catalogue/catalogue.h"
#include "cli/diff.h"
#include "cli/json_format.h"
#include "cli/search_command.h"
#include "codec/codepage.h"
#include "codec/errors.h"
#include "codec/check.h"
#include "codec/fileio.h"
#include "codec/levels.h"
#include "codec/script_file.h"
#include "codec/transcript.h"

namespace vellumark::cli {

namespace {

struct usage_error {
    std::string what;
};

// The arguments of one command: its positional operands, "-o FILE" and
// "--codepage NAME".
struct arguments {
    std::vector<std::string> operands;
    std::optional<std::string> output;
    std::optional<std::string> name, file;  // of "level insert"
    bool strict = false, json = false;        // of "check" (--json also of "find" and "replace")
    search_options search{true, false, false};  // of "find" and "replace": case matters unless --ignore-case
    std::optional<search_scope> scope;          // --in
    std::optional<codepage::page> codepage;
    bool help = false;

    // The chosen code page, windows-1252 when none is given.
    const codepage::table& texts() const { return codepage::get(codepage.value_or(codepage::kDefaultPage)); }
};

codepage::page code_page_named(const std::string& name) {
    if (const auto p = codepage::parse_name(name)) return *p;
    throw usage_error{"unknown code page \"" + name + "\"; give windows-1250 to windows-1258 (or cp1250 to cp1258)"};
}

// The options of "level insert" that take a text.
std::optional<std::string>* text_option(arguments& a, const std::string& option) {
    if (option == "--name") return &a.name;
    if (option == "--file") return &a.file;
    return nullptr;
}

// Adds the names of "--in NAME[,NAME]..." to a search's scope; false,
// adding nothing, when one is not the name of a table or slot.
bool add_scope_names(std::optional<search_scope>& scope, const std::string& names) {
    search_scope more = scope.value_or(search_scope{});
    std::size_t from = 0;
    do {
        const std::size_t comma = std::min(names.find(',', from), names.size());
        if (!add_to_scope(more, std::string_view(names).substr(from, comma - from))) return false;
        from = comma + 1;
    } while (from <= names.size());
    scope = std::move(more);
    return true;
}

arguments parse_arguments(const std::vector<std::string>& args, bool takes_output, bool takes_texts = false,
                          std::size_t first = 1, bool checks = false, bool searches = false) {
    arguments parsed;
    bool options_end = false;
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options_end || a == "-" || a.empty() || a[0] != '-') {
            parsed.operands.push_back(a);
        } else if (a == "--") {
            options_end = true;
        } else if (a == "--help" || a == "-h") {
            parsed.help = true;
        } else if (checks && a == "--strict") {
            parsed.strict = true;
        } else if ((checks || searches) && a == "--json") {
            parsed.json = true;
        } else if (searches && a == "--regex") {
            parsed.search.regex = true;
        } else if (searches && a == "--word") {
            parsed.search.whole_words = true;
        } else if (searches && a == "--ignore-case") {
            parsed.search.match_case = false;
        } else if (searches && (a == "--in" || a.rfind("--in=", 0) == 0)) {
            // --in=NAMES, or --in and the words after it that name tables or slots.
            if (a == "--in" && i + 1 >= args.size())
                throw usage_error{"option --in needs the names of tables or slots"};
            const std::string first_names = a == "--in" ? args[++i] : a.substr(5);
            if (!add_scope_names(parsed.scope, first_names))
                throw usage_error{"unknown table \"" + first_names + "\" for --in; give " + scope_names()};
            while (a == "--in" && i + 1 < args.size() && add_scope_names(parsed.scope, args[i + 1])) ++i;
        } else if (a == "--codepage" || a.rfind("--codepage=", 0) == 0) {
            if (parsed.codepage) throw usage_error{"option --codepage given twice"};
            if (a == "--codepage" && i + 1 >= args.size())
                throw usage_error{"option --codepage needs a code page name"};
            parsed.codepage = code_page_named(a == "--codepage" ? args[++i] : a.substr(11));
        } else if (takes_output && (a == "-o" || a == "--output")) {
            if (i + 1 >= args.size()) throw usage_error{"option " + a + " needs a file name"};
            if (parsed.output) throw usage_error{"option " + a + " given twice"};
            parsed.output = args[++i];
        } else if (takes_output && a.rfind("--output=", 0) == 0) {
            if (parsed.output) throw usage_error{"option --output given twice"};
            parsed.output = a.substr(9);
        } else if (std::optional<std::string>* text = takes_texts ? text_option(parsed, a) : nullptr) {
            if (i + 1 >= args.size()) throw usage_error{"option " + a + " needs a text"};
            if (*text) throw usage_error{"option " + a + " given twice"};
            *text = args[++i];
        } else {
            throw usage_error{"unknown option " + a + " for \"" + args[0] + "\""};
        }
    }
    return parsed;
}

void expect_operands(const arguments& a, const std::string& command, std::size_t n) {
    if (a.operands.size() != n)
        throw usage_error{"\"" + command + "\" takes " + std::to_string(n) +
                          (n == 1 ? " file name" : " file names") + ", not " +
                          std::to_string(a.operands.size())};
}

json problem_json(const problem& p) {
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
    j["place"] = place_text(p.where);
    j["where"] = std::move(where);
    j["message"] = p.message;
    return j;
}

int do_check(const std::string& path, const arguments& a, std::ostream& out) {
    const Ttombpcdat d = load_script_file(path);
    const std::pair<const char*, std::size_t> counts[] = {
        {"level_names", d.level_names.strings.size()},       {"pic_files", d.pic_files.strings.size()},
        {"title_files", d.title_files.strings.size()},       {"fmv_files", d.fmv_files.strings.size()},
        {"level_files", d.level_files.strings.size()},       {"cutscene_files", d.cutscene_files.strings.size()},
        {"script slots", d.scripts.size()},                  {"demo levels", d.demo_levels.size()},
        {"game_strings1", d.game_strings1.strings.size()},   {"game_strings2", d.game_strings2.strings.size()}};
    const std::vector<problem> problems = check_script(d);
    std::size_t errors = 0, warnings = 0;
    for (const problem& p : problems) ++(p.level == severity::error ? errors : warnings);
    const std::string summary = std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
                                std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");

    if (a.json) {
        json j = json::object();
        j["file"] = path;
        for (const auto& [name, n] : counts) j[name] = n;
        j["key_strings"] = {{"tables", d.key_strings.size()}, {"entries", d.key_strings[0].strings.size()}};
        j["layout"] = layout_name(d.layout);
        j["errors"] = errors;
        j["warnings"] = warnings;
        j["problems"] = json::array();
        for (const problem& p : problems) j["problems"].push_back(problem_json(p));
        out << j.dump(2) << '\n';
    } else {
        for (const auto& [name, n] : counts) out << name << ": " << n << '\n';
        out << "key_strings: " << d.key_strings.size() << " tables of " << d.key_strings[0].strings.size() << '\n'
            << "layout: " << layout_name(d.layout) << '\n'
            << "problems: " << summary << '\n';
        // Each problem in the form compilers use.
        for (const problem& p : problems) {
            out << path << ": " << (p.level == severity::error ? "error: " : "warning: ");
            const std::string where = place_text(p.where);
            if (p.level == severity::warning && !where.empty()) out << where << ": ";
            out << p.message << '\n';
        }
    }
    return errors > 0 || (a.strict && warnings > 0) ? kExitFailure : kExitOk;
}

// Opens a script as the editor does; what the editor's open tells beyond the
// script goes to err.
Ttombpcdat open_script(const std::string& path, std::ostream& err) {
    Ttombpcdat doc = load_script_file(path);
    for (const problem& notice : read_notices(doc)) err << notice.message << '\n';
    return doc;
}

int do_resave(const std::string& path, const std::string& target, std::ostream& err) {
    Ttombpcdat doc = open_script(path, err);
    save_script_file(target, doc);
    return kExitOk;
}

int do_transcript(const std::string& path, const codepage::table& cp, std::ostream& out) {
    // One line of output per line of the transcript: a line break inside a
    // string shows as its symbol, as in the window.
    for (const std::string& line : transcript_lines(load_script_file(path)))
        out << codepage::with_line_break_symbols(cp.bytes_to_utf8(line)) << '\n';
    return kExitOk;
}

int do_dump(const std::string& path, const codepage::table& cp, const std::optional<std::string>& target,
            std::ostream& out, std::ostream& err) {
    std::string text = json_text(document_to_json(open_script(path, err), cp));
    if (target)
        write_output_file(*target, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    else
        out << text;
    return kExitOk;
}

json read_json(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (path == "-")
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    else
        bytes = read_file_bytes(path, std::size_t{256} << 20, "a JSON file");
    try {
        return parse_json(bytes);
    } catch (const json::exception& e) {
        // Drop the library's "[json.exception.parse_error.101] " prefix.
        std::string what = e.what();
        if (auto end = what.find("] "); !what.empty() && what[0] == '[' && end != std::string::npos)
            what.erase(0, end + 2);
        throw script_error(what);
    }
}

int do_build(const std::string& path, const codepage::table* cp, const std::string& target) {
    // Everything is checked before the target is touched.
    Ttombpcdat doc = document_from_json(read_json(path), cp);
    save_document(target, doc);
    return kExitOk;
}

// A level number given on the command line.
int level_number(const std::string& text) {
    std::size_t used = 0;
    int n = -1;
    try {
        n = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size()) throw usage_error{"\"" + text + "\" is not a level number"};
    return n;
}

// A text given for a new level, in script bytes.
std::string script_text(const std::string& option, const std::string& utf8, const codepage::table& cp) {
    const auto bytes = cp.utf8_to_bytes(utf8);
    if (!bytes) throw script_error(option + " holds a character that the code page " + cp.name() + " cannot store");
    if (bytes->size() > 255) throw script_error(option + " is longer than 255 characters");
    return *bytes;
}

int do_level(const std::vector<std::string>& args, std::ostream& out) {
    const std::string what = args.size() > 1 ? args[1] : std::string();
    if (what == "--help" || what == "-h") {
        out << command_usage_text("level");
        return kExitOk;
    }
    if (what != "move" && what != "insert" && what != "delete")
        throw usage_error{"\"level\" needs move, insert or delete"};
    arguments a = parse_arguments(args, true, what == "insert", 2);
    if (a.help) {
        out << command_usage_text("level " + what);
        return kExitOk;
    }
    const std::size_t numbers = what == "move" ? 2 : 1;
    if (a.operands.size() != 1 + numbers)
        throw usage_error{"\"level " + what + "\" takes a file name and " +
                          (numbers == 2 ? std::string("two level numbers") : std::string("a level number"))};
    if (!a.output) throw usage_error{"\"level " + what + "\" needs -o FILE"};
    Ttombpcdat doc = load_script_file(a.operands[0]);
    const int n = level_number(a.operands[1]);
    if (what == "move")
        move_level(doc, n, level_number(a.operands[2]));
    else if (what == "insert")
        insert_level(doc, n, a.name ? script_text("--name", *a.name, a.texts()) : std::string(),
                     a.file ? script_text("--file", *a.file, a.texts()) : std::string());
    else
        delete_level(doc, n);
    save_script_file(*a.output, doc);
    return kExitOk;
}

int do_diff(const std::string& a_path, const std::string& b_path, const codepage::table& cp, std::ostream& out) {
    const std::vector<std::uint8_t> a_bytes = read_file_bytes(a_path, kMaxScriptBytes, "a script");
    const Ttombpcdat a = parse_script(a_bytes);
    const std::vector<std::uint8_t> b_bytes = read_file_bytes(b_path, kMaxScriptBytes, "a script");
    const Ttombpcdat b = parse_script(b_bytes);
    std::vector<std::string> lines = diff_files(a, a_bytes, b, b_bytes, cp);
    for (const std::string& line : lines) out << line << '\n';
    return lines.empty() ? kExitOk : kExitFailure;
}

// "find FILE PATTERN [options]" and "replace FILE PATTERN REPLACEMENT -o OUT
// [options]". find exits with 1 when nothing matches, as grep does, and with
// 2 when it cannot search.
int do_search(const std::string& command, const arguments& a, std::ostream& out) {
    const bool find = command == "find";
    if (a.operands.size() != (find ? 2u : 3u))
        throw usage_error{"\"" + command + "\" takes a file name, " +
                          (find ? "and a text to find" : "a text to find and its replacement") + ", not " +
                          std::to_string(a.operands.size()) + (a.operands.size() == 1 ? " operand" : " operands")};
    if (a.operands[1].empty()) throw usage_error{"\"" + command + "\" needs a text to find, not an empty one"};
    search_request request;
    request.pattern = a.operands[1];
    request.options = a.search;
    if (a.scope) request.scope = *a.scope;
    request.cp = &a.texts();
    request.json = a.json;
    if (find) return find_in_file(a.operands[0], request, out) ? kExitOk : kExitFailure;
    if (!a.output) throw usage_error{"\"replace\" needs -o FILE"};
    replace_in_file(a.operands[0], a.operands[2], *a.output, request, out);
    return kExitOk;
}

// "strings export FILE [-o OUT.pot]" and "strings import FILE IN.po -o OUT".
int do_strings(const std::vector<std::string>& args, std::ostream& out) {
    const std::string action = args.size() > 1 ? args[1] : std::string();
    if (action == "--help" || action == "-h") {
        out << command_usage_text("strings");
        return kExitOk;
    }
    if (action != "export" && action != "import")
        throw usage_error{"\"strings\" is followed by \"export\" or \"import\""};
    const std::string command = "strings " + action;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    rest[0] = command;
    const arguments a = parse_arguments(rest, true);
    if (a.help) {
        out << command_usage_text(command);
        return kExitOk;
    }
    if (action == "export") {
        expect_operands(a, command, 1);
        const Ttombpcdat doc = load_script_file(a.operands[0]);
        const std::string project = std::filesystem::path(a.operands[0]).filename().string();
        if (a.output)
            catalogue::write_template(*a.output, doc, a.texts(), project);
        else
            out << catalogue::template_text(doc, a.texts(), project);
        return kExitOk;
    }
    expect_operands(a, command, 2);
    if (!a.output) throw usage_error{"\"strings import\" needs -o FILE"};
    // Everything is read and checked before the target is touched.
    Ttombpcdat doc = load_script_file(a.operands[0]);
    catalogue::apply(doc, catalogue::read_translations(a.operands[1], doc, a.texts()));
    save_script_file(*a.output, doc);
    return kExitOk;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string command = args.empty() ? std::string() : args[0];
    int failure = command == "diff" || command == "find" ? kExitUsage : kExitFailure;
    try {
        if (args.empty()) throw usage_error{"no command given"};
        if (command == "--help" || command == "-h" || command == "help") {
            out << usage_text();
            return kExitOk;
        }
        if (command == "--version") {
            out << "vellumark-cli " VELLUMARK_VERSION "\n";
            return kExitOk;
        }
        if (command == "level") return do_level(args, out);
        if (command == "strings") return do_strings(args, out);
        const bool takes_output = command == "dump" || command == "build" || command == "replace";
        const bool searches = command == "find" || command == "replace";
        if (command != "check" && command != "resave" && command != "transcript" && !takes_output &&
            command != "diff" && !searches)
            throw usage_error{"unknown command \"" + command + "\""};
        arguments a = parse_arguments(args, takes_output, false, 1, command == "check", searches);
        if (a.help) {
            out << command_usage_text(command);
            return kExitOk;
        }
        if (searches) return do_search(command, a, out);
        if (command == "check") {
            expect_operands(a, command, 1);
            return do_check(a.operands[0], a, out);
        }
        if (command == "resave") {
            expect_operands(a, command, 2);
            return do_resave(a.operands[0], a.operands[1], err);
        }
        if (command == "transcript") {
            expect_operands(a, command, 1);
            return do_transcript(a.operands[0], a.texts(), out);
        }
        if (command == "dump") {
            expect_operands(a, command, 1);
            return do_dump(a.operands[0], a.texts(), a.output, out, err);
        }
        if (command == "build") {
            expect_operands(a, command, 1);
            if (!a.output) throw usage_error{"\"build\" needs -o FILE"};
            return do_build(a.operands[0], a.codepage ? &a.texts() : nullptr, *a.output);
        }
        expect_operands(a, command, 2);
        return do_diff(a.operands[0], a.operands[1], a.texts(), out);
    } catch (const usage_error& e) {
        err << "vellumark-cli: " << e.what << "\n\n" << usage_text();
        return kExitUsage;
    } catch (const std::exception& e) {
        err << error_box_text(e.what()) << '\n';
        return failure;
    }
}

}  // namespace vellumark::cli
