#include "shell/start_arguments.h"

StartArguments parseStartArguments(const std::vector<std::string>& args) {
    using Action = StartArguments::Action;
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") return {Action::help, {}, {}};
        if (a == "--version") return {Action::version, {}, {}};
    }
    const auto usage_error = [](const std::string& what) {
        return StartArguments{Action::usage_error, {}, "vellumark: " + what + "\nTry 'vellumark --help' for more information.\n"};
    };
    StartArguments parsed;
    bool options_end = false, have_path = false;
    for (const std::string& a : args) {
        if (!options_end && a == "--") {
            options_end = true;
        } else if (!options_end && a.size() > 1 && a[0] == '-') {
            return usage_error("unrecognized option '" + a + "'");
        } else if (have_path) {
            return usage_error("extra operand '" + a + "'");
        } else {
            parsed.path = a;
            have_path = true;
        }
    }
    return parsed;
}

std::string editorUsageText() {
    return "Usage: vellumark [OPTION]... [FILE]\n"
           "Edit TOMBPC.DAT, the game-flow script of Tomb Raider II, in a window.\n"
           "FILE, when given, is opened at start as File > Open would open it.\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this text and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Qt's own options, such as -platform NAME or -style NAME, are taken as well.\n"
           "\n"
           "Exit status:\n"
           "  0 when the window is closed, 2 on a usage error.\n";
}

std::string editorVersionText() { return "vellumark " VELLUMARK_VERSION "\n"; }
