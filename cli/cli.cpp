#include "cli/cli.h"

#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#include "catalogue/catalogue.h"
#include "cli/diff.h"
#include "cli/json_format.h"
#include "codec/codepage.h"
#include "codec/errors.h"
#include "codec/fileio.h"
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
    std::optional<codepage::page> codepage;
    bool help = false;

    // The chosen code page, windows-1252 when none is given.
    const codepage::table& texts() const { return codepage::get(codepage.value_or(codepage::kDefaultPage)); }
};

codepage::page code_page_named(const std::string& name) {
    if (const auto p = codepage::parse_name(name)) return *p;
    throw usage_error{"unknown code page \"" + name + "\"; give windows-1250 to windows-1258 (or cp1250 to cp1258)"};
}

arguments parse_arguments(const std::vector<std::string>& args, bool takes_output) {
    arguments parsed;
    bool options_end = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options_end || a == "-" || a.empty() || a[0] != '-') {
            parsed.operands.push_back(a);
        } else if (a == "--") {
            options_end = true;
        } else if (a == "--help" || a == "-h") {
            parsed.help = true;
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

int do_check(const std::string& path, std::ostream& out) {
    const Ttombpcdat d = load_script_file(path);
    out << "level_names: " << d.level_names.strings.size() << '\n'
        << "pic_files: " << d.pic_files.strings.size() << '\n'
        << "title_files: " << d.title_files.strings.size() << '\n'
        << "fmv_files: " << d.fmv_files.strings.size() << '\n'
        << "level_files: " << d.level_files.strings.size() << '\n'
        << "cutscene_files: " << d.cutscene_files.strings.size() << '\n'
        << "script slots: " << d.scripts.size() << '\n'
        << "demo levels: " << d.demo_levels.size() << '\n'
        << "game_strings1: " << d.game_strings1.strings.size() << '\n'
        << "game_strings2: " << d.game_strings2.strings.size() << '\n'
        << "key_strings: " << d.key_strings.size() << " tables of "
        << d.key_strings[0].strings.size() << '\n';
    return kExitOk;
}

int do_resave(const std::string& path, const std::string& target) {
    Ttombpcdat doc = load_script_file(path);
    save_script_file(target, doc);
    return kExitOk;
}

int do_transcript(const std::string& path, const codepage::table& cp, std::ostream& out) {
    for (const std::string& line : transcript_lines(load_script_file(path))) out << cp.bytes_to_utf8(line) << '\n';
    return kExitOk;
}

int do_dump(const std::string& path, const codepage::table& cp, const std::optional<std::string>& target,
            std::ostream& out) {
    std::string text = json_text(document_to_json(load_script_file(path), cp));
    if (target)
        atomic_write_file(*target, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    else
        out << text;
    return kExitOk;
}

json read_json(const std::string& path) {
    std::string text;
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::vector<std::uint8_t> bytes = read_file_bytes(path);
        text.assign(bytes.begin(), bytes.end());
    }
    try {
        return json::parse(text);
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

int do_diff(const std::string& a_path, const std::string& b_path, const codepage::table& cp, std::ostream& out) {
    const Ttombpcdat a = load_script_file(a_path);
    const Ttombpcdat b = load_script_file(b_path);
    std::vector<std::string> lines = diff_documents(a, b, cp);
    for (const std::string& line : lines) out << line << '\n';
    return lines.empty() ? kExitOk : kExitFailure;
}

// "strings export FILE [-o OUT.pot]" and "strings import FILE IN.po -o OUT".
int do_strings(const std::vector<std::string>& args, std::ostream& out) {
    const std::string action = args.size() > 1 ? args[1] : std::string();
    if (action != "export" && action != "import")
        throw usage_error{"\"strings\" is followed by \"export\" or \"import\""};
    const std::string command = "strings " + action;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    rest[0] = command;
    const arguments a = parse_arguments(rest, true);
    if (a.help) {
        out << usage_text();
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

std::string error_box_text(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        message += '.';
    return message;
}

std::string usage_text() {
    return "Usage: vellumark-cli COMMAND ...\n"
           "\n"
           "Commands on TOMBPC.DAT game-flow scripts:\n"
           "  check FILE               open FILE as the editor does and summarise it\n"
           "  resave FILE OUT          open FILE and save it as OUT, as the editor's Save does\n"
           "  transcript FILE          print the transcript lines that opening FILE writes\n"
           "  dump FILE [-o OUT.json]  write the whole script as JSON (to standard output\n"
           "                           without -o)\n"
           "  build IN.json -o FILE    write the script that IN.json describes (- reads\n"
           "                           standard input)\n"
           "  diff A B                 list the differences between two scripts\n"
           "  strings export FILE [-o OUT.pot]\n"
           "                           write a PO template of the texts to translate\n"
           "  strings import FILE IN.po -o OUT\n"
           "                           write FILE with the translations of IN.po as OUT\n"
           "\n"
           "Options:\n"
           "  --codepage NAME          the code page of the script's texts: windows-1250\n"
           "                           to windows-1258 (or cp1250 to cp1258); windows-1252\n"
           "                           when not given (\"build\": the one the JSON names)\n"
           "  -h, --help               show this text\n"
           "  --version                show the version\n"
           "\n"
           "Exit status: 0 on success, 1 on failure (the message goes to standard error),\n"
           "2 on a usage error. \"diff\" exits with 0 when the scripts are the same, 1 when\n"
           "they differ and 2 when one cannot be read.\n";
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string command = args.empty() ? std::string() : args[0];
    int failure = command == "diff" ? kExitUsage : kExitFailure;
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
        if (command == "strings") return do_strings(args, out);
        const bool takes_output = command == "dump" || command == "build";
        if (command != "check" && command != "resave" && command != "transcript" && !takes_output &&
            command != "diff")
            throw usage_error{"unknown command \"" + command + "\""};
        arguments a = parse_arguments(args, takes_output);
        if (a.help) {
            out << usage_text();
            return kExitOk;
        }
        if (command == "check") {
            expect_operands(a, command, 1);
            return do_check(a.operands[0], out);
        }
        if (command == "resave") {
            expect_operands(a, command, 2);
            return do_resave(a.operands[0], a.operands[1]);
        }
        if (command == "transcript") {
            expect_operands(a, command, 1);
            return do_transcript(a.operands[0], a.texts(), out);
        }
        if (command == "dump") {
            expect_operands(a, command, 1);
            return do_dump(a.operands[0], a.texts(), a.output, out);
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
