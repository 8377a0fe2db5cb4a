// dump then build gives the bytes of the editor's Save.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/json_form.h"
#include "cli_support.h"
#include "codec/codepage.h"
#include "codec/commands.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using namespace vellumark::cli;
using namespace vellumark::json_form;
using namespace vellumark::cli::testing;

namespace {

// What the editor's Save writes for a document that was just opened.
std::vector<std::uint8_t> editor_save(const Ttombpcdat& doc) {
    Ttombpcdat copy = doc;
    return write_script_file(copy);
}

std::vector<std::uint8_t> through_json(const Ttombpcdat& doc) {
    return saved_image(document_from_json(json::parse(json_text(document_to_json(doc)))));
}

}  // namespace

TEST(JsonRoundTrip, GeneratedDocumentsComeBackByteForByte) {
    for (bool all_bytes : {false, true})
        for (unsigned seed : {1u, 2u, 3u, 4u, 5u})
            for (int levels : {0, 1, 4, 20}) {
                SCOPED_TRACE("seed " + std::to_string(seed) + ", levels " + std::to_string(levels) +
                             (all_bytes ? ", all bytes" : ""));
                const auto bytes = samples::file_bytes(samples::make_document(seed, levels, all_bytes));
                const Ttombpcdat opened = parse_script(bytes);
                const json j = document_to_json(opened);
                const std::string text = json_text(j);
                EXPECT_EQ(json::parse(text), j);
                EXPECT_EQ(json_text(json::parse(text)), text) << "the text is stable";
                EXPECT_EQ(through_json(opened), bytes);
            }
    const auto near_limit = samples::near_limit_bytes();
    EXPECT_EQ(through_json(parse_script(near_limit)), near_limit);
}

