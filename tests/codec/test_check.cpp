// The problems of a script: a generated one has none, each planted problem
// is found exactly, at its place, and so is each repair of a file read.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "codec/check.h"
#include "codec/commands.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "codec/sections.h"
#include "codec/tables.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;

TEST(Problems, GeneratedScriptsHaveNone) {
    for (unsigned seed = 1; seed <= 30; ++seed)
        for (int levels : {0, 1, 5, 20}) {
            for (const auto& doc : {samples::make_document(seed, levels, seed % 2 == 0),
                                    samples::make_console_document(seed, levels, seed % 2 == 0),
                                    samples::make_beta_document(seed, levels, seed % 2 == 0)}) {
                const auto found = check_script(doc);
                EXPECT_TRUE(found.empty()) << "seed " << seed << ", " << levels << " levels: " << found.front().message;
            }
        }
    EXPECT_TRUE(check_script(parse_script(samples::near_limit_bytes())).empty());

    // Bytes after the last table: a save drops them.
    auto bytes = samples::real_size_bytes();
    bytes.insert(bytes.end(), {1, 2, 3});
    const auto found = check_script(parse_script(bytes));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].level, severity::warning);
    EXPECT_EQ(found[0].message,
              "3 bytes after the last key-string table are not part of the script; a save will not keep them.");
}

TEST(Problems, EachPlantedWarningIsFoundAtItsPlace) {
    // Six levels, four pictures, two movies, one cut-scene.
    Ttombpcdat base = samples::make_document(4, 6);
    base.pic_files.strings.resize(4);
    base.fmv_files.strings.resize(2);
    base.cutscene_files.strings.resize(1);
    base.game_strings1.strings.resize(89);
    for (auto& slot : base.scripts)  // no operand past the shorter lists
        for (auto& c : slot.commands)
            if (c.command == cmd::kPlayFmv || c.command == cmd::kShowChapterScreen) c = {cmd::kPlaySoundtrack, 1};
    ASSERT_TRUE(check_script(base).empty());
    const auto command = [](Ttombpcdat& d, int slot, int line, script_command c) {
        d.scripts[std::size_t(slot)].commands[std::size_t(line)] = c;
    };
    const auto plays = [](const Ttombpcdat& d, int slot) {  // the line of the slot's "Play level"
        for (int i = 0;; ++i)
            if (d.scripts[std::size_t(slot)].commands[std::size_t(i)].command == cmd::kPlayLevel) return i;
    };
    const struct {
        std::function<void(Ttombpcdat&)> plant;
        std::string place, message;
    } cases[] = {
        {[&](Ttombpcdat& d) { command(d, 0, 0, {cmd::kPlayLevel, 25}); }, "slot 0, command 1",
         "Play level 25 names no level (the script has 6 levels)"},
        {[&](Ttombpcdat& d) { command(d, 0, 0, {cmd::kPlayDemoLevel, 6}); }, "slot 0, command 1",
         "Play demo level 6 names no level (the script has 6 levels)"},
        {[&](Ttombpcdat& d) { command(d, 2, 0, {cmd::kPlayFmv, 2}); }, "slot 2, command 1",
         "Play FMV file 2 names no movie (the script has 2 movies)"},
        {[&](Ttombpcdat& d) { command(d, 0, 0, {cmd::kPlayCutscene, 1}); }, "slot 0, command 1",
         "Play CutScene 1 names no cut-scene (the script has 1 cut-scene)"},
        {[&](Ttombpcdat& d) { command(d, 5, 0, {cmd::kShowChapterScreen, 4}); }, "slot 5, command 1",
         "Show Chapter screen 4 names no picture (the script has 4 pictures)"},
        {[&](Ttombpcdat& d) { command(d, 3, plays(d, 3), {cmd::kLevelComplete, 0xFFFF}); }, "slot 3",
         "The slot of level 2 has no \"Play level\" or \"Play demo level:\""},
        {[&](Ttombpcdat& d) { command(d, 3, plays(d, 3), {cmd::kPlayLevel, 4}); },
         "slot 3, command " + std::to_string(plays(base, 3) + 1),
         "Play level 4 names another level than the slot's own level 2"},
        {[](Ttombpcdat& d) { d.key_strings[2].strings.insert(d.key_strings[2].strings.end(), {"x", "", "y", ""}); },
         "Key Strings #3, level 6",
         "Key Strings #3 has 10 lines but the script has 6 levels; a save drops the lines of levels 6 to 8"},
        {[](Ttombpcdat& d) { d.game_strings1.strings.resize(90); }, "Game String 1",
         "Game String 1 has 90 entries; Tomb Raider II has 89 and Tomb Raider III 92"},
    };
    for (const auto& c : cases) {
        Ttombpcdat doc = base;
        c.plant(doc);
        const std::vector<problem> found = check_script(doc);
        ASSERT_EQ(found.size(), 1u) << c.message;
        EXPECT_EQ(found[0].level, severity::warning);
        EXPECT_EQ(place_text(found[0].where), c.place);
        EXPECT_EQ(found[0].message, c.message);
        EXPECT_NO_THROW(write_script_file(doc)) << "a save goes on with warnings";
    }
}

