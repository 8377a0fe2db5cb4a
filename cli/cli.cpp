#include "cli/cli.h"

#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

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

// The arguments of one command: its positional operands and "-o FILE".
struct arguments {
    std::vector<std::string> operands;
    std::optional<std::string> output;
    bool help = false;
};

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
        << d.key_strings[0].strings.size() << '\n'
        << "layout: " << layout_name(d.layout) << '\n';
    if (const auto notice = trailing_bytes_message(d)) out << *notice << '\n';
    return kExitOk;
}

// Opens a script as the editor does; what the editor's open tells beyond the
// script goes to err.
Ttombpcdat open_script(const std::string& path, std::ostream& err) {
    Ttombpcdat doc = load_script_file(path);
    if (const auto notice = trailing_bytes_message(doc)) err << *notice << '\n';
    return doc;
}

int do_resave(const std::string& path, const std::string& target, std::ostream& err) {
    Ttombpcdat doc = open_script(path, err);
    save_script_file(target, doc);
    return kExitOk;
}

int do_transcript(const std::string& path, std::ostream& out) {
    for (const std::string& line : transcript_lines(load_script_file(path)))
        out << codepage::bytes_to_utf8(line) << '\n';
    return kExitOk;
}

int do_dump(const std::string& path, const std::optional<std::string>& target, std::ostream& out,
            std::ostream& err) {
    std::string text = json_text(document_to_json(open_script(path, err)));
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

int do_build(const std::string& path, const std::string& target) {
    // Everything is checked before the target is touched.
    Ttombpcdat doc = document_from_json(read_json(path));
    save_document(target, doc);
    return kExitOk;
}

int do_diff(const std::string& a_path, const std::string& b_path, std::ostream& out) {
    const std::vector<std::uint8_t> a_bytes = read_file_bytes(a_path);
    const Ttombpcdat a = parse_script(a_bytes);
    const std::vector<std::uint8_t> b_bytes = read_file_bytes(b_path);
    const Ttombpcdat b = parse_script(b_bytes);
    std::vector<std::string> lines = diff_files(a, a_bytes, b, b_bytes);
    for (const std::string& line : lines) out << line << '\n';
    return lines.empty() ? kExitOk : kExitFailure;
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
           "\n"
           "Options:\n"
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
            return do_resave(a.operands[0], a.operands[1], err);
        }
        if (command == "transcript") {
            expect_operands(a, command, 1);
            return do_transcript(a.operands[0], out);
        }
        if (command == "dump") {
            expect_operands(a, command, 1);
            return do_dump(a.operands[0], a.output, out, err);
        }
        if (command == "build") {
            expect_operands(a, command, 1);
            if (!a.output) throw usage_error{"\"build\" needs -o FILE"};
            return do_build(a.operands[0], *a.output);
        }
        expect_operands(a, command, 2);
        return do_diff(a.operands[0], a.operands[1], out);
    } catch (const usage_error& e) {
        err << "vellumark-cli: " << e.what << "\n\n" << usage_text();
        return kExitUsage;
    } catch (const std::exception& e) {
        err << error_box_text(e.what()) << '\n';
        return failure;
    }
}

}  // namespace vellumark::cli