TEST(JsonRoundTrip, PlayStationScriptsComeBackByteForByte) {
    for (bool beta : {false, true})
    for (bool all_bytes : {false, true})
        for (int levels : {0, 3, 22}) {
            SCOPED_TRACE("levels " + std::to_string(levels) + (all_bytes ? ", all bytes" : "") + (beta ? ", beta" : ""));
            const Ttombpcdat doc = beta ? samples::make_beta_document(31, levels, all_bytes)
                                        : samples::make_console_document(31, levels, all_bytes);
            const auto bytes = samples::file_bytes(doc);
            const json j = document_to_json(parse_script(bytes));
            EXPECT_EQ(j["layout"], beta ? "playstation-beta" : "playstation");
            EXPECT_EQ(j.contains("special_strings"), beta);
            if (beta) {
                ASSERT_EQ(j["secret_strings"].size(), 4u);
                ASSERT_EQ(j["special_strings"].size(), 2u);
                for (int n = 0; n < 6; ++n)  // Secret 1 .. Special 2
                    EXPECT_EQ(j[n < 4 ? "secret_strings" : "special_strings"][n % 4].size(), std::size_t(levels));
            }
            ASSERT_EQ(j["fmv_records"].size(), doc.movie_records.size());
            for (std::size_t i = 0; i < doc.movie_records.size(); ++i)
                EXPECT_EQ(j["fmv_records"][i], json({doc.movie_records[i].first, doc.movie_records[i].second}));
            EXPECT_EQ(through_json(parse_script(bytes)), bytes);
        }
    // A PC script's JSON names its layout and has no movie records; a JSON
    // file without "layout" is a PC script.
    const auto pc = samples::file_bytes(samples::make_document(31, 3));
    json j = document_to_json(parse_script(pc));
    EXPECT_EQ(j["layout"], "pc");
    EXPECT_FALSE(j.contains("fmv_records"));
    j.erase("layout");
    j["fmv_records"] = json::array();
    EXPECT_EQ(saved_image(document_from_json(j)), pc);

    // Through the commands, as a user would.
    scratch_dir dir;
    const auto console = samples::file_bytes(samples::make_console_document(32, 5, true));
    samples::write_file(dir / "in.dat", console);
    ASSERT_EQ(run_cli({"dump", dir / "in.dat", "-o", dir / "script.json"}).code, 0);
    result r = run_cli({"build", dir / "script.json", "-o", dir / "built.dat"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(samples::read_file(dir / "built.dat"), console);
}

// Files the editor opens but saves differently: build saves them as Save does.
TEST(JsonRoundTrip, FollowsSaveWhereSaveChangesTheFile) {
    Ttombpcdat doc = samples::make_document(11, 6);
    doc.cipher_byte = 0;  // coded and plain strings are then the same bytes
    std::vector<std::uint8_t> bytes = samples::file_bytes(doc);
    // Flags without 0x0100 and 0x0200 but with 0x0800 and "Demo Version".
    bytes[layout::kFlags] = 0x01;
    bytes[layout::kFlags + 1] = 0x08;
    const Ttombpcdat opened = parse_script(bytes);
    json j = document_to_json(opened);
    EXPECT_EQ(j["flags"]["value"], 0x0801);
    EXPECT_EQ(j["flags"]["Demo Version"], true);
    EXPECT_EQ(through_json(opened), editor_save(opened));
    EXPECT_NE(editor_save(opened), bytes);

    // Editing states the writer normalises: a slot missing, an empty slot, a
    // slot without "End of set", an operand that names no level.
    Ttombpcdat edited = opened;
    edited.scripts.pop_back();
    edited.scripts[1].command_count = 0;
    edited.scripts[2].command_count = 2;
    edited.scripts[2].commands[0] = {4, 999};
    edited.scripts[2].commands[1] = {10, 33};
    edited.script_count = static_cast<std::uint16_t>(edited.scripts.size());
    j = document_to_json(edited);
    EXPECT_TRUE(j["slots"][2][0]["name"].is_null());
    EXPECT_EQ(j["slots"][1], json::array());
    EXPECT_EQ(through_json(edited), editor_save(edited));
}

TEST(JsonRoundTrip, CommandsAreNamedWithoutTrailingBlanks) {
    Ttombpcdat doc = samples::make_document(5, 3);
    doc.scripts[1].command_count = 4;
    doc.scripts[1].commands[0] = {4, 2};
    doc.scripts[1].commands[1] = {6, cmd::kNoOperand};
    doc.scripts[1].commands[2] = {40, cmd::kNoOperand};
    doc.scripts[1].commands[3] = {9, cmd::kNoOperand};
    std::string text = json_text(document_to_json(doc));
    std::string level2 = json(codepage::bytes_to_utf8(doc.level_names.strings[2])).dump();
    EXPECT_NE(text.find("{\"command\": \"Play level\", \"code\": 4, \"operand\": 2, \"name\": " + level2 + "},"),
              std::string::npos);
    EXPECT_NE(text.find("{\"command\": \"Show level-completion display\", \"code\": 6},"), std::string::npos);
    EXPECT_NE(text.find("{\"command\": \"---UNKNOWN(40)\", \"code\": 40},"), std::string::npos);
    EXPECT_NE(text.find("{\"command\": \"End of set\", \"code\": 9}"), std::string::npos);
    EXPECT_EQ(through_json(doc), editor_save(doc));

    // Without a code, a unique name (with or without its blank) is enough.
    json j = json::parse(text);
    j["slots"][1][1].erase("code");
    j["slots"][1][3] = {{"command", "End of set "}};
    j["slots"][1][2] = {{"command", "---UNKNOWN(40)"}};
    EXPECT_EQ(document_from_json(j).scripts[1], document_from_json(json::parse(text)).scripts[1]);
}

TEST(JsonRoundTrip, ThroughTheExecutable) {
    scratch_dir dir;
    const std::vector<std::uint8_t> bytes = samples::file_bytes(samples::make_document(21, 7, true));
    samples::write_file(dir / "in.dat", bytes);  // as Save writes it

    result r = run_program(dir, {"dump", dir / "in.dat", "-o", dir / "script.json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(run_program(dir, {"dump", dir / "in.dat"}).out, slurp(dir / "script.json"));
    r = run_program(dir, {"build", dir / "script.json", "-o", dir / "built.dat"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(samples::read_file(dir / "built.dat"), bytes);
}

// The example of docs/json-format.md builds, and dumps back to itself.
TEST(JsonRoundTrip, DocumentedExampleBuilds) {
    const std::string markdown =
        slurp((std::filesystem::path(__FILE__).parent_path() / "../../docs/json-format.md").string());
    const std::string start = "<!-- example -->\n```json\n";
    const auto from = markdown.find(start);
    ASSERT_NE(from, std::string::npos);
    const std::string example = markdown.substr(from + start.size(), markdown.find("```", from + start.size()) -
                                                                         from - start.size());
    EXPECT_EQ(json_text(document_to_json(parse_script(saved_image(document_from_json(json::parse(example)))))),
              example);
}
