#include "codec/sections.h"

#include <array>

namespace vellumark {

namespace {

constexpr section table_section(table_id id) { return {section_kind::table, id}; }

// The PC layout, and the PlayStation's with the movie records after the demo
// list: the same sections otherwise, in the same order.
template <bool Console>
constexpr auto sections_of() {
    std::array<section, kTableCount + 3 + (Console ? 1 : 0)> out{};
    std::size_t n = 0;
    out[n++] = {section_kind::header};
    for (std::size_t t = 0; t < kTableCount; ++t) {
        const auto id = static_cast<table_id>(t);
        if (id == table_id::game_strings1) {
            out[n++] = {section_kind::sequences};
            out[n++] = {section_kind::demo_levels};
            if (Console) out[n++] = {section_kind::movie_records};
        }
        out[n++] = table_section(id);
    }
    return out;
}

constexpr auto kPcSections = sections_of<false>();
constexpr auto kConsoleSections = sections_of<true>();

}  // namespace

std::span<const section> file_sections(script_layout layout) {
    if (layout == script_layout::playstation) return kConsoleSections;
    return kPcSections;
}

}  // namespace vellumark
