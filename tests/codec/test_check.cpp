// The problems of a script: a generated one has none, and each planted
// problem is found exactly, at its place.
#include <gtest/gtest.h>

#include <functional>

#include "codec/check.h"
#include "codec/commands.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;

TEST(Problems, GeneratedScriptsHaveNone) {
    for (unsigned seed = 1; seed <= 30; ++seed)
        for (int levels : {0, 1, 5, 20}) {
            for (const auto& doc : {samples::make_document(seed, levels, seed % 2 == 0),
                                    samples::make_console_document(seed, levels, seed % 2 == 0)}) {
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
        {[&](Ttombpcdat& d) { command(d, 0, 0, {cmd::kPlayLevel, 25}); }, "slot 0, line 1",
         "Play level 25 names no level (the script has 6 levels)"},
        {[&](Ttombpcdat& d) { command(d, 0, 0, {cmd::kPlayDemoLevel, 6}); }, "slot 0, line 1",
         "Play demo level 6 names no level (the script has 6 levels)"},
        {[&](Ttombpcdat& d) { command(d, 2, 0, {cmd::kPlayFmv, 2}); }, "slot 2, line 1",
         "Play FMV file 2 names no movie (the script has 2 movies)"},
        {[&](Ttombpcdat& d) { command(d, 0, 0, {cmd::kPlayCutscene, 1}); }, "slot 0, line 1",
         "Play CutScene 1 names no cut-scene (the script has 1 cut-scene)"},
        {[&](Ttombpcdat& d) { command(d, 5, 0, {cmd::kShowChapterScreen, 4}); }, "slot 5, line 1",
         "Show Chapter screen 4 names no picture (the script has 4 pictures)"},
        {[&](Ttombpcdat& d) { command(d, 3, plays(d, 3), {cmd::kLevelComplete, 0xFFFF}); }, "slot 3",
         "The slot of level 2 has no \"Play level\" or \"Play demo level:\""},
        {[&](Ttombpcdat& d) { command(d, 3, plays(d, 3), {cmd::kPlayLevel, 4}); },
         "slot 3, line " + std::to_string(plays(base, 3) + 1),
         "Play level 4 names another level than the slot's own level 2"},
        {[](Ttombpcdat& d) { d.key_strings[2].strings.insert(d.key_strings[2].strings.end(), {"x", "", "y", ""}); },
         "Key Strings #3, line 7", "Key Strings #3 has 10 lines but the script has 6 levels; a save drops lines 7 to 9"},
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
