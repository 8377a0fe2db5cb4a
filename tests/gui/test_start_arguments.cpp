// The editor's command line: a script to open, --help, --version, and what
// it refuses.
#include <gtest/gtest.h>

#include "shell/start_arguments.h"

namespace {

using Action = StartArguments::Action;

TEST(StartArguments, OneScriptHelpVersionAndUsageErrors) {
    const std::string try_help = "\nTry 'vellumark --help' for more information.\n";
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string path_or_message;
    } cases[] = {
        {{}, Action::run, ""},
        {{"TOMBPC.DAT"}, Action::run, "TOMBPC.DAT"},
        {{"-"}, Action::run, "-"},
        {{"--", "-odd.dat"}, Action::run, "-odd.dat"},
        {{"--help"}, Action::help, ""},
        {{"-h"}, Action::help, ""},
        {{"a.dat", "--version"}, Action::version, ""},
        {{"--bogus", "--help"}, Action::help, ""},
        {{"--", "--help"}, Action::run, "--help"},
        {{"--bogus"}, Action::usage_error, "vellumark: unrecognized option '--bogus'" + try_help},
        {{"a.dat", "b.dat"}, Action::usage_error, "vellumark: extra operand 'b.dat'" + try_help},
    };
    for (const auto& c : cases) {
        const StartArguments got = parseStartArguments(c.args);
        const std::string what = testing::PrintToString(c.args);
        EXPECT_EQ(got.action, c.action) << what;
        EXPECT_EQ(c.action == Action::usage_error ? got.message : got.path, c.path_or_message) << what;
    }
    EXPECT_EQ(editorVersionText(), "vellumark " VELLUMARK_VERSION "\n");
    EXPECT_EQ(editorUsageText().rfind("Usage: vellumark [OPTION]... [FILE]\n", 0), 0u);
}

}  // namespace
