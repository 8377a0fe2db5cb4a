// Code pages and translators' catalogues through the command-line companion:
// every code page gives every byte back through a catalogue and through the
// JSON form, and a catalogue that cannot be taken is refused by its line with
// nothing written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "formats/catalogue.h"
#include "formats/json_form.h"
#include "cli_support.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using namespace vellumark::cli;
using namespace vellumark::json_form;
using namespace vellumark::cli::testing;

namespace {

// A real-size script whose texts hold every byte but NUL, with line breaks
// inside texts, a per cent sign and the byte 0x04, which msgfmt keeps for
// itself.
std::vector<std::uint8_t> all_bytes_script() {
    Ttombpcdat doc = samples::make_document(2027, 20, true);
    doc.level_names.strings[1] = "Line\nbreak\r\nat 100%\x04";
    doc.key_strings[3].strings[2] = "\r\nkey\n";
    return samples::file_bytes(doc);
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The number of the line that holds part.
std::string line_of(const std::string& text, const std::string& part) {
    return std::to_string(std::count(text.begin(), text.begin() + std::ptrdiff_t(text.find(part)), '\n') + 1);
}

}  // namespace

// In every code page and on every real-size sample (a PlayStation beta script
// among them, whose six more tables are texts too): the exported catalogue
// passes msgfmt --check; taken back unchanged, or filled with its own texts
// by msgen, it gives the script's bytes back; so do dump and build, the JSON
// naming the code page.
TEST(Catalogue, EveryCodePageGivesTheBytesBack) {
    scratch_dir dir;
    const std::string script = dir / "TOMBPC.DAT", pot = dir / "texts.pot", po = dir / "texts.po",
                      json_file = dir / "script.json", out = dir / "out.dat";
    for (const auto& bytes : {samples::real_size_bytes(), all_bytes_script(),
                              samples::file_bytes(samples::make_beta_document(2028, 12, true))}) {
        samples::write_file(script, bytes);
        const Ttombpcdat doc = parse_script(bytes);
        for (const codepage::page page : codepage::kPages) {
            const std::string name = codepage::name(page);
            SCOPED_TRACE(name);
            ASSERT_EQ(run_cli({"strings", "export", script, "--codepage", name, "-o", pot}).code, 0);
            const result check = run_program(dir, {"--check", "-o", "/dev/null", pot}, VELLUMARK_MSGFMT_PATH);
            EXPECT_EQ(check.code, 0) << check.err;
            ASSERT_EQ(run_program(dir, {pot, "-o", po}, VELLUMARK_MSGEN_PATH).code, 0);

            // Each text read back is the bytes it was written from.
            const auto translations = catalogue::read_translations(po, doc, codepage::get(page));
            EXPECT_EQ(translations.size(), count_of(slurp(pot), "\nmsgctxt "));
            for (const auto& t : translations) EXPECT_EQ(t.bytes, table(doc, t.table).strings[t.index]);
            for (const std::string& catalogue : {pot, po}) {
                std::filesystem::remove(out);
                const result r = run_cli({"strings", "import", script, catalogue, "--codepage", name, "-o", out});
                ASSERT_EQ(r.code, 0) << r.err;
                EXPECT_EQ(samples::read_file(out), bytes);
            }

            const std::string alias = "--codepage=cp" + std::to_string(codepage::number(page));
            ASSERT_EQ(run_cli({"dump", script, alias, "-o", json_file}).code, 0);
            EXPECT_EQ(json::parse(slurp(json_file))["codepage"], name);
            std::filesystem::remove(out);
            ASSERT_EQ(run_cli({"build", json_file, "-o", out}).code, 0);
            EXPECT_EQ(samples::read_file(out), bytes);
        }
    }
}

// Refusals come in the form compilers use, "FILE:LINE: reason", and write
// nothing: a syntax error, an unknown place, a translation the script cannot
// hold (a character, a length, a NUL however it is written), and an entry
// that translates another text than the one at its place now (a stale
// catalogue; the empty text past a table's lines). The same catalogue in its
// own code page changes exactly its translated texts.
TEST(Catalogue, RefusalsNameTheLineAndWriteNothing) {
    scratch_dir dir;
    const std::string script = dir / "TOMBPC.DAT", po = dir / "pl.po", out = dir / "out.dat", kept = dir / "kept.dat";
    Ttombpcdat doc = samples::with_polish_sources(samples::make_document(5, 3));
    doc.game_strings2.strings[2] = "Load\nGame\x04";
    doc.game_strings2.strings[5] = "Save Game";
    doc.key_strings[9].strings[1] = "";
    samples::write_file(script, samples::file_bytes(doc));
    const std::string polish = samples::polish_catalogue();
    const auto after_end = [&](int k) { return std::to_string(std::count(polish.begin(), polish.end(), '\n') + k); };
    const auto with_entry = [&](const std::string& context, const std::string& msgid, const std::string& msgstr) {
        return polish + "\nmsgctxt \"" + context + "\"\nmsgid \"" + msgid + "\"\nmsgstr " + msgstr + "\n";
    };
    const std::string stale = "; update the catalogue with msgmerge against a new export.";
    const std::string nul = ": the translation holds a NUL character, which would end the stored text.";
    const struct {
        std::string catalogue, codepage, message;
    } cases[] = {
        {polish, "windows-1252",
         po + ":" + line_of(polish, "Żółć") +
             ": the translation holds the character \"Ż\" (U+017B), which the code page windows-1252 cannot store."},
        {polish + "\nmsgctxt \"level_names[3]\"\nmsgid \"Tibet\"\nmsgstr \"Tybet\"\n", "cp1250",
         po + ":" + after_end(2) + ": unknown msgctxt \"level_names[3]\": the script has no such text."},
        {polish + "\nmsgctxt \"special_strings[1][0]\"\nmsgid \"Key\"\nmsgstr \"Klucz\"\n", "cp1250",
         po + ":" + after_end(2) + ": unknown msgctxt \"special_strings[1][0]\": the script has no such text."},
        {polish + "\nmsgctxt \"game_strings2[5]\"\nmsgid \"Save Game\"\nmsgstr \"" + std::string(256, 'z') + "\"\n",
         "cp1250",
         po + ":" + after_end(4) + ": the translation is 256 characters long; a script text holds at most 255."},
        {polish + "\nmsgctxt \"game_strings2[5]\"\nmsgid \"Save Game\nmsgstr \"Zapisz\"\n", "cp1250",
         po + ":" + after_end(4) + ": end-of-line within string."},
        {[&] {
             std::string moved = polish;
             return moved.replace(moved.find("msgid \"Venice\""), 14, "msgid \"Lara's Home\"");
         }(),
         "cp1250", po + ":" + line_of(polish, "msgid \"Venice\"") +
                       ": level_names[1] is now \"Venice\", but this entry translates \"Lara's Home\"" + stale},
        {with_entry("game_strings2[2]", "Load Game", "\"Wczytaj\""), "cp1250",
         po + ":" + after_end(3) + ": game_strings2[2] is now \"Load\u240AGame\u2404\", but this entry translates "
                                   "\"Load Game\"" + stale},
        {with_entry("key_strings[9][1]", "Old key", "\"Stary klucz\""), "cp1250",
         po + ":" + after_end(3) + ": key_strings[9][1] is now \"\", but this entry translates \"Old key\"" + stale},
        {with_entry("game_strings2[5]", "Save Game", "\"abc\\0def\""), "cp1250", po + ":" + after_end(4) + nul},
        {with_entry("game_strings2[5]", "Save Game", "\"\\000abc\""), "cp1250", po + ":" + after_end(4) + nul},
        {with_entry("game_strings2[5]", "Save Game", "\"\\x41\\101\\\\0\"\n\"\\x100\""), "cp1250",
         po + ":" + after_end(5) + nul},
    };
    const std::vector<std::uint8_t> old_bytes = {'o', 'l', 'd'};
    samples::write_file(kept, old_bytes);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        samples::write_file(po, {c.catalogue.begin(), c.catalogue.end()});
        const result r = run_cli({"strings", "import", script, po, "--codepage", c.codepage, "-o", out});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, c.message + "\n");
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_EQ(run_cli({"strings", "import", script, po, "--codepage", c.codepage, "-o", kept}).code, 1);
        EXPECT_EQ(samples::read_file(kept), old_bytes);
    }
    EXPECT_EQ(run_cli({"strings", "import", script, po, "--codepage", "windows-1259", "-o", out}).code, 2);

    samples::write_file(po, {polish.begin(), polish.end()});
    ASSERT_EQ(run_cli({"strings", "import", script, po, "--codepage", "windows-1250", "-o", out}).code, 0);
    const codepage::table& cp1250 = codepage::get(codepage::page::cp1250);
    const Ttombpcdat before = load_script_file(script);
    std::string expected;
    for (const auto& t : samples::polish_translations()) {
        const auto [id, index] = *catalogue::parse_context(t.context);
        const std::string was = cp1250.bytes_to_utf8(table(before, id).strings[index]);
        expected.append(t.context).append(": ").append(json(was).dump(-1, ' ', false));
        expected.append(" -> ").append(json(t.utf8).dump(-1, ' ', false)).append("\n");
    }
    EXPECT_EQ(run_cli({"diff", script, out, "--codepage", "cp1250"}).out, expected);
}
