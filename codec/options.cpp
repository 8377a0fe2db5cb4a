#include "codec/options.h"

namespace vellumark {

const std::array<option_info, 9> kOptions = {{
    {option_id::first_option, "First Option", "first_option", true},
    {option_id::title_replace, "Title Replace", "title_replace", true},
    {option_id::on_death_demo, "On death-Demo ", "on_death_demo", true},
    {option_id::on_death_game, "On death-Game", "on_death_game", true},
    {option_id::demo_time, "Demo Time", "demo_time", true},
    {option_id::on_interrupt, "On Interrupt", "on_interrupt", true},
    {option_id::on_demo_end, "On Demo end", "on_demo_end", true},
    {option_id::title_sound_id, "Title Sound ID", "title_sound_id", false},
    {option_id::secret_sound_id, "Secret Sound ID", "secret_sound_id", false},
}};

const std::array<flag_info, 9> kOptionFlags = {{
    {0x0001, "Demo Version"},
    {0x0002, "Title Disabled"},
    {0x0004, "Cheat mode Disabled"},
    {0x0008, "Demos Disabled"},
    {0x0010, "Load/Save Disabled"},
    {0x0020, "Screen Sizing Disabled"},
    {0x0040, "Lockup Option Ring"},
    {0x0080, "Dozy Cheat Enabled"},
    {0x0400, "Select Any Level"},
}};

std::uint16_t option_flag_bits() {
    std::uint16_t bits = 0;
    for (const flag_info& f : kOptionFlags) bits |= f.bit;
    return bits;
}

namespace {

std::int32_t* wide_field(Ttombpcdat& doc, option_id id) {
    switch (id) {
    case option_id::first_option: return &doc.first_option;
    case option_id::title_replace: return &doc.title_replace;
    case option_id::on_death_demo: return &doc.on_death_demo;
    case option_id::on_death_game: return &doc.on_death_game;
    case option_id::demo_time: return &doc.demo_time;
    case option_id::on_interrupt: return &doc.on_interrupt;
    case option_id::on_demo_end: return &doc.on_demo_end;
    default: return nullptr;
    }
}

}  // namespace

std::int32_t option_value(const Ttombpcdat& doc, option_id id) {
    if (id == option_id::title_sound_id) return doc.title_sound_id;
    if (id == option_id::secret_sound_id) return doc.secret_sound_id;
    return *wide_field(const_cast<Ttombpcdat&>(doc), id);
}

void set_option_value(Ttombpcdat& doc, option_id id, std::int32_t value) {
    const auto low16 = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    if (id == option_id::title_sound_id)
        doc.title_sound_id = low16;
    else if (id == option_id::secret_sound_id)
        doc.secret_sound_id = low16;
    else
        *wide_field(doc, id) = value;
}

}  // namespace vellumark
