#include "codec/tables.h"

#include <vector>

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

const std::array<table_info, kBetaKeyStringTables> kBetaTables = {{
    {key_table(10), "Secret 1", "secret_strings", true},
    {key_table(11), "Secret 2", "secret_strings", true},
    {key_table(12), "Secret 3", "secret_strings", true},
    {key_table(13), "Secret 4", "secret_strings", true},
    {key_table(14), "Special 1", "special_strings", true},
    {key_table(15), "Special 2", "special_strings", true},
}};

namespace {

// The beta's file: the four puzzle tables (Key Strings #1 to #4), its six,
// then the pickups and keys (#5 to #10).
std::vector<table_info> beta_file_order() {
    std::vector<table_info> all;
    for (const table_info& t : kTables) {
        all.push_back(t);
        if (t.id == key_table(3)) all.insert(all.end(), kBetaTables.begin(), kBetaTables.end());
    }
    return all;
}

}  // namespace

std::span<const table_info> tables_of(script_layout layout) {
    if (layout != script_layout::playstation_beta) return kTables;
    static const std::vector<table_info> beta = beta_file_order();
    return beta;
}

int member_index(table_id id) {
    int index = 0;
    while (index < key_index(id) && info(key_table(key_index(id) - index - 1)).json == info(id).json) ++index;
    return index;
}

std::string json_path(table_id id) {
    std::string path(info(id).json);
    if (!is_key_table(id)) return path;
    return path.append("[").append(std::to_string(member_index(id))).append("]");
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
    default: {
        const auto k = static_cast<std::size_t>(key_index(id));
        return k < doc.key_strings.size() ? doc.key_strings[k] : doc.beta_key_strings[k - doc.key_strings.size()];
    }
    }
}

list_strings& table(Ttombpcdat& doc, table_id id) {
    return const_cast<list_strings&>(table(static_cast<const Ttombpcdat&>(doc), id));
}

}  // namespace vellumark
