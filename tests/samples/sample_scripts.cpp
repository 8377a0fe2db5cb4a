#include "tests/samples/sample_scripts.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "codec/commands.h"
#include "codec/layout.h"
#include "codec/options.h"
#include "codec/script_file.h"
#include "codec/tables.h"

namespace vellumark::samples {

namespace {

class generator {
public:
    generator(unsigned seed, bool all_bytes) : rng_(seed), all_bytes_(all_bytes) {}

    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::uint8_t byte() { return static_cast<std::uint8_t>(between(0, 255)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(between(0, 65535)) << 16 | std::uint32_t(between(0, 65535)); }

    char text_char() {
        if (!all_bytes_) return static_cast<char>(between(0x20, 0x7E));
        for (;;) {
            const int b = between(1, 255);
            if (b != '\n' && b != '\r') return static_cast<char>(b);
        }
    }

    std::string text(int lo, int hi) {
        std::string s(static_cast<std::size_t>(between(lo, hi)), ' ');
        for (auto& c : s) c = text_char();
        return s;
    }

    // n strings whose stored sizes stay well inside the 16-bit table limit.
    std::vector<std::string> table(int n, int max_len) {
        const int fit = n > 0 ? std::max(0, 60000 / n - 1) : 0;
        const int hi = std::min(max_len, fit);
        std::vector<std::string> out;
        out.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) out.push_back(text(hi - hi / 4, hi));
        return out;
    }

    template <std::size_t N>
    void fill(std::array<std::uint8_t, N>& a) {
        for (auto& b : a) b = byte();
    }

private:
    std::mt19937 rng_;
    bool all_bytes_;
};

void set_table(list_strings& t, std::vector<std::string> strings) { t.strings = std::move(strings); }

void push(script_slot& slot, std::uint16_t code, std::uint16_t operand) {
    slot.commands[static_cast<std::size_t>(slot.command_count++)] = {
        code, cmd::carries_operand(code) ? operand : cmd::kNoOperand};
}

}  // namespace

Ttombpcdat make_document(unsigned seed, int levels, bool all_bytes) {
    generator g(seed, all_bytes);
    const int max_len = levels > 1000 ? 24 : 12;
    Ttombpcdat doc;
    doc.version = static_cast<std::uint32_t>(g.between(0, 1 << 30));
    g.fill(doc.description);
    doc.reserved_a = static_cast<std::uint16_t>(g.between(0, 65535));
    doc.first_option = g.between(-100000, 100000);
    doc.title_replace = g.between(-1, 100);
    doc.on_death_demo = g.between(0, 5000);
    doc.on_death_game = g.between(0, 5000);
    doc.demo_time = g.between(0, 1 << 20);
    doc.on_interrupt = g.between(0, 5000);
    doc.on_demo_end = g.between(0, 5000);
    g.fill(doc.reserved_b);
    doc.title_sound_id = static_cast<std::int16_t>(g.between(-32768, 32767));
    doc.single_level = g.between(0, 1) ? std::int16_t{-1} : static_cast<std::int16_t>(g.between(0, 40));
    g.fill(doc.reserved_c);
    doc.flags = layout::kFlagCodedStrings | layout::kFlagAlwaysSet;
    for (const flag_info& f : kOptionFlags)
        if (g.between(0, 1)) doc.flags |= f.bit;
    g.fill(doc.reserved_d);
    doc.cipher_byte = g.byte();
    doc.reserved_f = g.byte();
    doc.secret_sound_id = static_cast<std::int16_t>(g.between(-32768, 32767));
    g.fill(doc.reserved_e);

    const int pics = std::max(0, levels - g.between(0, 3));
    const int fmvs = g.between(0, 12);
    const int cutscenes = g.between(0, 8);
    set_table(doc.level_names, g.table(levels, max_len));
    set_table(doc.pic_files, g.table(pics, max_len));
    set_table(doc.title_files, g.table(g.between(0, 4), max_len));
    set_table(doc.fmv_files, g.table(fmvs, max_len));
    set_table(doc.level_files, g.table(levels, max_len));
    set_table(doc.cutscene_files, g.table(cutscenes, max_len));

    // The title slot, then one slot per level that plays it; a few commands
    // of every kind, unknown numbers included.
    for (int k = 0; k <= levels; ++k) {
        script_slot slot;
        if (k == 0) {
            if (fmvs > 0) push(slot, 3, static_cast<std::uint16_t>(g.between(0, fmvs - 1)));
            push(slot, 10, static_cast<std::uint16_t>(g.between(0, 60)));
        } else {
            if (g.between(0, 3) == 0 && pics > 0) push(slot, 12, static_cast<std::uint16_t>(g.between(0, pics - 1)));
            push(slot, 10, static_cast<std::uint16_t>(g.between(0, 60)));
            push(slot, 4, static_cast<std::uint16_t>(k - 1));
            if (g.between(0, 4) == 0) {
                const int extra = g.between(1, 3);
                for (int i = 0; i < extra; ++i) {
                    std::uint16_t code = static_cast<std::uint16_t>(g.between(0, 25));
                    // Nothing after "End of set"; no operand naming an entry.
                    if (code == cmd::kEndOfSet || named_table(code) || code == cmd::kPlayDemoLevel) code = 18;
                    push(slot, code, static_cast<std::uint16_t>(g.between(0, 65534)));
                }
            }
            push(slot, 6, 0);
        }
        push(slot, cmd::kEndOfSet, 0);
        doc.scripts.push_back(slot);
    }
    doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());

