// build refuses JSON that does not describe a storable script, names the
// place, and writes nothing.
#include <gtest/gtest.h>

#include <functional>

#include "cli/json_format.h"
#include "cli_support.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using namespace vellumark::cli;
using namespace vellumark::cli::testing;

namespace {

struct bad_case {
    const char* what;
    std::function<void(json&)> spoil;
    std::string message;  // the whole line on standard error, without its line feed
};

json valid_json() {
    // Four levels; slot 3 is rewritten so that its third command carries an operand.
    json j = document_to_json(samples::make_document(3, 4));
    j["slots"][3] = json::parse(R"([
        {"command": "Play level", "code": 4, "operand": 2},
        {"command": "Show level-completion display", "code": 6},
        {"command": "Play soundtrack", "code": 10, "operand": 33},
        {"command": "End of set", "code": 9}])");
    return j;
}

std::vector<bad_case> bad_cases() {
    return {
        // wrong type
        {"string for a number", [](json& j) { j["header"]["version"] = "1"; },
         "header.version: must be a whole number."},
        {"fraction", [](json& j) { j["options"]["demo_time"] = 1.5; },
         "options.demo_time: must be a whole number."},
        {"number for a flag", [](json& j) { j["flags"]["Demo Version"] = 1; },
         "flags[\"Demo Version\"]: must be true or false."},
        {"number for a string", [](json& j) { j["level_names"][1] = 5; }, "level_names[1]: must be a string."},
        {"array for the header", [](json& j) { j["header"] = json::array(); }, "header: must be an object."},
        {"not an object", [](json& j) { j = json::array(); }, "(top level): must be an object."},
        {"bad hex", [](json& j) { j["header"]["reserved_e"] = "0000zz00"; },
         "header.reserved_e: must be 8 hexadecimal digits (4 bytes)"},
        // missing and unknown fields
        {"missing table", [](json& j) { j.erase("slots"); }, "slots: missing field."},
        {"missing header field", [](json& j) { j["header"].erase("cipher_byte"); }, "header.cipher_byte: missing field."},
        {"missing operand", [](json& j) { j["slots"][3][2].erase("operand"); }, "slots[3][2].operand: missing field."},
        {"unknown field", [](json& j) { j["levels"] = json::array(); }, "levels: unknown field."},
        {"misspelt flag", [](json& j) { j["flags"]["Demo version"] = true; },
         "flags[\"Demo version\"]: unknown field."},
        {"wrong format", [](json& j) { j["format"] = "tr2-script"; }, "format: must be \"vellumark-script\""},
        // commands
        {"unknown command name", [](json& j) { j["slots"][3][1] = {{"command", "Jump"}}; },
         "slots[3][1].command: unknown command name \"Jump\""},
        {"name of another code", [](json& j) { j["slots"][3][0]["code"] = 5; },
         "slots[3][0].command: \"Play level\" is not the name of command 5 (\"Play CutScene\")"},
        {"ambiguous name", [](json& j) { j["slots"][3][1] = {{"command", "---UNKNOWN"}}; },
         "slots[3][1].command: \"---UNKNOWN\" names the commands 0, 1, 2, 8, 13; give the \"code\" as well."},
        {"operand on a command without one", [](json& j) { j["slots"][3][1]["operand"] = 1; },
         "slots[3][1].operand: command 6 carries no operand."},
        {"command after End of set", [](json& j) { j["slots"][3].push_back({{"command", "Play level"}, {"operand", 1}}); },
         "slots[3][4]: follows \"End of set\", which ends the slot."},
        {"65 commands", [](json& j) { j["slots"][3] = json(std::vector<json>(65, {{"code", 6}})); },
         "slots[3]: has 65 commands; a slot holds at most 64."},
        {"64 commands without End of set", [](json& j) { j["slots"][3] = json(std::vector<json>(64, {{"code", 6}})); },
         "slots[3]: holds 64 commands without \"End of set\"; there is no room to end it."},
        // code page and string length
        {"character outside the code page", [](json& j) { j["level_names"][0] = "Great Wall \u4e2d"; },
         "level_names[0]: holds the character U+4E2D, which the script's code page (windows-1252) cannot store."},
        {"NUL character", [](json& j) { j["key_strings"][2][1] = std::string("a\0b", 3); },
         "key_strings[2][1]: holds a NUL character, which would end the stored string."},
        {"256 characters", [](json& j) { j["game_strings2"][40] = std::string(256, 'x'); },
         "game_strings2[40]: is 256 characters long; a stored string holds at most 255."},
        // values out of range
        {"operand over 16 bits", [](json& j) { j["slots"][3][2]["operand"] = 70000; },
         "slots[3][2].operand: 70000 is out of range (0 to 65535)"},
        {"negative byte", [](json& j) { j["header"]["cipher_byte"] = -1; },
         "header.cipher_byte: -1 is out of range (0 to 255)"},
        {"sound id over 16 bits", [](json& j) { j["options"]["title_sound_id"] = 40000; },
         "options.title_sound_id: 40000 is out of range (-32768 to 32767)"},
        {"option over 32 bits", [](json& j) { j["options"]["first_option"] = 4294967296ULL; },
         "options.first_option: 4294967296 is out of range (-2147483648 to 2147483647)"},
        {"demo level past the levels", [](json& j) { j["demo_levels"] = {0, 4}; },
         "demo_levels[1]: 4 is out of range (0 to 3)"},
        // tables that do not fit together
        {"level files short", [](json& j) { j["level_files"].erase(3); },
         "level_files: has 3 entries; it needs one per level (4)"},
        {"key strings short", [](json& j) { j["key_strings"][9].erase(0); },
         "key_strings[9]: has 3 entries; it needs one per level (4)"},
        {"40 game strings", [](json& j) { j["game_strings2"].erase(0); },
         "game_strings2: has 40 entries; it always has 41."},
        {"count disagrees", [](json& j) { j["header"]["pic_count"] = 99; },
         "header.pic_count: 99 does not match the " + std::to_string(valid_json()["pic_files"].size()) +
             " entries of pic_files."},
        {"flags value disagrees", [](json& j) {
             j["flags"]["value"] = 0x0300 | 0x0400;
             j["flags"]["Select Any Level"] = false;
         },
         "flags.value: 1792 does not agree with the flags named beside it."},
        {"table over 65535 bytes", [](json& j) { j["game_strings1"] = json(std::vector<json>(300, std::string(250, 'g'))); },
         "game_strings1: takes 75300 bytes stored; a table holds at most 65535."},
    };
}

}  // namespace

