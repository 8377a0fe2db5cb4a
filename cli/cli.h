// vellumark-cli: the command-line companion of the editor.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vellumark::cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;   // also: "diff" found differences
inline constexpr int kExitUsage = 2;     // also: "diff" could not compare

// Runs one command; args are the arguments after the program name. Output
// goes to out, messages to err.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// "vellumark-cli --help": every command.
std::string usage_text();
// "vellumark-cli COMMAND --help": that command's usage, options and exit
// status; "level" and "strings" alone: each of their actions.
std::string command_usage_text(const std::string& command);

}  // namespace vellumark::cli
