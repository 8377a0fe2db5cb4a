#include "codec/commands.h"

namespace vellumark {

const std::array<std::string_view, kCommandNameCount> command_names = {
    "---UNKNOWN",
    "---UNKNOWN",
    "---UNKNOWN",
    "Play FMV file",
    "Play level",
    "Play CutScene",
    "Show level-completion display ",
    "Play demo level:",
    "---UNKNOWN",
    "End of set ",
    "Play soundtrack",
    "Lara starts out in motorboat?, ",
    "Show Chapter screen",
    "---UNKNOWN",
    "Lose your weapons ",
    "End of game ",
    "Prepare cutscenes?",
    "---UNKNOWN (one operand?)",
    "Give item",
    "Item-type 12 state to start level in ",
    "Number of secrets, TR2",
    "--UNKNOWN (no operands?)",
    "Lose your armmo and medipacks",
};

std::optional<table_id> named_table(std::uint16_t code) {
    switch (code) {
    case cmd::kPlayFmv: return table_id::fmv_files;
    case cmd::kPlayLevel: return table_id::level_names;
    case cmd::kPlayCutscene: return table_id::cutscene_files;
    case cmd::kShowChapterScreen: return table_id::pic_files;
    default: return std::nullopt;
    }
}

std::string format_command(const script_command& command, const Ttombpcdat& doc) {
    std::string line;
    if (command.command < kCommandNameCount)
        line = command_names[command.command];
    else
        line.append("---UNKNOWN(").append(std::to_string(command.command)).append(")");
    if (command.operand != cmd::kNoOperand) line.append(",").append(std::to_string(command.operand));

    if (const auto named = named_table(command.command)) {
        const auto& strings = table(doc, *named).strings;
        line += " (";
        line += command.operand < strings.size() ? strings[command.operand] : std::string("?");
        line += ")";
    }
    return line;
}

}  // namespace vellumark
