// Command codes, their names, and the one-line listing of a script command.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codec/tables.h"
#include "codec/tombpcdat.h"

namespace vellumark {

// The command codes the program knows by meaning. Codes 0, 1, 2, 8, 13, 17
// and 21 are named "---UNKNOWN..." in the command table.
namespace cmd {
inline constexpr std::uint16_t kPlayFmv = 3;
inline constexpr std::uint16_t kPlayLevel = 4;
inline constexpr std::uint16_t kPlayCutscene = 5;
inline constexpr std::uint16_t kLevelComplete = 6;
inline constexpr std::uint16_t kPlayDemoLevel = 7;
inline constexpr std::uint16_t kEndOfSet = 9;  // ends a sequence in the file
inline constexpr std::uint16_t kPlaySoundtrack = 10;
inline constexpr std::uint16_t kMotorboat = 11;
inline constexpr std::uint16_t kShowChapterScreen = 12;
inline constexpr std::uint16_t kLoseWeapons = 14;
inline constexpr std::uint16_t kEndOfGame = 15;
inline constexpr std::uint16_t kPrepareCutscenes = 16;
inline constexpr std::uint16_t kGiveItem = 18;
inline constexpr std::uint16_t kItemState = 19;
inline constexpr std::uint16_t kNumberOfSecrets = 20;
inline constexpr std::uint16_t kLoseAmmo = 22;

inline constexpr std::uint16_t kNoOperand = 0xFFFF;

// Whether a command word is followed by an operand word in the file.
inline constexpr bool carries_operand(std::uint16_t code) {
    switch (code) {
    case 3: case 4: case 5: case 7: case 10: case 12:
    case 16: case 17: case 18: case 19: case 20:
        return true;
    default:
        return false;
    }
}
}  // namespace cmd

// A slot holding "End of set" alone: an empty slot as the file stores it,
// and the slot of a new level.
inline script_slot end_of_set_slot() {
    script_slot slot;
    slot.command_count = 1;
    slot.commands[0] = {cmd::kEndOfSet, cmd::kNoOperand};
    return slot;
}

inline constexpr int kCommandNameCount = 23;

// Index = command number. Trailing blanks are part of the names.
extern const std::array<std::string_view, kCommandNameCount> command_names;

// The table whose entry a command's operand names, for the four commands
// whose listing shows that entry: movies, levels, cut-scenes, pictures.
std::optional<table_id> named_table(std::uint16_t code);

// The listing line of one command, in script bytes:
//   name[,operand][ (looked-up name)]
// A command number outside the table lists as "---UNKNOWN(n)"; a looked-up
// name that is missing shows as "(?)". Names are looked up in doc.
std::string format_command(const script_command& command, const Ttombpcdat& doc);

}  // namespace vellumark
