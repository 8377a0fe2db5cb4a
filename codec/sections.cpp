#include "codec/sections.h"

#include <vector>

namespace vellumark {

namespace {

// The header, the tables of the layout in its order, and wedged in before
// game strings 1 the slots, the demo list and, in the console layouts, the
// movie records.
std::vector<section> sections_of(script_layout layout) {
    std::vector<section> out{{section_kind::header}};
    for (const table_info& t : tables_of(layout)) {
        if (t.id == table_id::game_strings1) {
            out.push_back({section_kind::sequences});
            out.push_back({section_kind::demo_levels});
            if (has_movie_records(layout)) out.push_back({section_kind::movie_records});
        }
        out.push_back({section_kind::table, t.id});
    }
    return out;
}

}  // namespace

std::span<const section> file_sections(script_layout layout) {
    static const std::vector<section> pc = sections_of(script_layout::pc);
    static const std::vector<section> console = sections_of(script_layout::playstation);
    static const std::vector<section> beta = sections_of(script_layout::playstation_beta);
    switch (layout) {
    case script_layout::playstation: return console;
    case script_layout::playstation_beta: return beta;
    default: return pc;
    }
}

}  // namespace vellumark
