#include "codec/commands.h"

#include "codec/layout.h"

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

std::string format_command(const script_command& cmd, const listing_lookup& lookup) {
    std::string line;
    if (cmd.command < kCommandNameCount)
        line = command_names[cmd.command];
    else
        line.append("---UNKNOWN(").append(std::to_string(cmd.command)).append(")");
    if (cmd.operand != layout::kNoOperand) line.append(",").append(std::to_string(cmd.operand));

    int list = 0;
    switch (cmd.command) {
    case 3: list = 4; break;   // movie file name
    case 4: list = 1; break;   // level description
    case 5: list = 5; break;   // cut-scene file name
    case 12: list = 3; break;  // level picture name
    default: break;
    }
    if (list != 0) {
        std::string name;
        line += " (";
        line += lookup.row(list, cmd.operand, name) ? name : std::string("?");
        line += ")";
    }
    return line;
}

bool document_lookup::row(int list, int index, std::string& out) const {
    const list_strings* table = nullptr;
    switch (list) {
    case 1: table = &doc_.level_names; break;
    case 3: table = &doc_.pic_files; break;
    case 4: table = &doc_.fmv_files; break;
    case 5: table = &doc_.cutscene_files; break;
    default: return false;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= table->strings.size()) return false;
    out = table->strings[static_cast<std::size_t>(index)];
    return true;
}

}  // namespace vellumark
