#include "codec/slots.h"

#include <algorithm>
#include <string>

#include "codec/errors.h"

namespace vellumark {

namespace {

void check_line(const script_slot& slot, int line, bool may_be_end = false) {
    const int used = used_commands(slot);
    if (line >= 0 && (line < used || (may_be_end && line == used))) return;
    throw script_error("Line " + std::to_string(line) + " does not exist (the slot holds " + std::to_string(used) +
                       (used == 1 ? " command)" : " commands)"));
}

}  // namespace

int used_commands(const script_slot& slot) { return std::clamp<int>(slot.command_count, 0, kSlotCapacity); }

void insert_command(script_slot& slot, int at, const script_command& command) {
    const int used = used_commands(slot);
    if (used >= kSlotCapacity) throw script_error(kSlotFullMessage);
    check_line(slot, at, true);
    const auto first = slot.commands.begin();
    std::move_backward(first + at, first + used, first + used + 1);
    slot.commands[std::size_t(at)] = command;
    slot.command_count = static_cast<std::int16_t>(used + 1);
}

void remove_command(script_slot& slot, int line) {
    check_line(slot, line);
    const int used = used_commands(slot);
    const auto first = slot.commands.begin();
    std::move(first + line + 1, first + used, first + line);
    slot.commands[std::size_t(used - 1)] = script_command{};
    slot.command_count = static_cast<std::int16_t>(used - 1);
}

void replace_command(script_slot& slot, int line, const script_command& command) {
    check_line(slot, line);
    slot.commands[std::size_t(line)] = command;
}

}  // namespace vellumark
