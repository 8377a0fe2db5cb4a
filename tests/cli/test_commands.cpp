// check, resave, transcript and diff; failure messages and exit codes.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/diff.h"
#include "cli/json_format.h"
#include "cli_support.h"
#include "codec/codepage.h"
#include "codec/commands.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using namespace vellumark::cli;
using namespace vellumark::cli::testing;

namespace {

struct sample_file {
    scratch_dir dir;
    Ttombpcdat doc;
    std::vector<std::uint8_t> bytes;
    std::string path;

    explicit sample_file(unsigned seed = 9, int levels = 5, bool all_bytes = false)
        : doc(samples::make_document(seed, levels, all_bytes)),
          bytes(samples::file_bytes(doc)),
          path(dir / "TOMBPC.DAT") {
        samples::write_file(path, bytes);
    }
};

}  // namespace

TEST(Commands, CheckSummarisesTheOpenedScript) {
    sample_file f;
    result r = run_cli({"check", f.path});
    ASSERT_EQ(r.code, 0) << r.err;
    const Ttombpcdat& d = f.doc;
    auto n = [](const list_strings& t) { return std::to_string(t.strings.size()); };
    EXPECT_EQ(r.out, "level_names: 5\n"
                     "pic_files: " + n(d.pic_files) + "\n"
                     "title_files: " + n(d.title_files) + "\n"
                     "fmv_files: " + n(d.fmv_files) + "\n"
                     "level_files: 5\n"
                     "cutscene_files: " + n(d.cutscene_files) + "\n"
                     "script slots: 6\n"
                     "demo levels: " + std::to_string(d.demo_levels.size()) + "\n"
                     "game_strings1: " + n(d.game_strings1) + "\n"
                     "game_strings2: 41\n"
                     "key_strings: 10 tables of 5\n");
    EXPECT_EQ(r.err, "");
}

