#include "codec/tables.h"

namespace vellumark {

const std::array<table_info, kTableCount> kTables = {{
    {table_id::level_names, "Level's Description", "level_names", true},
    {table_id::pic_files, "Level's Pic file Names", "pic_files", false},
    {table_id::title_files, "Titles and legal file names", "title_files", false},
    {table_id::fmv_files, "RPLs File Names", "fmv_files", false},
    {table_id::level_files, "Level's File Names", "level_files", true},
    {table_id::cutscene_files, "Cut Scene File names", "cutscene_files", false},
    {table_id::game_strings1, "Game String 1", "game_strings1", false},
    {table_id::game_strings2, "Game String 2", "game_strings2", false},
    {key_table(0), "Key Strings #1", "key_strings", true},
    {key_table(1), "Key Strings #2", "key_strings", true},
    {key_table(2), "Key Strings #3", "key_strings", true},
    {key_table(3), "Key Strings #4", "key_strings", true},
    {key_table(4), "Key Strings #5", "key_strings", true},
    {key_table(5), "Key Strings #6", "key_strings", true},
    {key_table(6), "Key Strings #7", "key_strings", true},
    {key_table(7), "Key Strings #8", "key_strings", true},
    {key_table(8), "Key Strings #9", "key_strings", true},
    {key_table(9), "Key Strings #10", "key_strings", true},
}};

std::string json_path(table_id id) {
    std::string path(info(id).json);
    if (is_key_table(id)) path.append("[").append(std::to_string(key_index(id))).append("]");
    return path;
}

const list_strings& table(const Ttombpcdat& doc, table_id id) {
    switch (id) {
    case table_id::level_names: return doc.level_names;
    case table_id::pic_files: return doc.pic_files;
    case table_id::title_files: return doc.title_files;
    case table_id::fmv_files: return doc.fmv_files;
    case table_id::level_files: return doc.level_files;
    case table_id::cutscene_files: return doc.cutscene_files;
    case table_id::game_strings1: return doc.game_strings1;
    case table_id::game_strings2: return doc.game_strings2;
    default: return doc.key_strings[static_cast<std::size_t>(key_index(id))];
    }
}

list_strings& table(Ttombpcdat& doc, table_id id) {
    return const_cast<list_strings&>(table(static_cast<const Ttombpcdat&>(doc), id));
}

}  // namespace vellumark
