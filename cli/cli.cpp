#include "cli/cli.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <ostream>

#include "cli/input.h"
#include "codec/check.h"
#include "codec/codepage.h"
#include "codec/errors.h"
#include "codec/fileio.h"
#include "codec/layout.h"
#include "codec/levels.h"
#include "codec/script_file.h"
#include "codec/search.h"
#include "codec/transcript.h"
#include "formats/catalogue.h"
#include "formats/check_report.h"
#include "formats/diff.h"
#include "formats/flow_dot.h"
#include "formats/flow_graph.h"
#include "formats/json_form.h"
#include "formats/search_report.h"

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
    std::optional<std::string> format;        // of "flow": dot, svg or png
    bool backup = false;                      // "--backup" of the commands that write a file
    search_options search{true, false, false};  // of "find" and "replace": case matters unless --ignore-case
    std::optional<search_scope> scope;          // --in
    std::optional<codepage::page> codepage;
    bool help = false;

    // The chosen code page, windows-1252 when none is given.
    const codepage::table& texts() const { return codepage::get(codepage.value_or(codepage::kDefaultPage)); }
    // An existing output file is kept as "NAME.bak" before it is written.
    backup_rule backups() const { return backup ? backup_rule::keep : backup_rule::none; }
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
        } else if (args[0] == "flow" && (a == "--format" || a.rfind("--format=", 0) == 0)) {
            if (parsed.format) throw usage_error{"option --format given twice"};
            if (a == "--format" && i + 1 >= args.size()) throw usage_error{"option --format needs dot, svg or png"};
            parsed.format = a == "--format" ? args[++i] : a.substr(9);
            if (*parsed.format != "dot" && *parsed.format != "svg" && *parsed.format != "png")
                throw usage_error{"unknown format \"" + *parsed.format + "\"; give dot, svg or png"};
        } else if (a == "--codepage" || a.rfind("--codepage=", 0) == 0) {
            if (parsed.codepage) throw usage_error{"option --codepage given twice"};
            if (a == "--codepage" && i + 1 >= args.size())
                throw usage_error{"option --codepage needs a code page name"};
            parsed.codepage = code_page_named(a == "--codepage" ? args[++i] : a.substr(11));
        } else if ((takes_output || args[0] == "resave") && a == "--backup") {
            parsed.backup = true;
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

// Standard input can be read once: at most one input of a command is "-".
void expect_one_standard_input(const std::vector<std::string>& inputs) {
    if (std::count(inputs.begin(), inputs.end(), std::string(kStandardInput)) > 1)
        throw usage_error{"standard input can be read only once; give \"-\" for one input at most"};
}

int do_check(const std::string& operand, const arguments& a, std::ostream& out) {
    const Ttombpcdat doc = load_input_script(operand);
    const std::vector<problem> problems = check_script(doc);
    const std::string name = input_name(operand);
    out << (a.json ? report::check_json(name, doc, problems, a.texts())
                   : report::check_text(name, doc, problems, a.texts()));
    const bool errors = std::any_of(problems.begin(), problems.end(),
                                    [](const problem& p) { return p.level == severity::error; });
    return errors || (a.strict && !problems.empty()) ? kExitFailure : kExitOk;
}

// Opens a script as the editor does; what the editor's open tells beyond the
// script goes to err.
Ttombpcdat open_script(const std::string& operand, std::ostream& err) {
    Ttombpcdat doc = load_input_script(operand);
    for (const problem& notice : read_notices(doc)) err << notice.message << '\n';
    return doc;
}

int do_resave(const std::string& path, const std::string& target, backup_rule backup, std::ostream& err) {
    Ttombpcdat doc = open_script(path, err);
    save_script_file(target, doc, backup);
    return kExitOk;
}

int do_transcript(const std::string& path, const codepage::table& cp, std::ostream& out) {
    // One line of output per line of the transcript: a line break inside a
    // string shows as its symbol, as in the window.
    for (const std::string& line : transcript_lines(load_input_script(path)))
        out << codepage::with_line_break_symbols(cp.bytes_to_utf8(line)) << '\n';
    return kExitOk;
}

int do_dump(const std::string& path, const codepage::table& cp, const std::optional<std::string>& target,
            backup_rule backup, std::ostream& out, std::ostream& err) {
    std::string text = json_form::json_text(json_form::document_to_json(open_script(path, err), cp));
    if (target)
        write_output_file(*target, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, backup);
    else
        out << text;
    return kExitOk;
}

int do_build(const std::string& path, const codepage::table* cp, const std::string& target, backup_rule backup) {
    // Everything is checked before the target is touched.
    const auto text = read_input(path, json_form::kMostJsonBytes, json_form::kJsonWhat);
    const Ttombpcdat doc = json_form::document_from_json(json_form::parse_json(text), cp);
    json_form::save_document(target, doc, backup);
    return kExitOk;
}

// The game flow as DOT, or as an SVG or PNG picture drawn by Graphviz's dot:
// by --format, else by OUT's extension (DOT for any other).
int do_flow(const std::string& path, const arguments& a, std::ostream& out) {
    const Ttombpcdat doc = load_input_script(path);
    const std::string dot = flow::dot_text(flow::build_graph(doc, a.texts()));
    std::string format = a.format.value_or("dot");
    if (!a.format && a.output) {
        std::string ext = std::filesystem::path(*a.output).extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (ext == ".svg" || ext == ".png") format = ext.substr(1);
    }
    const std::string picture = format == "dot" ? dot : flow::run_dot(dot, format);
    if (a.output)
        write_output_file(*a.output, {reinterpret_cast<const std::uint8_t*>(picture.data()), picture.size()},
                          a.backups());
    else
        out << picture;
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
    if (bytes->size() > static_cast<std::size_t>(layout::kMaxStringLength))
        throw script_error(option + " is longer than " + std::to_string(layout::kMaxStringLength) + " characters");
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
    Ttombpcdat doc = load_input_script(a.operands[0]);
    const int n = level_number(a.operands[1]);
    if (what == "move")
        move_level(doc, n, level_number(a.operands[2]));
    else if (what == "insert")
        insert_level(doc, n, a.name ? script_text("--name", *a.name, a.texts()) : std::string(),
                     a.file ? script_text("--file", *a.file, a.texts()) : std::string());
    else
        delete_level(doc, n);
    save_script_file(*a.output, doc, a.backups());
    return kExitOk;
}

int do_diff(const std::string& a_path, const std::string& b_path, const codepage::table& cp, std::ostream& out) {
    const std::vector<std::uint8_t> a_bytes = read_input(a_path, kMaxScriptBytes, "a script");
    const Ttombpcdat a = parse_script(a_bytes);
    const std::vector<std::uint8_t> b_bytes = read_input(b_path, kMaxScriptBytes, "a script");
    const Ttombpcdat b = parse_script(b_bytes);
    std::vector<std::string> lines = report::diff_files(a, a_bytes, b, b_bytes, cp);
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
    if (!find && !a.output) throw usage_error{"\"replace\" needs -o FILE"};
    Ttombpcdat doc = load_input_script(a.operands[0]);
    const search_pattern pattern(a.operands[1], a.search);
    const search_scope scope = a.scope.value_or(search_scope::everything());
    if (find) {
        const std::vector<search_match> matches = find_all(doc, a.texts(), pattern, scope);
        out << (a.json ? report::find_json(doc, a.texts(), matches)
                       : report::find_text(input_name(a.operands[0]), doc, a.texts(), matches));
        return matches.empty() ? kExitFailure : kExitOk;
    }
    // Everything is planned and checked before the target is touched.
    const replace_plan plan = plan_replace(doc, a.texts(), pattern, scope, a.operands[2]);
    apply(doc, plan);
    save_script_file(*a.output, doc, a.backups());
    out << (a.json ? report::replace_json(plan) : report::replace_text(plan));
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
        const Ttombpcdat doc = load_input_script(a.operands[0]);
        const std::string project = a.operands[0] == kStandardInput
                                        ? input_name(a.operands[0])
                                        : std::filesystem::path(a.operands[0]).filename().string();
        if (a.output)
            catalogue::write_template(*a.output, doc, a.texts(), project, a.backups());
        else
            out << catalogue::template_text(doc, a.texts(), project);
        return kExitOk;
    }
    expect_operands(a, command, 2);
    if (!a.output) throw usage_error{"\"strings import\" needs -o FILE"};
    expect_one_standard_input(a.operands);
    // Everything is read and checked before the target is touched.
    Ttombpcdat doc = load_input_script(a.operands[0]);
    const std::string& po = a.operands[1];
    const auto bytes = read_input(po, catalogue::kMostCatalogueBytes, catalogue::kCatalogueWhat);
    catalogue::apply(doc, catalogue::read_translations(bytes, input_name(po), doc, a.texts()));
    save_script_file(*a.output, doc, a.backups());
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
        const bool takes_output =
            command == "dump" || command == "build" || command == "flow" || command == "replace";
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
            return do_resave(a.operands[0], a.operands[1], a.backups(), err);
        }
        if (command == "transcript") {
            expect_operands(a, command, 1);
            return do_transcript(a.operands[0], a.texts(), out);
        }
        if (command == "dump") {
            expect_operands(a, command, 1);
            return do_dump(a.operands[0], a.texts(), a.output, a.backups(), out, err);
        }
        if (command == "flow") {
            expect_operands(a, command, 1);
            return do_flow(a.operands[0], a, out);
        }
        if (command == "build") {
            expect_operands(a, command, 1);
            if (!a.output) throw usage_error{"\"build\" needs -o FILE"};
            return do_build(a.operands[0], a.codepage ? &a.texts() : nullptr, *a.output, a.backups());
        }
        expect_operands(a, command, 2);
        expect_one_standard_input(a.operands);
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