TEST(Commands, ResaveWritesWhatSaveWrites) {
    sample_file f(4, 8, true);
    result r = run_cli({"resave", f.path, f.dir / "out.dat"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(samples::read_file(f.dir / "out.dat"), f.bytes);

    // A flag Save does not keep is dropped, as Save drops it.
    std::vector<std::uint8_t> odd = f.bytes;
    odd[layout::kFlags + 1] |= 0x08;
    samples::write_file(f.dir / "odd.dat", odd);
    r = run_cli({"resave", f.dir / "odd.dat", f.dir / "odd.dat"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(samples::read_file(f.dir / "odd.dat"), f.bytes);
}

TEST(Commands, TranscriptPrintsTheLoadLinesInUtf8) {
    sample_file f(6, 4, true);
    result r = run_cli({"transcript", f.path});
    ASSERT_EQ(r.code, 0) << r.err;
    std::string expected;
    for (const std::string& line : transcript_lines(parse_script(f.bytes)))
        expected += codepage::bytes_to_utf8(line) + "\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.out.rfind("Translated by Vellumark\n", 0), 0u);
    EXPECT_NE(r.out.find("\nScript#4\n"), std::string::npos);
}

TEST(Commands, FailuresShowTheEditorsMessage) {
    scratch_dir dir;
    const std::string missing = dir / "missing.dat", out = dir / "out.dat";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"check", missing}, {"transcript", missing}, {"resave", missing, out},
          {"dump", missing}, {"dump", missing, "-o", out}}) {
        SCOPED_TRACE(args[0]);
        result r = run_cli(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, "File not found.\n");
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    result r = run_cli({"check", dir / "no-folder/x.dat"});
    EXPECT_EQ(r.err, "Invalid filename.\n");

    // A truncated file: nothing is written, an existing target keeps its bytes.
    std::vector<std::uint8_t> bytes = samples::file_bytes(samples::make_document(2, 3));
    bytes.resize(bytes.size() - 1);
    samples::write_file(dir / "cut.dat", bytes);
    r = run_cli({"resave", dir / "cut.dat", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Read beyond end of file.\n");
    EXPECT_FALSE(std::filesystem::exists(out));
    samples::write_file(out, {1, 2, 3});
    EXPECT_EQ(run_cli({"dump", dir / "cut.dat", "-o", out}).code, 1);
    EXPECT_EQ(samples::read_file(out), (std::vector<std::uint8_t>{1, 2, 3}));

    // A count that reads as negative.
    std::vector<std::uint8_t> negative = samples::file_bytes(samples::make_document(2, 3));
    negative[layout::kPicCount + 1] = 0x80;
    samples::write_file(dir / "negative.dat", negative);
    r = run_cli({"transcript", dir / "negative.dat"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Range check error.\n");
    EXPECT_EQ(r.out, "");
}

TEST(Commands, MessagesGetTheErrorBoxFullStop) {
    EXPECT_EQ(error_box_text("Range check error"), "Range check error.");
    EXPECT_EQ(error_box_text("I/O error 5"), "I/O error 5.");
    EXPECT_EQ(error_box_text("List index out of bounds (7)"), "List index out of bounds (7)");
    EXPECT_EQ(error_box_text("Done!"), "Done!");
    EXPECT_EQ(error_box_text("Ends."), "Ends.");
}

TEST(Commands, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"frobnicate"}, {"check"}, {"check", "a", "b"}, {"resave", "a"},
          {"build", "in.json"}, {"dump", "a", "-o"}, {"check", "-x", "a"}, {"diff", "a"},
          {"resave", "a", "b", "-o", "c"}}) {
        result r = run_cli(args);
        EXPECT_EQ(r.code, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_NE(r.err.find("Usage: vellumark-cli"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    result help = run_cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out, usage_text());
    EXPECT_EQ(run_cli({"dump", "--help"}).out, usage_text());
    result version = run_cli({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "vellumark-cli " VELLUMARK_VERSION "\n");
}

TEST(Commands, ExecutableExitCodes) {
    sample_file f;
    result r = run_executable(f.dir, {"check", f.path});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.rfind("level_names: 5\n", 0), 0u);
    r = run_executable(f.dir, {"check", f.dir / "missing.dat"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "File not found.\n");
    r = run_executable(f.dir, {"bogus"});
    EXPECT_EQ(r.code, 2);
    r = run_executable(f.dir, {"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "vellumark-cli " VELLUMARK_VERSION "\n");
}

// ---- diff ---------------------------------------------------------------------

TEST(Diff, OneSlotOneFlagOneString) {
    scratch_dir dir;
    Ttombpcdat a = samples::make_document(7, 5);
    a.flags &= static_cast<std::uint16_t>(~layout::kFlagDemoVersion);
    Ttombpcdat b = a;
    b.scripts[2].commands[0] = {10, 33};
    b.flags |= layout::kFlagDemoVersion;
    b.level_files.strings[1] = "NEWFILE.TR2";
    samples::write_file(dir / "a.dat", samples::file_bytes(a));
    samples::write_file(dir / "b.dat", samples::file_bytes(b));

    document_lookup lookup(a);
    std::string old_command = codepage::bytes_to_utf8(format_command(a.scripts[2].commands[0], lookup));
    std::string old_name = json(codepage::bytes_to_utf8(a.level_files.strings[1])).dump();
    result r = run_cli({"diff", dir / "a.dat", dir / "b.dat"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "flags.value: " + std::to_string(a.flags) + " -> " + std::to_string(b.flags) + "\n"
                     "flags[\"Demo Version\"]: false -> true\n"
                     "level_files[1]: " + old_name + " -> \"NEWFILE.TR2\"\n"
                     "slots[2][0]: " + old_command + " -> Play soundtrack,33\n");
    EXPECT_EQ(r.err, "");

    r = run_cli({"diff", dir / "a.dat", dir / "a.dat"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
}

TEST(Diff, EntriesAddedAndRemoved) {
    Ttombpcdat a = samples::make_document(8, 3);
    Ttombpcdat b = a;
    b.pic_files.strings.push_back("EXTRA.PCX");
    b.scripts[1].command_count = 1;
    b.scripts[1].commands[0] = {9, layout::kNoOperand};
    a.scripts[1].command_count = 2;
    a.scripts[1].commands[0] = {4, 0};
    a.scripts[1].commands[1] = {9, layout::kNoOperand};
    b.demo_levels = {2};
    a.demo_levels = {0, 1};
    std::string level = [&](int i) { return codepage::bytes_to_utf8(a.level_names.strings[i]); }(0);
    std::vector<std::string> lines = diff_documents(a, b);
    std::vector<std::string> expected = {
        "pic_files: " + std::to_string(a.pic_files.strings.size()) + " entries -> " +
            std::to_string(b.pic_files.strings.size()) + " entries",
        "pic_files[" + std::to_string(a.pic_files.strings.size()) + "]: added \"EXTRA.PCX\"",
        "slots[1]: 2 commands -> 1 commands",
        "slots[1][0]: Play level,0 (" + level + ") -> End of set ",
        "slots[1][1]: removed End of set ",
        "demo_levels: 2 entries -> 1 entries",
        "demo_levels[0]: 0 (" + level + ") -> 2 (" + codepage::bytes_to_utf8(a.level_names.strings[2]) + ")",
        "demo_levels[1]: removed 1 (" + codepage::bytes_to_utf8(a.level_names.strings[1]) + ")",
    };
    EXPECT_EQ(lines, expected);
}

TEST(Diff, UnreadableScriptIsTrouble) {
    sample_file f;
    result r = run_cli({"diff", f.path, f.dir / "missing.dat"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "File not found.\n");
    EXPECT_EQ(r.out, "");
}