    if (levels > 0)
        for (int i = g.between(0, 4); i > 0; --i)
            doc.demo_levels.push_back(static_cast<std::uint16_t>(g.between(0, levels - 1)));

    set_table(doc.game_strings1, g.table(g.between(0, 1) ? 89 : 92, max_len));
    set_table(doc.game_strings2, g.table(layout::kGameStrings2Count, max_len));
    for (auto& t : doc.key_strings) set_table(t, g.table(levels, max_len));

    // What a load of the saved file gives: counts, offsets and sizes filled in.
    return parse_script(file_bytes(doc));
}

namespace {

// make_document in a console layout: its game strings 2 and movie records.
Ttombpcdat console_document(script_layout as, unsigned seed, int levels, bool all_bytes) {
    Ttombpcdat doc = make_document(seed, levels, all_bytes);
    generator g(~seed, all_bytes);
    doc.layout = as;
    const auto extra = g.table(game_strings2_entries(as) - layout::kGameStrings2Count, 12);
    doc.game_strings2.strings.insert(doc.game_strings2.strings.end(), extra.begin(), extra.end());
    // The first value is 1 in the scripts seen; any value is kept.
    for (std::size_t i = 0; i < doc.fmv_files.strings.size(); ++i)
        doc.movie_records.push_back(all_bytes ? movie_record{g.u32(), g.u32()}
                                              : movie_record{1, static_cast<std::uint32_t>(g.between(0, 20000))});
    if (as == script_layout::playstation_beta)
        for (auto& t : doc.beta_key_strings) set_table(t, g.table(levels, levels > 1000 ? 24 : 12));
    return doc;
}

}  // namespace

Ttombpcdat make_console_document(unsigned seed, int levels, bool all_bytes) {
    return parse_script(file_bytes(console_document(script_layout::playstation, seed, levels, all_bytes)));
}

Ttombpcdat make_beta_document(unsigned seed, int levels, bool all_bytes) {
    return parse_script(file_bytes(console_document(script_layout::playstation_beta, seed, levels, all_bytes)));
}

std::vector<std::uint8_t> file_bytes(const Ttombpcdat& doc) {
    Ttombpcdat copy = doc;
    return write_script_file(copy);
}

std::size_t section_at(const Ttombpcdat& doc, section s) {
    std::size_t at = 0;
    for (const section& part : file_sections(doc.layout)) {
        if (part == s) return at;
        switch (part.kind) {
        case section_kind::header: at += layout::kHeaderSize; break;
        case section_kind::table: {
            const list_strings& t = table(doc, part.table);
            at += (part.table == table_id::game_strings1 ? 2 : 0) + 2 * t.offsets.size() + 2 + t.total_size;
            break;
        }
        case section_kind::sequences: at += 2 * doc.script_offsets.size() + 2 + doc.script_size; break;
        case section_kind::demo_levels: at += 2 * doc.demo_levels.size(); break;
        case section_kind::movie_records: at += layout::kMovieRecordSize * doc.movie_records.size(); break;
        }
    }
    throw std::logic_error("no such section in the layout");
}

std::size_t size_word_at(const Ttombpcdat& doc, table_id id) {
    return section_at(doc, {section_kind::table, id}) + (id == table_id::game_strings1 ? 2 : 0) +
           2 * table(doc, id).offsets.size();
}

std::vector<std::uint8_t> real_size_bytes() { return file_bytes(make_document(2026, 20)); }

std::vector<std::uint8_t> near_limit_bytes() { return file_bytes(make_document(64, 2900)); }

std::string polish_catalogue() {
    return R"(# Polish translation of the texts of TOMBPC.DAT.
msgid ""
msgstr ""
"Project-Id-Version: TOMBPC.DAT\n"
"PO-Revision-Date: 2026-01-12 10:00+0100\n"
"Last-Translator: Tłumacz <tlumacz@example.org>\n"
"Language-Team: Polish\n"
"Language: pl\n"
"MIME-Version: 1.0\n"
"Content-Type: text/plain; charset=UTF-8\n"
"Content-Transfer-Encoding: 8bit\n"
"Plural-Forms: nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 "
"|| n%100>=20) ? 1 : 2);\n"

#, fuzzy
msgctxt "level_names[0]"
msgid "Great Wall"
msgstr "Wielki Mur"

msgctxt "level_names[1]"
msgid "Venice"
msgstr "Żółć gęślą jaźń"

msgctxt "game_strings2[0]"
msgid "Inventory"
msgstr ""
"Ekwipunek\n"
"Przedmioty"

msgctxt "game_strings2[1]"
msgid "Option"
msgstr ""

#. Level 2: "Venice"
#, no-c-format
msgctxt "key_strings[0][2]"
msgid "Rusty Key"
msgstr "Zardzewiały klucz – 100%"
)";
}

Ttombpcdat with_polish_sources(Ttombpcdat doc) {
    doc.level_names.strings.at(0) = "Great Wall";
    doc.level_names.strings.at(1) = "Venice";
    doc.game_strings2.strings.at(0) = "Inventory";
    doc.game_strings2.strings.at(1) = "Option";
    doc.key_strings[0].strings.at(2) = "Rusty Key";
    return doc;
}

const std::vector<translated_text>& polish_translations() {
    static const std::vector<translated_text> texts = {
        {"level_names[1]", "Żółć gęślą jaźń"},
        {"game_strings2[0]", "Ekwipunek\nPrzedmioty"},
        {"key_strings[0][2]", "Zardzewiały klucz – 100%"},
    };
    return texts;
}

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vellumark::samples
