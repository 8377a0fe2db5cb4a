// The editor's command line: an optional script to open, --help and
// --version. Qt takes its own options (-platform, -style, ...) out first.
#pragma once

#include <string>
#include <vector>

struct StartArguments {
    enum class Action { run, help, version, usage_error };
    Action action = Action::run;
    std::string path;     // run: the script to open, empty for none
    std::string message;  // usage_error: what is wrong, for standard error
};

// args are the arguments after the program name. --help (-h) or --version
// anywhere before "--" answers at once, whatever else is given; "--" makes
// the next argument a file name even when it starts with '-'.
StartArguments parseStartArguments(const std::vector<std::string>& args);

std::string editorUsageText();
std::string editorVersionText();
