// find and replace: what they print, their exit codes, and the refusals
// that leave no output file.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_support.h"
#include "codec/codepage.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using namespace vellumark::cli::testing;

TEST(Search, FindAndReplaceExitCodesOutputAndRefusals) {
    scratch_dir dir;
    const auto& cyrillic = codepage::get(codepage::page::cp1251);
    Ttombpcdat doc = samples::make_document(9, 5);
    doc.level_names.strings[1] = "Temple of Xian";
    doc.level_names.strings[2] = cyrillic.utf8_to_bytes("Храм\nогня").value();
    doc.level_files.strings[1] = "data\\XIAN.TR2";
    doc.key_strings[2].strings[3] = "P1 and P1";
    const std::string file = dir / "TOMBPC.DAT", out = dir / "out.dat";
    samples::write_file(file, samples::file_bytes(doc));

    // One line per text, however many matches it holds; command lines too.
    result r = run_program(dir, {"find", file, "temple", "--ignore-case", "--word"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, file + ":level_names[1]: Temple of Xian\n" + file +
                         ":slot[2] command 1: Play level,1 (Temple of Xian)\n");
    r = run_cli({"find", "--codepage", "cp1251", file, "^P\\d", "--regex", "--in", "key_strings", "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "[\n  {\n    \"place\": \"key_strings[2][3]\",\n    \"table\": \"key_strings[2]\",\n"
                     "    \"index\": 3,\n    \"start\": 0,\n    \"length\": 2,\n    \"match\": \"P1\",\n"
                     "    \"text\": \"P1 and P1\"\n  }\n]\n");
    // A line break as its symbol, in windows-1251.
    r = run_cli({"find", file, "храм␊", "--ignore-case", "--codepage", "windows-1251", "--in=level_names,slots"});
    EXPECT_EQ(r.out,
              file + ":level_names[2]: Храм␊огня\n" + file + ":slot[3] command 2: Play level,2 (Храм␊огня)\n");

    // Nothing found: 1, as grep; cannot search: 2; usage: 2.
    r = run_program(dir, {"find", file, "Temple", "--in", "level_files", "key_strings[0]"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out + r.err, "");
    r = run_cli({"find", file, "(P1", "--regex"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "The regular expression is not valid: missing closing parenthesis, at its end.\n");
    r = run_cli({"find", dir / "missing.dat", "P1"});
    EXPECT_EQ(r.code, 2);
    r = run_cli({"find", file, "P1", "--in", "keys"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
              "vellumark-cli: unknown table \"keys\" for --in; give level_names, pic_files, title_files, fmv_files, "
              "level_files, cutscene_files, game_strings1, game_strings2, key_strings, key_strings[0] to "
              "key_strings[9], secret_strings, secret_strings[0] to secret_strings[3], special_strings, "
              "special_strings[0] to special_strings[1], slots, slot[N]");
    EXPECT_EQ(run_cli({"replace", file, "P1", "P2"}).code, 2);  // no -o

    // Replace: capture groups; command lines stay; the count is printed.
    r = run_program(dir, {"replace", file, "data\\\\(\\w+)\\.TR2", "levels\\\\\\1.tr2", "--regex", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    Ttombpcdat expected = doc;
    for (std::string& s : expected.level_files.strings)
        if (s.starts_with("data\\") && s.ends_with(".TR2")) s = "levels\\" + s.substr(5, s.size() - 9) + ".tr2";
    EXPECT_EQ(r.out, "1 occurrence replaced in 1 string\n");
    EXPECT_EQ(samples::read_file(out), samples::file_bytes(expected));

    // Refused whole, with the first place named; no output file.
    std::filesystem::remove(out);
    r = run_program(dir, {"replace", file, "P1", std::string(200, 'x'), "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "Key Strings #3, level 3 cannot take the replacement: it would have 405 characters, and a script string "
              "holds at most 255. Nothing was replaced.\n");
    r = run_cli({"replace", file, "Xian", "Сиань", "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "Entry 1 of \"Level's Description\" cannot take the replacement: it would hold \"С\" (U+0421), a "
              "character that cannot be stored in a script. Only characters of the Windows-1252 code page can be "
              "used. Nothing was replaced.\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}
