// The texts of "vellumark-cli --help" and "vellumark-cli COMMAND --help",
// which the manual page is also made from.
#include <string>

#include "cli/cli.h"

namespace vellumark::cli {

namespace {

// What "-" means, in every usage.
const char* const kStandardInputText =
    "An input given as \"-\" is read from standard input (one input at most), which\n"
    "messages call <stdin>.\n";

// "vellumark-cli COMMAND --help": each command's usage and its own options;
// --codepage, --help and the exit status are added to every one.
struct command_help {
    const char* name;
    const char* usage;    // the usage line and what the command does
    const char* options;  // the command's own options
};

const command_help kCommandHelp[] = {
    {"check",
     "Usage: vellumark-cli check FILE [--strict] [--json]\n"
     "Open FILE as the editor does, summarise it (tables, counts, slots, demo levels,\n"
     "layout) and list its problems as FILE: warning: PLACE: MESSAGE.\n",
     "  --strict                 exit with 1 on warnings too, not only on errors\n"
     "  --json                   print the summary and the problems as JSON\n"},
    {"resave",
     "Usage: vellumark-cli resave FILE OUT\n"
     "Open FILE and save it as OUT, as the editor's Save does.\n",
     "  --backup                 keep an existing OUT as OUT.bak first\n"},
    {"transcript",
     "Usage: vellumark-cli transcript FILE\n"
     "Print the transcript lines that opening FILE writes, in UTF-8.\n",
     ""},
    {"dump",
     "Usage: vellumark-cli dump FILE [-o OUT.json]\n"
     "Write the whole script as JSON.\n",
     "  -o, --output OUT.json    write to OUT.json (standard output without it)\n"
     "  --backup                 keep an existing output file as NAME.bak first\n"},
    {"build",
     "Usage: vellumark-cli build IN.json -o FILE\n"
     "Write the script that IN.json describes, in the code page the JSON names unless\n"
     "--codepage is given.\n",
     "  -o, --output FILE        the script to write\n"
     "  --backup                 keep an existing FILE as FILE.bak first\n"},
    {"flow",
     "Usage: vellumark-cli flow FILE [-o OUT] [--format dot|svg|png]\n"
     "Write the game flow: the title and each level's slot in play order with their\n"
     "movies, cut-scenes, chapter screens, soundtracks, items and ends, as Graphviz\n"
     "DOT. SVG and PNG are drawn by Graphviz's dot program (package graphviz).\n",
     "  -o, --output OUT         write to OUT (standard output without it), as SVG or\n"
     "                           PNG when OUT ends in .svg or .png, else as DOT\n"
     "  --format dot|svg|png     the format, whatever OUT's name\n"
     "  --backup                 keep an existing OUT as OUT.bak first\n"},
    {"diff",
     "Usage: vellumark-cli diff A B\n"
     "List the differences between two scripts.\n",
     ""},
    {"level move",
     "Usage: vellumark-cli level move FILE FROM TO -o OUT\n"
     "Move level FROM to the place of level TO; its name, file, picture, slot and key\n"
     "strings go with it and the commands and demo entries naming levels follow.\n",
     "  -o, --output OUT         the script to write\n"
     "  --backup                 keep an existing OUT as OUT.bak first\n"},
    {"level insert",
     "Usage: vellumark-cli level insert FILE AT -o OUT [--name TEXT] [--file TEXT]\n"
     "Insert an empty level before level AT (the level count: at the end), with a\n"
     "slot holding \"End of set\".\n",
     "  -o, --output OUT         the script to write\n"
     "  --backup                 keep an existing OUT as OUT.bak first\n"
     "  --name TEXT              the new level's name\n"
     "  --file TEXT              the new level's file\n"},
    {"level delete",
     "Usage: vellumark-cli level delete FILE N -o OUT\n"
     "Delete level N; commands naming it name no level and demo entries naming it\n"
     "are removed.\n",
     "  -o, --output OUT         the script to write\n"
     "  --backup                 keep an existing OUT as OUT.bak first\n"},
    {"find",
     "Usage: vellumark-cli find FILE PATTERN [--regex] [--ignore-case] [--word]\n"
     "                          [--in NAME...] [--json]\n"
     "Print each string and command line of FILE that PATTERN matches, once, as\n"
     "FILE:PLACE: TEXT (level_names[3], key_strings[2][5], slot[4] command 2). The\n"
     "symbols U+240A and U+240D stand for a string's line breaks, which a regular\n"
     "expression also matches as \\n and \\r.\n",
     "  --regex                  PATTERN is a PCRE2 regular expression\n"
     "  --ignore-case            letter case does not matter\n"
     "  --word                   whole words only: no letter, digit or _ beside it\n"
     "  --in NAME...             only these tables and slots: level_names, pic_files,\n"
     "                           title_files, fmv_files, level_files, cutscene_files,\n"
     "                           game_strings1, game_strings2, key_strings (all ten) or\n"
     "                           key_strings[0] to key_strings[9], secret_strings and\n"
     "                           special_strings (the PlayStation beta's) or one of\n"
     "                           them, slots (every slot's command lines) or slot[N];\n"
     "                           several follow --in or are separated by commas\n"
     "  --json                   print every match as JSON: its place, start and length\n"
     "                           in characters, the match and the whole text\n"},
    {"replace",
     "Usage: vellumark-cli replace FILE PATTERN REPLACEMENT -o OUT [--regex]\n"
     "                             [--ignore-case] [--word] [--in NAME...] [--json]\n"
     "Write FILE as OUT with every match of PATTERN in its strings replaced (command\n"
     "lines are not replaced) and print how many were. With --regex, \\1 to \\99 in\n"
     "REPLACEMENT give the capture groups, \\0 the whole match, \\n and \\r line breaks,\n"
     "\\\\ a backslash. A string that would grow past 255 characters or hold a character\n"
     "the code page cannot store refuses the whole replace.\n",
     "  -o, --output OUT         the script to write\n"
     "  --backup                 keep an existing OUT as OUT.bak first\n"
     "  --regex, --ignore-case, --word, --in NAME...\n"
     "                           as for \"find\"\n"
     "  --json                   print the count as JSON\n"},
    {"strings export",
     "Usage: vellumark-cli strings export FILE [-o OUT.pot]\n"
     "Write a PO template of the texts to translate.\n",
     "  -o, --output OUT.pot     write to OUT.pot (standard output without it)\n"
     "  --backup                 keep an existing output file as NAME.bak first\n"},
    {"strings import",
     "Usage: vellumark-cli strings import FILE IN.po -o OUT\n"
     "Write FILE with the translations of IN.po as OUT.\n",
     "  -o, --output OUT         the script to write\n"
     "  --backup                 keep an existing OUT as OUT.bak first\n"},
};

}  // namespace

// The usage of `command`; "level" and "strings" alone: of each of their actions.
std::string command_usage_text(const std::string& command) {
    std::string text;
    for (const command_help& c : kCommandHelp) {
        const std::string name = c.name;
        if (name != command && name.rfind(command + " ", 0) != 0) continue;
        if (!text.empty()) text += "\n";
        text += std::string(c.usage) + kStandardInputText + "\nOptions:\n" + c.options +
                "  --codepage NAME          the code page of the script's texts: windows-1250\n"
                "                           to windows-1258 (or cp1250 to cp1258); windows-1252\n"
                "                           when not given\n"
                "  -h, --help               show this text\n";
    }
    if (command == "diff")
        return text + "\nExit status:\n"
                      "  0 when the scripts are the same, 1 when they differ, 2 when one cannot\n"
                      "  be read or on a usage error.\n";
    if (command == "find")
        return text + "\nExit status:\n"
                      "  0 when something matches, 1 when nothing does, 2 when FILE cannot be read,\n"
                      "  the regular expression is not valid or on a usage error.\n";
    if (command == "check")
        return text + "\nExit status:\n"
                      "  0 when the script has no errors (with --strict: no problems), 1 when it\n"
                      "  has or cannot be read, 2 on a usage error.\n";
    return text + "\nExit status:\n"
                  "  0 on success, 1 on failure (the message goes to standard error), 2 on a\n"
                  "  usage error. No output file is created or changed on failure.\n";
}

std::string usage_text() {
    return "Usage: vellumark-cli COMMAND [ARGUMENT]...\n"
           "Check, convert, compare and translate TOMBPC.DAT game-flow scripts with the\n"
           "editor's own reader and writer.\n"
           "\n"
           "Commands:\n"
           "  check FILE [--strict] [--json]\n"
           "                           open FILE as the editor does, summarise it and list\n"
           "                           its problems (FILE: warning: PLACE: MESSAGE); errors,\n"
           "                           and with --strict warnings too, exit with 1; --json\n"
           "                           prints the summary and the problems as JSON\n"
           "  resave FILE OUT          open FILE and save it as OUT, as the editor's Save does\n"
           "  transcript FILE          print the transcript lines that opening FILE writes\n"
           "  dump FILE [-o OUT.json]  write the whole script as JSON (to standard output\n"
           "                           without -o)\n"
           "  build IN.json -o FILE    write the script that IN.json describes\n"
           "  diff A B                 list the differences between two scripts\n"
           "  flow FILE [-o OUT] [--format dot|svg|png]\n"
           "                           write the game flow as Graphviz DOT, or as an SVG or\n"
           "                           PNG picture drawn by Graphviz's dot (by OUT's name)\n"
           "  level move FILE FROM TO -o OUT\n"
           "                           move level FROM to the place of level TO; its name,\n"
           "                           file, picture, slot and key strings go with it and\n"
           "                           the commands and demo entries naming levels follow\n"
           "  level insert FILE AT -o OUT [--name TEXT] [--file TEXT]\n"
           "                           an empty level before level AT (the level count: at\n"
           "                           the end), with a slot holding \"End of set\"\n"
           "  level delete FILE N -o OUT\n"
           "                           delete level N; commands naming it name no level and\n"
           "                           demo entries naming it are removed\n"
           "  find FILE PATTERN [--regex] [--ignore-case] [--word] [--in NAME...] [--json]\n"
           "                           print each string and command line that PATTERN\n"
           "                           matches (FILE:PLACE: TEXT); exits with 1 when none\n"
           "  replace FILE PATTERN REPLACEMENT -o OUT [the options of find]\n"
           "                           write FILE as OUT with every match in its strings\n"
           "                           replaced (\\1 for a group of a regular expression)\n"
           "  strings export FILE [-o OUT.pot]\n"
           "                           write a PO template of the texts to translate\n"
           "  strings import FILE IN.po -o OUT\n"
           "                           write FILE with the translations of IN.po as OUT\n"
           "\n"
           "Inputs: \"-\" as FILE, A, B, IN.json or IN.po reads standard input (for one\n"
           "input of a command at most), which messages call <stdin>.\n"
           "\n"
           "Options:\n"
           "  --codepage NAME          the code page of the script's texts: windows-1250\n"
           "                           to windows-1258 (or cp1250 to cp1258); windows-1252\n"
           "                           when not given (\"build\": the one the JSON names)\n"
           "  --backup                 (resave, build, dump, level, replace, strings) keep\n"
           "                           an existing output file's bytes as NAME.bak beside\n"
           "                           it before it is written; when that fails, nothing\n"
           "                           is written\n"
           "  -h, --help               show this text (after a command: its own usage)\n"
           "  --version                show the version\n"
           "\n"
           "Exit status:\n"
           "  0 on success, 1 on failure (the message goes to standard error), 2 on a\n"
           "  usage error. \"diff\" exits with 0 when the scripts are the same, 1 when they\n"
           "  differ and 2 when one cannot be read; \"find\" with 0 when something matches,\n"
           "  1 when nothing does and 2 when it cannot search.\n";
}

}  // namespace vellumark::cli
