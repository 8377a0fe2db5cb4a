// build refuses JSON that does not describe a storable script, names the
// place, and writes nothing.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "formats/json_form.h"
#include "cli_support.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using namespace vellumark::cli;
using namespace vellumark::json_form;
using namespace vellumark::cli::testing;

namespace {

// Four levels; the third command of slot 3 carries an operand.
json valid_json() {
    json j = document_to_json(samples::make_document(3, 4));
    j["slots"][3] = json::parse(R"([
        {"command": "Play level", "code": 4, "operand": 2},
        {"command": "Show level-completion display", "code": 6},
        {"command": "Play soundtrack", "code": 10, "operand": 33},
        {"command": "End of set", "code": 9}])");
    return j;
}

void write_text(const std::string& path, const std::string& text) {
    samples::write_file(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace

TEST(BadJson, RefusedWithItsPathAndNothingWritten) {
    // Each spoils the valid document; the message is the whole line on standard error.
    const std::pair<std::function<void(json&)>, std::string> cases[] = {
        {[](json& j) { j["header"]["version"] = "1"; }, "header.version: must be a whole number."},
        {[](json& j) { j["options"]["demo_time"] = 1.5; }, "options.demo_time: must be a whole number."},
        {[](json& j) { j["flags"]["Demo Version"] = 1; }, "flags[\"Demo Version\"]: must be true or false."},
        {[](json& j) { j["level_names"][1] = 5; }, "level_names[1]: must be a string."},
        {[](json& j) { j["header"] = json::array(); }, "header: must be an object."},
        {[](json& j) { j = json::array(); }, "(top level): must be an object."},
        {[](json& j) { j["header"]["reserved_e"] = "0000zz00"; },
         "header.reserved_e: must be 8 hexadecimal digits (4 bytes)"},
        {[](json& j) { j.erase("slots"); }, "slots: missing field."},
        {[](json& j) { j["header"].erase("cipher_byte"); }, "header.cipher_byte: missing field."},
        {[](json& j) { j["slots"][3][2].erase("operand"); }, "slots[3][2].operand: missing field."},
        {[](json& j) { j["levels"] = json::array(); }, "levels: unknown field."},
        {[](json& j) { j["flags"]["Demo version"] = true; }, "flags[\"Demo version\"]: unknown field."},
        {[](json& j) { j["format"] = "tr2-script"; }, "format: must be \"vellumark-script\""},
        {[](json& j) { j["slots"][3][1] = {{"command", "Jump"}}; },
         "slots[3][1].command: unknown command name \"Jump\""},
        {[](json& j) { j["slots"][3][0]["code"] = 5; },
         "slots[3][0].command: \"Play level\" is not the name of command 5 (\"Play CutScene\")"},
        {[](json& j) { j["slots"][3][1] = {{"command", "---UNKNOWN"}}; },
         "slots[3][1].command: \"---UNKNOWN\" names the commands 0, 1, 2, 8, 13; give the \"code\" as well."},
        {[](json& j) { j["slots"][3][1]["operand"] = 1; }, "slots[3][1].operand: command 6 carries no operand."},
        {[](json& j) { j["slots"][3].push_back({{"command", "Play level"}, {"operand", 1}}); },
         "slots[3][4]: follows \"End of set\", which ends the slot."},
        {[](json& j) { j["slots"][3] = json(std::vector<json>(65, {{"code", 6}})); },
         "slots[3]: has 65 commands; a slot holds at most 64."},
        {[](json& j) { j["slots"][3] = json(std::vector<json>(64, {{"code", 6}})); },
         "slots[3]: holds 64 commands without \"End of set\"; there is no room to end it."},
        {[](json& j) { j["level_names"][0] = "Great Wall \u4e2d"; },
         "level_names[0]: holds the character U+4E2D, which the script's code page (windows-1252) cannot store."},
        {[](json& j) { j["codepage"] = "windows-1251"; j["level_names"][0] = "\u0141\u00f3d\u017a"; },
         "level_names[0]: holds the character U+0141, which the script's code page (windows-1251) cannot store."},
        {[](json& j) { j["codepage"] = "koi8-r"; },
         "codepage: must name a code page from windows-1250 to windows-1258."},
        {[](json& j) { j["key_strings"][2][1] = std::string("a\0b", 3); },
         "key_strings[2][1]: holds a NUL character, which would end the stored string."},
        {[](json& j) { j["game_strings2"][40] = std::string(256, 'x'); },
         "game_strings2[40]: is 256 characters long; a stored string holds at most 255."},
        {[](json& j) { j["slots"][3][2]["operand"] = 70000; },
         "slots[3][2].operand: 70000 is out of range (0 to 65535)"},
        {[](json& j) { j["header"]["cipher_byte"] = -1; }, "header.cipher_byte: -1 is out of range (0 to 255)"},
        {[](json& j) { j["options"]["title_sound_id"] = 40000; },
         "options.title_sound_id: 40000 is out of range (-32768 to 32767)"},
        {[](json& j) { j["options"]["first_option"] = 4294967296ULL; },
         "options.first_option: 4294967296 is out of range (-2147483648 to 2147483647)"},
        {[](json& j) { j["demo_levels"] = {0, 4}; }, "demo_levels[1]: 4 is out of range (0 to 3)"},
        {[](json& j) { j["level_files"].erase(3); }, "level_files: has 3 entries; it needs one per level (4)"},
        {[](json& j) { j["key_strings"][9].erase(0); }, "key_strings[9]: has 3 entries; it needs one per level (4)"},
        {[](json& j) { j["game_strings2"].erase(0); }, "game_strings2: has 40 entries; it always has 41."},
        {[](json& j) { j["header"]["pic_count"] = 99; },
         "header.pic_count: 99 does not match the " + std::to_string(valid_json()["pic_files"].size()) +
             " entries of pic_files."},
        {[](json& j) { j["flags"]["value"] = 0x0300 | 0x0400; j["flags"]["Select Any Level"] = false; },
         "flags.value: 1792 does not agree with the flags named beside it."},
        {[](json& j) { j["game_strings1"] = json(std::vector<json>(300, std::string(250, 'g'))); },
         "game_strings1: takes 75300 bytes stored; a table holds at most 65535."},
        {[](json& j) { j["layout"] = "psx"; }, "layout: must be \"pc\", \"playstation\" or \"playstation-beta\""},
        {[](json& j) { j["special_strings"] = json::array(); },
         "special_strings: only a \"playstation-beta\" script has these tables."},
        {[](json& j) {
             j["layout"] = "playstation-beta";
             j["fmv_records"] = json(std::vector<json>(j["fmv_files"].size(), {1, 0}));
             j["game_strings2"] = json(std::vector<json>(79, "s"));
             j["secret_strings"] = json(std::vector<json>(4, j["key_strings"][0]));
             j["special_strings"] = json(std::vector<json>(1, j["key_strings"][0]));
         },
         "special_strings: has 1 tables; there are always 2."},
        {[](json& j) {
             j["layout"] = "playstation-beta";
             j["fmv_records"] = json(std::vector<json>(j["fmv_files"].size(), {1, 0}));
             j["game_strings2"] = json(std::vector<json>(80, "s"));
             j["secret_strings"] = json(std::vector<json>(4, j["key_strings"][0]));
             j["special_strings"] = json(std::vector<json>(2, j["key_strings"][0]));
         },
         "game_strings2: has 80 entries; the PlayStation beta layout always has 79."},
        {[](json& j) {
             j["layout"] = "playstation";
             j["fmv_records"] = json(std::vector<json>(j["fmv_files"].size(), {1, 0}));
         },
         "game_strings2: has 41 entries; the PlayStation layout always has 80."},
        {[](json& j) {
             j["layout"] = "playstation";
             j["game_strings2"] = json(std::vector<json>(80, "s"));
         },
         "fmv_records: has 0 records; the PlayStation layout needs one per movie (" +
             std::to_string(valid_json()["fmv_files"].size()) + ")"},
        {[](json& j) { j["fmv_records"] = json::array({json::array({1, 2})}); }, "fmv_records: has 1 records; the PC layout holds none."},
        {[](json& j) { j["fmv_records"] = json::array({json::array({1, 2}), json::array({3})}); }, "fmv_records[1]: must be an array of two numbers."},
        {[](json& j) { j["fmv_records"] = json::array({json::array({1, 4294967296ULL})}); },
         "fmv_records[0][1]: 4294967296 is out of range (0 to 4294967295)"},
    };
    scratch_dir dir;
    const std::string in = dir / "in.json", out = dir / "out.dat", kept = dir / "kept.dat";
    write_text(in, json_text(valid_json()));
    ASSERT_EQ(run_cli({"build", in, "-o", out}).code, 0);
    std::filesystem::remove(out);
    const std::vector<std::uint8_t> old_bytes = {'o', 'l', 'd'};
    samples::write_file(kept, old_bytes);

    const auto expect_refused = [&](const std::string& text, const std::string& message) {
        SCOPED_TRACE(message);
        write_text(in, text);
        result r = run_cli({"build", in, "-o", out});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, message + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_EQ(run_cli({"build", in, "-o", kept}).code, 1);
        EXPECT_EQ(samples::read_file(kept), old_bytes);
    };
    for (const auto& [spoil, message] : cases) {
        json j = valid_json();
        spoil(j);
        expect_refused(j.dump(2), message);
    }
    // What only the text can hold: a member given twice, an integer past 64 bits.
    const auto edited = [text = json_text(valid_json())](const std::string& from, const std::string& to) {
        std::string t = text;
        return t.replace(t.find(from), from.size(), to);
    };
    expect_refused(edited("\"cipher_byte\": ", "\"cipher_byte\": 1, \"cipher_byte\": "),
                   "header.cipher_byte: duplicate field.");
    expect_refused(edited("\"format_version\": 1", "\"format_version\": 1000000000000000000000000000000"),
                   "format_version: 1e+30 is out of range (1 to 1)");
    // Only the two named files were ever in the folder: no temporary left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    // Broken JSON, and no JSON file.
    write_text(in, "{\n\"a\":");
    result r = run_cli({"build", in, "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("parse error at line 2, column 5: ", 0), 0u) << r.err;
    r = run_cli({"build", dir / "missing.json", "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "File not found.\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(BadJson, AnOversizedArrayIsRefusedBeforeItFillsMemory) {
    // Three million empty slots: 12 MB of text.
    json j = valid_json();
    j["slots"] = json::array();
    std::string text = j.dump(), slots = "[";
    for (int i = 0; i < 3000000; ++i) slots += i ? ", []" : "[]";
    text.replace(text.find("\"slots\":[]") + 8, 2, slots + "]");
    scratch_dir dir;
    write_text(dir / "in.json", text);
    const result r = run_program(dir, {"build", dir / "in.json", "-o", dir / "out.dat"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "slots: has 3000000 slots; at most 65535 fit.\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.dat"));
#if defined(__SANITIZE_ADDRESS__)
    std::printf("[ note     ] built with AddressSanitizer: peak memory not measured\n");
#else
    rusage children{};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &children), 0);
    EXPECT_LE(std::size_t(children.ru_maxrss) * 1024, 20 * text.size());
#endif
}

