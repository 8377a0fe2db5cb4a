// The nine option values and the nine option flags of the header, described
// once for the Options tab, the JSON form and `diff`.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "codec/tombpcdat.h"

namespace vellumark {

// In file order; SpinEdit1 to SpinEdit9 show them in this order.
enum class option_id : std::uint8_t {
    first_option,
    title_replace,
    on_death_demo,
    on_death_game,
    demo_time,
    on_interrupt,
    on_demo_end,
    title_sound_id,
    secret_sound_id,
};

struct option_info {
    option_id id;
    std::string_view label;  // as the Options tab shows it
    std::string_view json;   // the member of "options"
    bool wide;               // 32 bits; the two sound IDs are 16
};

extern const std::array<option_info, 9> kOptions;

inline const option_info& info(option_id id) { return kOptions[static_cast<std::size_t>(id)]; }

// The value as the window shows it: 16-bit values sign-extended.
std::int32_t option_value(const Ttombpcdat& doc, option_id id);
// Stores a value; a 16-bit field keeps its low 16 bits.
void set_option_value(Ttombpcdat& doc, option_id id, std::int32_t value);

struct flag_info {
    std::uint16_t bit;
    std::string_view caption;  // as the Options tab and the JSON form name it
};

// The flags the check boxes CheckBox2 to CheckBox10 stand for, in box order.
extern const std::array<flag_info, 9> kOptionFlags;

// The bits the boxes stand for, together.
std::uint16_t option_flag_bits();

}  // namespace vellumark
