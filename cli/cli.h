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

// A failure's text as the editor's error box shows it: a full stop is added
// when the last character sorts after "." (a letter or digit, not ")" or "!").
std::string error_box_text(std::string message);

std::string usage_text();

}  // namespace vellumark::cli