TEST(BadJson, RefusedWithItsPathAndNothingWritten) {
    scratch_dir dir;
    const std::string in = dir / "in.json", out = dir / "out.dat", kept = dir / "kept.dat";
    // The valid document builds.
    {
        std::string text = json_text(valid_json());
        samples::write_file(in, std::vector<std::uint8_t>(text.begin(), text.end()));
        result ok = run_cli({"build", in, "-o", out});
        ASSERT_EQ(ok.code, 0) << ok.err;
        std::filesystem::remove(out);
    }
    const std::vector<std::uint8_t> old_bytes = {'o', 'l', 'd'};
    samples::write_file(kept, old_bytes);

    for (const bad_case& c : bad_cases()) {
        SCOPED_TRACE(c.what);
        json j = valid_json();
        c.spoil(j);
        std::string text = j.dump(2);
        samples::write_file(in, std::vector<std::uint8_t>(text.begin(), text.end()));

        result r = run_cli({"build", in, "-o", out});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, c.message + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(std::filesystem::exists(out));

        result over = run_cli({"build", in, "-o", kept});
        EXPECT_EQ(over.code, 1);
        EXPECT_EQ(samples::read_file(kept), old_bytes);
    }
    // Only the two named files were ever in the folder: no temporary left.
    std::size_t files = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2u);
}

TEST(BadJson, SyntaxErrorsAndUnreadableFiles) {
    scratch_dir dir;
    const std::string in = dir / "in.json", out = dir / "out.dat";
    samples::write_file(in, {'{', '\n', '"', 'a', '"', ':'});
    result r = run_cli({"build", in, "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("parse error at line 2, column 5: ", 0), 0u) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));

    r = run_cli({"build", dir / "missing.json", "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "File not found.\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}
