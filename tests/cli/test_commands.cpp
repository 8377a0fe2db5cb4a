// check, resave, transcript and diff; failure messages and exit codes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "formats/diff.h"
#include "formats/json_form.h"
#include "cli_support.h"
#include "codec/codepage.h"
#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "codec/transcript.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using namespace vellumark::cli;
using namespace vellumark::json_form;
using namespace vellumark::report;
using namespace vellumark::cli::testing;
using args_t = std::vector<std::string>;

namespace {

struct sample_file {
    scratch_dir dir;
    Ttombpcdat doc;
    std::vector<std::uint8_t> bytes = samples::file_bytes(doc);
    std::string path = dir / "TOMBPC.DAT";
    explicit sample_file(unsigned seed = 9, int levels = 5, bool all_bytes = false)
        : doc(samples::make_document(seed, levels, all_bytes)) {
        samples::write_file(path, bytes);
    }
};

std::string utf8(const std::string& bytes) { return codepage::bytes_to_utf8(bytes); }

}  // namespace

TEST(Commands, CheckResaveAndTranscript) {
    sample_file f;
    result r = run_cli({"check", f.path});
    ASSERT_EQ(r.code, 0) << r.err;
    auto n = [](const list_strings& t) { return std::to_string(t.strings.size()); };
    EXPECT_EQ(r.out, "level_names: 5\npic_files: " + n(f.doc.pic_files) + "\ntitle_files: " + n(f.doc.title_files) +
                         "\nfmv_files: " + n(f.doc.fmv_files) + "\nlevel_files: 5\ncutscene_files: " +
                         n(f.doc.cutscene_files) + "\nscript slots: 6\ndemo levels: " +
                         std::to_string(f.doc.demo_levels.size()) + "\ngame_strings1: " + n(f.doc.game_strings1) +
                         "\ngame_strings2: 41\nkey_strings: 10 tables of 5\nlayout: PC\nproblems: 0 errors, 0 warnings\n");
    EXPECT_EQ(r.err, "");

    // resave writes what Save writes; a flag Save does not keep is dropped.
    sample_file g(4, 8, true);
    r = run_cli({"resave", g.path, g.dir / "out.dat"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(samples::read_file(g.dir / "out.dat"), g.bytes);
    std::vector<std::uint8_t> odd = g.bytes;
    odd[layout::kFlags + 1] |= 0x08;
    samples::write_file(g.dir / "odd.dat", odd);
    ASSERT_EQ(run_cli({"resave", g.dir / "odd.dat", g.dir / "odd.dat"}).code, 0);
    EXPECT_EQ(samples::read_file(g.dir / "odd.dat"), g.bytes);

    // transcript prints the lines of a load in UTF-8.
    r = run_cli({"transcript", g.path});
    ASSERT_EQ(r.code, 0) << r.err;
    std::string expected;
    for (const std::string& line : transcript_lines(parse_script(g.bytes))) expected += utf8(line) + "\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.out.rfind("Translated by Vellumark\n", 0), 0u);
    EXPECT_NE(r.out.find("\nScript#4\n"), std::string::npos);

    // A line break inside a string keeps the entry on one line.
    Ttombpcdat breaks = samples::make_document(6, 2);
    breaks.level_files.strings[0] = "a\nb\rc";
    samples::write_file(g.dir / "breaks.dat", samples::file_bytes(breaks));
    r = run_cli({"transcript", g.dir / "breaks.dat"});
    EXPECT_NE(r.out.find("\na\u240Ab\u240Dc\n"), std::string::npos) << r.out;
}

TEST(Commands, FailuresShowTheEditorsMessageAndWriteNothing) {
    sample_file f(2, 3);
    const std::string missing = f.dir / "missing.dat", out = f.dir / "out.dat", cut = f.dir / "cut.dat",
                      negative = f.dir / "negative.dat";
    samples::write_file(cut, std::vector<std::uint8_t>(f.bytes.begin(), f.bytes.end() - 1));
    std::vector<std::uint8_t> bytes = f.bytes;
    bytes[layout::kPicCount + 1] = 0x80;  // a count that reads as negative
    samples::write_file(negative, bytes);
    const struct {
        args_t args;
        int code;
        std::string err;
    } cases[] = {
        {{"check", missing}, 1, "File not found.\n"},
        {{"transcript", missing}, 1, "File not found.\n"},
        {{"resave", missing, out}, 1, "File not found.\n"},
        {{"dump", missing}, 1, "File not found.\n"},
        {{"dump", missing, "-o", out}, 1, "File not found.\n"},
        {{"check", f.dir / "no-folder/x.dat"}, 1, "Invalid filename.\n"},
        {{"resave", cut, out}, 1, "Read beyond end of file.\n"},
        {{"transcript", negative}, 1, "Range check error.\n"},
        {{"diff", f.path, missing}, 2, "File not found.\n"},  // could not compare
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        result r = run_cli(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    // An existing target keeps its bytes.
    samples::write_file(out, {1, 2, 3});
    EXPECT_EQ(run_cli({"dump", cut, "-o", out}).code, 1);
    EXPECT_EQ(samples::read_file(out), (std::vector<std::uint8_t>{1, 2, 3}));

    EXPECT_EQ(error_box_text("I/O error 5"), "I/O error 5.");
    EXPECT_EQ(error_box_text("List index out of bounds (7)"), "List index out of bounds (7)");
    EXPECT_EQ(error_box_text("Done!"), "Done!");
    EXPECT_EQ(error_box_text("Ends."), "Ends.");
}

TEST(Commands, PlayStationScriptsAndStrayBytesAreNamed) {
    scratch_dir dir;
    const std::vector<std::uint8_t> console = samples::file_bytes(samples::make_console_document(6, 9));
    const std::vector<std::uint8_t> pc = samples::real_size_bytes();
    std::vector<std::uint8_t> stray = pc, other_stray = pc;
    for (std::uint8_t b : {0x00, 0x41, 0xA6, 0xFF, 0x10, 0x20, 0x30, 0x40}) stray.push_back(b);
    other_stray.insert(other_stray.end(), stray.end() - 8, stray.end());
    other_stray[pc.size() + 3] = 0xFE;
    samples::write_file(dir / "console.dat", console);
    samples::write_file(dir / "stray.dat", stray);
    samples::write_file(dir / "other.dat", other_stray);
    // The second offset of the level names, which the reader mends.
    std::vector<std::uint8_t> offset = pc;
    offset[layout::kHeaderSize + 2] ^= 1;
    samples::write_file(dir / "offset.dat", offset);
    char offset_line[64];
    std::snprintf(offset_line, sizeof offset_line, "bytes[%zu]: 0x%02x -> 0x%02x\n", layout::kHeaderSize + 2,
                  pc[layout::kHeaderSize + 2], offset[layout::kHeaderSize + 2]);
    const std::string notice =
        "8 bytes after the last key-string table are not part of the script; a save will not keep them.\n";

    // check names the layout, and the stray bytes as a warning.
    result r = run_cli({"check", dir / "console.dat"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\ngame_strings2: 80\n"), std::string::npos) << r.out;
    EXPECT_TRUE(r.out.ends_with("\nkey_strings: 10 tables of 9\nlayout: PlayStation\nproblems: 0 errors, 0 warnings\n"))
        << r.out;
    r = run_cli({"check", dir / "stray.dat"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.ends_with("\nlayout: PC\nproblems: 0 errors, 1 warning\n" + (dir / "stray.dat") + ": warning: " +
                                notice))
        << r.out;
    EXPECT_EQ(r.err, "");

    // resave keeps a PlayStation script byte for byte, and says what it drops.
    r = run_cli({"resave", dir / "console.dat", dir / "console-out.dat"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(samples::read_file(dir / "console-out.dat"), console);
    r = run_cli({"resave", dir / "stray.dat", dir / "stray-out.dat"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, notice);
    EXPECT_EQ(samples::read_file(dir / "stray-out.dat"), pc);
    EXPECT_EQ(run_cli({"dump", dir / "stray.dat", "-o", dir / "stray.json"}).err, notice);

    // diff tells files apart by their stray bytes, their layout and any byte
    // that no value shows.
    samples::write_file(dir / "as-pc.dat", samples::file_bytes(samples::make_document(6, 9)));
    const struct {
        std::string a, b;
        int code;
        std::string out;
    } diffs[] = {
        {"stray.dat", "stray-out.dat", 1, "trailing_bytes: 8 bytes -> 0 bytes\n"},
        {"stray.dat", "other.dat", 1, "trailing_bytes[3]: 0xff -> 0xfe\n"},
        {"stray.dat", "stray.dat", 0, ""},
        {"console.dat", "console-out.dat", 0, ""},
        {"stray-out.dat", "offset.dat", 1, offset_line},
    };
    for (const auto& d : diffs) {
        r = run_cli({"diff", dir / d.a, dir / d.b});
        EXPECT_EQ(r.code, d.code) << d.a << " " << d.b;
        EXPECT_EQ(r.out, d.out);
        EXPECT_EQ(r.err, "");
    }
    r = run_cli({"diff", dir / "as-pc.dat", dir / "console.dat"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.starts_with("layout: \"pc\" -> \"playstation\"\n")) << r.out;
    EXPECT_NE(r.out.find("\nfmv_records: 0 records -> "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\ngame_strings2: 41 entries -> 80 entries\n"), std::string::npos) << r.out;
}

// A script of the PlayStation beta through every command: its layout and
// sixteen tables named, resaved, dumped and built, translated and moved
// level by level byte for byte, its six more tables compared and moved with
// their levels.
TEST(Commands, PlayStationBetaScriptsGoThroughEveryCommandByteForByte) {
    scratch_dir dir;
    Ttombpcdat made = samples::make_beta_document(8, 7);
    made.beta_key_strings[5].strings[6] = "Talion";  // Special 2 of level 6
    const std::vector<std::uint8_t> beta = samples::file_bytes(made);
    const std::string in = dir / "beta.dat", out = dir / "out.dat";
    samples::write_file(in, beta);

    result r = run_cli({"check", in});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\ngame_strings2: 79\n"), std::string::npos) << r.out;
    EXPECT_TRUE(r.out.ends_with("\nkey_strings: 16 tables of 7\nlayout: PlayStation beta\nproblems: 0 errors, 0 warnings\n"))
        << r.out;

    const auto same_bytes = [&](const std::vector<std::string>& args) {
        std::filesystem::remove(out);
        const result run = run_cli(args);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(samples::read_file(out), beta) << args[0];
    };
    same_bytes({"resave", in, out});
    ASSERT_EQ(run_cli({"dump", in, "-o", dir / "beta.json"}).code, 0);
    EXPECT_EQ(json::parse(slurp(dir / "beta.json"))["layout"], "playstation-beta");
    same_bytes({"build", dir / "beta.json", "-o", out});
    ASSERT_EQ(run_cli({"strings", "export", in, "-o", dir / "beta.pot"}).code, 0);
    EXPECT_NE(slurp(dir / "beta.pot").find("msgctxt \"special_strings[1][6]\"\nmsgid \"Talion\"\n"), std::string::npos);
    same_bytes({"strings", "import", in, dir / "beta.pot", "-o", out});
    ASSERT_EQ(run_cli({"level", "move", in, "6", "0", "-o", dir / "moved.dat"}).code, 0);
    same_bytes({"level", "move", dir / "moved.dat", "0", "6", "-o", out});
    ASSERT_EQ(run_cli({"level", "insert", in, "3", "-o", dir / "inserted.dat"}).code, 0);
    same_bytes({"level", "delete", dir / "inserted.dat", "3", "-o", out});

    // The moved level's Special 2 went with it.
    r = run_cli({"diff", in, dir / "moved.dat"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("\nspecial_strings[1][0]: "), std::string::npos) << r.out;
    EXPECT_EQ(parse_script(samples::read_file(dir / "moved.dat")).beta_key_strings[5].strings[0], "Talion");
    samples::write_file(dir / "console.dat", samples::file_bytes(samples::make_console_document(8, 7)));
    r = run_cli({"diff", dir / "console.dat", in});
    EXPECT_TRUE(r.out.starts_with("layout: \"playstation\" -> \"playstation-beta\"\n")) << r.out;
    EXPECT_NE(r.out.find("\nsecret_strings[0]: 0 entries -> 7 entries\n"), std::string::npos) << r.out;
}

TEST(Commands, UsageHelpVersionAndExitCodesOfTheExecutable) {
    for (const args_t& args : {args_t{}, {"frobnicate"}, {"check"}, {"check", "a", "b"}, {"resave", "a"},
                               {"build", "in.json"}, {"dump", "a", "-o"}, {"check", "-x", "a"}, {"diff", "a"},
                               {"resave", "a", "b", "-o", "c"}}) {
        result r = run_cli(args);
        EXPECT_EQ(r.code, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_NE(r.err.find("Usage: vellumark-cli"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    result r = run_cli({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, usage_text());
    // A command's --help: its own usage, options and exit status.
    for (const std::string command : {"check", "resave", "transcript", "dump", "build", "diff", "flow"})
        EXPECT_EQ(run_cli({command, "--help"}).out, command_usage_text(command)) << command;
    EXPECT_EQ(run_cli({"level", "move", "--help"}).out, command_usage_text("level move"));
    EXPECT_EQ(run_cli({"strings", "import", "x", "-h"}).out, command_usage_text("strings import"));
    EXPECT_EQ(run_cli({"level", "--help"}).out, command_usage_text("level"));
    EXPECT_EQ(command_usage_text("dump").rfind("Usage: vellumark-cli dump FILE [-o OUT.json]\n", 0), 0u);
    EXPECT_NE(command_usage_text("check").find("\n  --strict "), std::string::npos);
    EXPECT_NE(command_usage_text("level").find("Usage: vellumark-cli level delete"), std::string::npos);
    r = run_cli({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "vellumark-cli " VELLUMARK_VERSION "\n");

    // The executable exits with the code run() returns (0 is seen in the JSON round trip).
    scratch_dir dir;
    r = run_program(dir, {"check", dir / "missing.dat"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "File not found.\n");
    EXPECT_EQ(run_program(dir, {"bogus"}).code, 2);
}

TEST(Commands, DumpWritesIntoAFifoWhichNoCommandOpens) {
    sample_file f;
    const std::string fifo = f.dir / "pipe", json_text = run_cli({"dump", f.path}).out;
    ASSERT_LT(json_text.size(), 65536u);  // fits the pipe: the writer never waits for the reader
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Held open at both ends, so that no open of it waits.
    const int held = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(held, 0);
    result r = run_cli({"dump", f.path, "-o", fifo});
    EXPECT_EQ(r.code, 0) << r.err;
    std::string got(65536, '\0');
    got.resize(std::size_t(std::max<ssize_t>(::read(held, got.data(), got.size()), 0)));
    ::close(held);
    EXPECT_EQ(got, json_text);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    // Refused at once; the timeout only keeps a fault from hanging the test.
    r = run_program(f.dir, {"10", VELLUMARK_CLI_PATH, "check", fifo}, "timeout");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Cannot open \"" + fifo + "\": it is not a regular file.\n");
}

TEST(Diff, OneSlotOneFlagOneString) {
    scratch_dir dir;
    Ttombpcdat a = samples::make_document(7, 5);
    a.flags &= std::uint16_t(~layout::kFlagDemoVersion);
    Ttombpcdat b = a;
    b.scripts[2].commands[0] = {10, 33};
    b.flags |= layout::kFlagDemoVersion;
    b.level_files.strings[1] = "NEWFILE.TR2";
    samples::write_file(dir / "a.dat", samples::file_bytes(a));
    samples::write_file(dir / "b.dat", samples::file_bytes(b));

    const std::string old_command = utf8(format_command(a.scripts[2].commands[0], a));
    result r = run_cli({"diff", dir / "a.dat", dir / "b.dat"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "flags.value: " + std::to_string(a.flags) + " -> " + std::to_string(b.flags) +
                         "\nflags[\"Demo Version\"]: false -> true\nlevel_files[1]: " +
                         json(utf8(a.level_files.strings[1])).dump() + " -> \"NEWFILE.TR2\"\nslots[2][0]: " +
                         old_command + " -> Play soundtrack,33\n");
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
    b.scripts[1].commands[0] = {9, cmd::kNoOperand};
    a.scripts[1].command_count = 2;
    a.scripts[1].commands[0] = {4, 0};
    a.scripts[1].commands[1] = {9, cmd::kNoOperand};
    b.demo_levels = {2};
    a.demo_levels = {0, 1};
    const auto level = [&](int i) { return utf8(a.level_names.strings[i]); };
    const std::string pics = std::to_string(a.pic_files.strings.size());
    const std::vector<std::string> expected = {
        "pic_files: " + pics + " entries -> " + std::to_string(b.pic_files.strings.size()) + " entries",
        "pic_files[" + pics + "]: added \"EXTRA.PCX\"",
        "slots[1]: 2 commands -> 1 commands",
        "slots[1][0]: Play level,0 (" + level(0) + ") -> End of set ",
        "slots[1][1]: removed End of set ",
        "demo_levels: 2 entries -> 1 entries",
        "demo_levels[0]: 0 (" + level(0) + ") -> 2 (" + level(2) + ")",
        "demo_levels[1]: removed 1 (" + level(1) + ")",
    };
    EXPECT_EQ(diff_documents(a, b), expected);
}

TEST(Commands, LevelMoveInsertDelete) {
    sample_file f(12, 6);
    const std::string out = f.dir / "out.dat";
    // Moved there and back: the same file.
    ASSERT_EQ(run_cli({"level", "move", f.path, "5", "1", "-o", out}).code, 0);
    Ttombpcdat moved = parse_script(samples::read_file(out));
    EXPECT_EQ(moved.level_names.strings[1], f.doc.level_names.strings[5]);
    result r = run_cli({"level", "move", out, "1", "5", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(samples::read_file(out), f.bytes);

    r = run_cli({"level", "insert", f.path, "2", "--name", "Caf\u00e9", "--file", "data\\new.tr2", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    Ttombpcdat inserted = parse_script(samples::read_file(out));
    EXPECT_EQ(inserted.level_names.strings[2], "Caf\xe9");
    EXPECT_EQ(inserted.level_files.strings[2], "data\\new.tr2");
    EXPECT_EQ(inserted.scripts.size(), f.doc.scripts.size() + 1);

    ASSERT_EQ(run_cli({"level", "delete", out, "2", "-o", out}).code, 0);
    EXPECT_EQ(samples::read_file(out), f.bytes);

    // Failures write nothing.
    std::filesystem::remove(out);
    r = run_cli({"level", "delete", f.path, "6", "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Level 6 does not exist (the script has 6 levels)\n");
    EXPECT_EQ(run_cli({"level", "move", f.path, "x", "1", "-o", out}).code, 2);
    EXPECT_EQ(run_cli({"level", "insert", f.path, "1", "--name", "\u4e2d", "-o", out}).code, 1);
    EXPECT_EQ(run_cli({"level", "delete", f.path, "1"}).code, 2);  // no -o
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(Commands, CheckListsTheProblemsAsCompilersDo) {
    sample_file f(13, 5);
    Ttombpcdat doc = f.doc;
    doc.scripts[0].commands[0] = {cmd::kPlayLevel, 25};
    doc.game_strings1.strings.resize(90);
    samples::write_file(f.path, samples::file_bytes(doc));
    const std::string lines = f.path + ": warning: slot 0, command 1: Play level 25 names no level (the script has 5 levels)\n" +
                              f.path + ": warning: Game String 1: Game String 1 has 90 entries; Tomb Raider II has 89 "
                                       "and Tomb Raider III 92\n";
    result r = run_cli({"check", f.path});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("problems: 0 errors, 2 warnings\n" + lines), std::string::npos) << r.out;
    EXPECT_EQ(run_cli({"check", "--strict", f.path}).code, 1);

    r = run_cli({"check", f.path, "--json"});
    EXPECT_EQ(r.code, 0);
    const json j = json::parse(r.out);
    EXPECT_EQ(j["warnings"], 2);
    EXPECT_EQ(j["problems"][0]["place"], "slot 0, command 1");  // in file order
    EXPECT_EQ(j["problems"][0]["where"], json::parse(R"({"area": "slots", "slot": 0, "line": 0})"));
    EXPECT_EQ(j["problems"][1]["where"]["table"], "game_strings1");
}

// File names are bytes: a script named in Latin-1 opens as given, and the
// JSON report and the catalogue's header name it in valid UTF-8 (U+FFFD for
// the byte that is not UTF-8).
TEST(Commands, AFileNameThatIsNotUtf8IsWrittenAsValidUtf8) {
    sample_file f;
    const std::string name = f.dir / "tr2_\xE9.dat", pot = f.dir / "texts.pot";
    std::filesystem::rename(f.path, name);
    result r = run_cli({"check", name, "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["file"], f.dir / "tr2_\uFFFD.dat");

    r = run_cli({"strings", "export", name, "-o", pot});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(slurp(pot).find("\"Project-Id-Version: tr2_\uFFFD.dat\\n\"\n"), std::string::npos);
    r = run_program(f.dir, {"--check", "-o", "/dev/null", pot}, VELLUMARK_MSGFMT_PATH);
    EXPECT_EQ(r.code, 0) << r.err;
}

// "-" reads standard input, for a script, a JSON text or a catalogue; one
// input at most.
TEST(Commands, DashReadsStandardInput) {
    sample_file f(3, 4);
    const std::string json_file = f.dir / "script.json", po = f.dir / "texts.po", out = f.dir / "out.dat";
    ASSERT_EQ(run_cli({"dump", f.path, "-o", json_file}).code, 0);
    result r = run_program(f.dir, {"build", "-", "-o", out}, VELLUMARK_CLI_PATH, json_file);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(samples::read_file(out), f.bytes);

    ASSERT_EQ(run_cli({"strings", "export", f.path, "-o", po}).code, 0);
    std::filesystem::remove(out);
    r = run_program(f.dir, {"strings", "import", f.path, "-", "-o", out}, VELLUMARK_CLI_PATH, po);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(samples::read_file(out), f.bytes);
    r = run_program(f.dir, {"strings", "import", "-", po, "-o", out}, VELLUMARK_CLI_PATH, f.path);
    EXPECT_EQ(r.code, 0) << r.err;
    r = run_program(f.dir, {"check", "-"}, VELLUMARK_CLI_PATH, f.path);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\nlevel_files: 4\n"), std::string::npos) << r.out;

    // Named <stdin> in messages, by line: gettext finds the string cut short
    // on the line after it.
    std::string broken = slurp(po);
    const std::size_t at = broken.find("\nmsgctxt") + 1;
    const std::string line = std::to_string(std::count(broken.begin(), broken.begin() + std::ptrdiff_t(at), '\n') + 2);
    broken.insert(at, "msgid \"x\n");
    samples::write_file(po, {broken.begin(), broken.end()});
    r = run_program(f.dir, {"strings", "import", f.path, "-", "-o", out}, VELLUMARK_CLI_PATH, po);
    EXPECT_EQ(r.code, 1);
    // (A sanitizer build may add its summary of libgettextpo's allocations.)
    EXPECT_TRUE(r.err.starts_with("<stdin>:" + line + ": end-of-line within string.\n")) << r.err;
    r = run_program(f.dir, {"diff", "-", "-"}, VELLUMARK_CLI_PATH, f.path);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.starts_with("vellumark-cli: standard input can be read only once; give \"-\" for one input at "
                                  "most\n"))
        << r.err;
}
