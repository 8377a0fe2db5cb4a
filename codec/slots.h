// Editing the commands of one script slot. A slot holds at most
// kSlotCapacity (64) commands; the first command_count are in use.
#pragma once

#include "codec/tombpcdat.h"

namespace vellumark {

// The refusal of a command added to a full slot.
inline constexpr const char* kSlotFullMessage = "A script slot holds at most 64 commands.";

// The commands in use: command_count, 0 for an empty slot, at most 64.
int used_commands(const script_slot& slot);

// Each throws script_error and leaves the slot as it was when it cannot be
// done: a line that is not in use, or a command added to a full slot
// (kSlotFullMessage).
//
// `command` goes in before line `at` (0 to the commands in use); the lines
// from `at` on move down by one.
void insert_command(script_slot& slot, int at, const script_command& command);
// The lines after `line` move up by one; the freed place is cleared.
void remove_command(script_slot& slot, int line);
void replace_command(script_slot& slot, int line, const script_command& command);

}  // namespace vellumark
