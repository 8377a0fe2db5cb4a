// Writes a generated script (no game file) to the file named on the command
// line: the real-size sample of about 20 levels for checks of the installed
// programs, or with --readable a small one with made-up readable names,
// movies, cut-scenes, demo levels and one movie that is not there, from which the game flow picture of the
// README and the manual is drawn.
#include <cstdio>
#include <cstring>
#include <exception>

#include "codec/commands.h"
#include "tests/samples/sample_scripts.h"

namespace {

using namespace vellumark;

void push(script_slot& slot, std::uint16_t code, std::uint16_t operand = cmd::kNoOperand) {
    slot.commands[std::size_t(slot.command_count++)] = {code, operand};
}

std::vector<std::uint8_t> readable_bytes() {
    Ttombpcdat doc = samples::make_document(7, 8);
    doc.level_names.strings = {"Training Yard", "Harbour Gate", "Old Mill",      "Salt Caves",
                               "Glass Tower",   "Sunken Hall",  "Lantern Pass", "The Vault"};
    doc.level_files.strings = {"DATA\\YARD.TR2", "DATA\\HARBOUR.TR2", "DATA\\MILL.TR2",  "DATA\\CAVES.TR2",
                               "DATA\\TOWER.TR2", "DATA\\HALL.TR2",   "DATA\\PASS.TR2", "DATA\\VAULT.TR2"};
    doc.pic_files.strings = {"PIX\\CHAPTER1.PCX", "PIX\\CHAPTER2.PCX", "PIX\\CHAPTER3.PCX"};
    doc.title_files.strings = {"DATA\\TITLE.TR2"};
    doc.fmv_files.strings = {"FMV\\LOGO.RPL", "FMV\\INTRO.RPL", "FMV\\FLIGHT.RPL", "FMV\\ENDING.RPL"};
    doc.cutscene_files.strings = {"DATA\\CUT1.TR2", "DATA\\CUT2.TR2"};
    doc.scripts.assign(9, script_slot{});
    script_slot& title = doc.scripts[0];
    push(title, cmd::kPlayFmv, 0);
    push(title, cmd::kPlaySoundtrack, 64);
    for (int level = 0; level < 8; ++level) {
        script_slot& s = doc.scripts[std::size_t(level + 1)];
        if (level == 1) push(s, cmd::kPlayFmv, 1);
        if (level == 1 || level == 4) push(s, cmd::kShowChapterScreen, level == 1 ? 0 : 1);
        push(s, cmd::kPlayLevel, std::uint16_t(level));
        push(s, cmd::kPlaySoundtrack, std::uint16_t(30 + level));
        if (level == 2 || level == 5) {
            push(s, cmd::kPrepareCutscenes, 16384);
            push(s, cmd::kPlayCutscene, level == 2 ? 0 : 1);
        }
        if (level == 3) {
            push(s, cmd::kGiveItem, 5);
            push(s, cmd::kGiveItem, 5);
            push(s, cmd::kGiveItem, 12);
        }
        if (level == 4) push(s, cmd::kLoseWeapons);
        if (level == 6) push(s, cmd::kPlayFmv, 2);
        if (level == 6) push(s, cmd::kPlayFmv, 9);  // no such movie: drawn in red
        if (level > 0) push(s, cmd::kNumberOfSecrets, 3);
        push(s, level == 7 ? cmd::kEndOfGame : cmd::kLevelComplete);
        if (level == 7) push(s, cmd::kPlayFmv, 3);
    }
    for (script_slot& s : doc.scripts) push(s, cmd::kEndOfSet);
    doc.script_count = std::uint16_t(doc.scripts.size());
    doc.demo_levels = {2, 5};
    return samples::file_bytes(doc);
}

}  // namespace

int main(int argc, char** argv) {
    const bool readable = argc == 3 && std::strcmp(argv[1], "--readable") == 0;
    if (argc != 2 && !readable) {
        std::fprintf(stderr, "usage: %s [--readable] FILE\n", argv[0]);
        return 2;
    }
    const char* path = argv[argc - 1];
    try {
        vellumark::samples::write_file(path, readable ? readable_bytes() : vellumark::samples::real_size_bytes());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", path, e.what());
        return 1;
    }
    return 0;
}
