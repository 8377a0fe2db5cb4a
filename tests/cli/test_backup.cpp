// --backup: every command that writes a file first keeps an existing
// output's bytes as NAME.bak.
#include <gtest/gtest.h>

#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli_support.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using namespace vellumark::cli::testing;
using args_t = std::vector<std::string>;

namespace {

constexpr uid_t kNobody = 65534;

// In a child that became uid and gid 65534: "resave --backup" onto a file it
// may write in a folder it may not, so the backup cannot be written. Exits 0
// when the save was refused with the message and the target kept its bytes.
[[noreturn]] void resave_as_nobody(const std::string& in, const std::string& target) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) std::_Exit(2);
    const std::vector<std::uint8_t> before = samples::read_file(target);
    const result r = run_cli({"resave", in, target, "--backup"});
    const std::string want = "\"" + target + "\" was not saved: its backup \"" + target +
                             ".bak\" could not be written: File access denied.\n";
    const bool as_expected = r.code == 1 && r.err == want && samples::read_file(target) == before &&
                             !std::filesystem::exists(target + ".bak");
    if (!as_expected) std::fputs(r.err.c_str(), stderr);
    // Without the backup the same save goes through, in place.
    std::_Exit(as_expected && run_cli({"resave", in, target}).code == 0 ? 0 : 1);
}

}  // namespace

// Every command that writes a file keeps an existing output's bytes as
// NAME.bak with --backup; without it nothing is kept; a backup that cannot be
// written stops the command before the output changes.
TEST(Backup, KeepsTheOutputsPreviousBytes) {
    scratch_dir dir;
    const std::string script = dir / "TOMBPC.DAT";
    const std::vector<std::uint8_t> bytes = samples::file_bytes(samples::make_document(9, 5));
    samples::write_file(script, bytes);
    const std::string json_in = dir / "in.json", po = dir / "in.po";
    ASSERT_EQ(run_cli({"dump", script, "-o", json_in}).code, 0);
    ASSERT_EQ(run_cli({"strings", "export", script, "-o", po}).code, 0);
    const std::string out = dir / "OUT";
    const std::vector<std::uint8_t> previous{'o', 'l', 'd'};
    const args_t writers[] = {
        {"resave", script, out, "--backup"},
        {"build", json_in, "--backup", "-o", out},
        {"dump", script, "-o", out, "--backup"},
        {"level", "move", script, "0", "2", "-o", out, "--backup"},
        {"level", "insert", script, "1", "--backup", "-o", out},
        {"level", "delete", script, "1", "-o", out, "--backup"},
        {"strings", "export", script, "-o", out, "--backup"},
        {"strings", "import", script, po, "-o", out, "--backup"},
    };
    for (const args_t& args : writers) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        std::filesystem::remove(out + ".bak");
        samples::write_file(out, previous);
        result r = run_cli(args);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(samples::read_file(out + ".bak"), previous);
        EXPECT_NE(samples::read_file(out), previous);
        // Without --backup nothing is kept; an older backup stays as it was.
        args_t plain = args;
        plain.erase(std::find(plain.begin(), plain.end(), "--backup"));
        samples::write_file(out, {'n', 'e', 'w'});
        ASSERT_EQ(run_cli(plain).code, 0);
        EXPECT_EQ(samples::read_file(out + ".bak"), previous);
    }
    EXPECT_EQ(run_cli({"check", script, "--backup"}).code, 2);  // check writes nothing
    EXPECT_NE(run_cli({"resave", "--help"}).out.find("--backup"), std::string::npos);

    if (::geteuid() != 0) {
        std::printf("[ skipped  ] a backup the user may not write: running as uid %d\n", int(::geteuid()));
        return;
    }
    // The folder is root's; the target may be written by anyone.
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    samples::write_file(out, previous);
    std::filesystem::permissions(out, std::filesystem::perms(0666));
    std::filesystem::remove(out + ".bak");
    EXPECT_EXIT(resave_as_nobody(script, out), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(samples::read_file(out).size(), bytes.size());  // the save without a backup
}