// Each value of a file that disagrees with what the file holds is named, at
// its place, as the file was read; a save writes what the strings and the
// commands say.
TEST(Problems, EachRepairIsNamedAsTheFileWasRead) {
    using bytes_t = std::vector<std::uint8_t>;
    Ttombpcdat made = samples::make_document(3, 4);
    made.cipher_byte = 0;  // coded and plain strings are the same bytes
    const bytes_t file = samples::file_bytes(made);
    const Ttombpcdat doc = parse_script(file);
    const auto put16 = [](bytes_t& b, std::size_t at, unsigned v) {
        b[at] = static_cast<std::uint8_t>(v);
        b[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    const auto changed = [&](std::size_t at, unsigned v) {
        bytes_t b = file;
        put16(b, at, v);
        return b;
    };
    const auto offset_at = [&](table_id id, std::size_t i) {
        return samples::size_word_at(doc, id) - 2 * (table(doc, id).offsets.size() - i);
    };
    const auto hex = [](unsigned v) {
        char s[8];
        std::snprintf(s, sizeof s, "0x%04X", v);
        return std::string(s);
    };
    const auto n = [](unsigned v) { return std::to_string(v); };
    const unsigned flags = doc.flags, block = doc.script_size;
    const std::size_t block_at = samples::section_at(doc, {section_kind::sequences}) + 2 * doc.script_offsets.size();

    // Strings stored plain, with a key in the header: a save codes them.
    bytes_t plain = changed(layout::kFlags, flags & ~0x0100u);
    plain[layout::kCipherByte] = 0x77;
    Ttombpcdat coded = made;
    coded.cipher_byte = 0x77;
    // The block ends before the last slot: a save adds one.
    bytes_t short_block = changed(block_at, doc.script_offsets.back());
    short_block.erase(short_block.begin() + std::ptrdiff_t(block_at + 2 + doc.script_offsets.back()),
                      short_block.begin() + std::ptrdiff_t(block_at + 2 + block));
    Ttombpcdat added = made;
    added.scripts.back() = end_of_set_slot();
    // Lines 2 to 4 of Key Strings #2 a few bytes off.
    bytes_t three = file;
    for (std::size_t i = 1; i <= 3; ++i)
        put16(three, offset_at(key_table(1), i), doc.key_strings[1].offsets[i] + 5u);

    const unsigned name2 = doc.level_names.offsets[2], line2 = doc.key_strings[1].offsets[1];
    const unsigned slot3 = doc.script_offsets[3];
    const struct {
        bytes_t file;
        std::string place, message;
        bytes_t saved;
    } cases[] = {
        {changed(layout::kFlags, flags | 0x1800), "",
         "the flags say " + hex(flags | 0x1800) + "; a save writes " + hex(flags), file},
        {plain, "", "the flags say " + hex(flags & ~0x0100u) + "; a save writes " + hex(flags) +
                        " and codes the strings with the key 0x77",
         samples::file_bytes(coded)},
        {changed(offset_at(table_id::level_names, 2), name2 + 1), "Level's Description, entry 2",
         "the offset of entry 2 of Level's Description says " + n(name2 + 1) + ", its strings put it at " + n(name2) +
             "; a save writes " + n(name2),
         file},
        {three, "Key Strings #2, level 1",
         "the offset of level 1 of Key Strings #2 says " + n(line2 + 5) + ", its strings put it at " + n(line2) +
             ", and 2 more disagree; a save writes them from the strings",
         file},
        {changed(block_at - 2 * doc.script_offsets.size() + 6, slot3 + 2), "slot 3",
         "the offset of slot 3 says " + n(slot3 + 2) + ", the commands put it at " + n(slot3) + "; a save writes " +
             n(slot3),
         file},
        {changed(block_at, block - 2), "slots",
         "the size of the script slots says " + n(block - 2) + " bytes, their commands take " + n(block) +
             "; a save writes " + n(block),
         file},
        {short_block, "slots",
         "the file has 4 script slots for the title and 4 levels; a save adds 1 holding only \"End of set\"",
         samples::file_bytes(added)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Ttombpcdat read = parse_script(c.file);
        const std::vector<problem> found = check_script(read);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].level, severity::warning);
        EXPECT_EQ(found[0].kind, problem_kind::repaired);
        EXPECT_EQ(place_text(found[0].where), c.place);
        EXPECT_EQ(found[0].message, c.message);
        EXPECT_EQ(read_notices(read).size(), 1u);
        EXPECT_EQ(write_script_file(read), c.saved);
        EXPECT_TRUE(read_notices(read).empty()) << "the saved record has nothing to repair";
    }
}

// Every place is named as the script counts it: levels (and so key-string
// lines) from 0 as "Play level,3" does, the commands of a slot from 1; a
// key-string line of a level that exists carries the level's name in the
// document's code page.
TEST(Problems, PlacesNameLevelsAsTheScriptCountsThem) {
    Ttombpcdat doc = samples::make_document(3, 5);
    doc.level_names.strings[4] = "Opera House";
    doc.level_names.strings[1] = "\xCE\xEF\xE5\xF0\xE0\nB";  // "Опера" and a line break in windows-1251
    const codepage::table& cyrillic = codepage::get(codepage::page::cp1251);
    using area = place::area;
    const struct {
        place where;
        const codepage::table* cp;
        std::string bare, named;
    } cases[] = {
        {{area::table, key_table(0), 4, -1}, nullptr, "Key Strings #1, level 4", "Key Strings #1, level 4 (Opera House)"},
        {{area::table, key_table(9), 1, -1}, &cyrillic, "Key Strings #10, level 1",
         "Key Strings #10, level 1 (\u041E\u043F\u0435\u0440\u0430\u240AB)"},
        {{area::table, key_table(2), 5, -1}, nullptr, "Key Strings #3, level 5", "Key Strings #3, level 5"},
        {{area::table, key_table(2), -1, -1}, nullptr, "Key Strings #3", "Key Strings #3"},
        {{area::table, table_id::level_names, 3, -1}, nullptr, "Level's Description, entry 3",
         "Level's Description, entry 3"},
        {{area::slot, table_id::level_names, 5, 2}, nullptr, "slot 5, command 3", "slot 5, command 3"},
        {{area::slot, table_id::level_names, 5, -1}, nullptr, "slot 5", "slot 5"},
        {{area::demo_levels, table_id::level_names, 2, -1}, nullptr, "demo level entry 2", "demo level entry 2"},
        {{}, nullptr, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bare);
        EXPECT_EQ(place_text(c.where), c.bare);
        EXPECT_EQ(place_text(c.where, doc, c.cp), c.named);
    }
    EXPECT_EQ(key_line_text(doc, 0, 4, nullptr), "Key Strings #1, level 4 (Opera House)");

    // The messages count the same way.
    doc.key_strings[3].strings[2] = std::string(256, 'k');
    doc.key_strings[3].strings.resize(7, "x");
    const std::vector<problem> found = check_script(doc);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].message, "Key Strings #4, level 2 is longer than 255 characters and cannot be saved");
    EXPECT_EQ(found[1].message,
              "Key Strings #4 has 7 lines but the script has 5 levels; a save drops the lines of levels 5 to 6");
    EXPECT_EQ(place_text(found[1].where, doc, nullptr), "Key Strings #4, level 5");
}
