#include "codec/views.h"

#include "codec/layout.h"

namespace vellumark {

namespace {

constexpr const char* kBanner = "Translated by Vellumark";

void append_all(std::vector<std::string>& out, const list_strings& table) {
    out.insert(out.end(), table.strings.begin(), table.strings.end());
}

std::string demo_description(const Ttombpcdat& doc, std::uint16_t level) {
    return level < doc.level_names.strings.size() ? doc.level_names.strings[level] : std::string();
}

}  // namespace

std::vector<std::string> memo12_lines(const Ttombpcdat& doc) {
    std::vector<std::string> lines;
    const int levels = doc.level_count > 0 ? doc.level_count : 0;
    lines.reserve(static_cast<std::size_t>(levels));
    for (int i = 0; i < levels; ++i) {
        // Levels past the 256th have no description byte; a 0 byte shows empty.
        const std::uint8_t b = i < 256 ? doc.description[static_cast<std::size_t>(i)] : 0;
        lines.emplace_back(b ? std::string(1, static_cast<char>(b)) : std::string());
    }
    return lines;
}

std::vector<std::string> transcript_lines(const Ttombpcdat& doc) {
    std::vector<std::string> lines;
    lines.emplace_back(kBanner);
    const auto bytes = memo12_lines(doc);
    lines.insert(lines.end(), bytes.begin(), bytes.end());
    append_all(lines, doc.pic_files);
    append_all(lines, doc.title_files);
    append_all(lines, doc.fmv_files);
    append_all(lines, doc.level_files);
    append_all(lines, doc.cutscene_files);
    for (std::size_t i = 0; i < doc.scripts.size(); ++i) lines.push_back("Script#" + std::to_string(i));
    for (std::uint16_t e : doc.demo_levels) lines.push_back(demo_description(doc, e));
    append_all(lines, doc.game_strings1);
    append_all(lines, doc.game_strings2);
    return lines;
}

void push_to_views(const Ttombpcdat& doc, script_views& views) {
    views.set_list(1, doc.level_names.strings);
    views.append_memo12(memo12_lines(doc));
    views.set_list(3, doc.pic_files.strings);
    views.set_list(6, doc.title_files.strings);
    views.set_list(4, doc.fmv_files.strings);
    views.set_list(2, doc.level_files.strings);
    views.set_list(5, doc.cutscene_files.strings);

    views.set_spin(1, doc.first_option);
    views.set_spin(2, doc.title_replace);
    views.set_spin(4, doc.on_death_game);
    views.set_spin(8, doc.title_sound_id);
    views.set_spin(9, doc.secret_sound_id);
    views.set_spin(5, doc.demo_time);
    views.set_spin(6, doc.on_interrupt);
    views.set_spin(3, doc.on_death_demo);
    views.set_spin(7, doc.on_demo_end);

    for (int box = 2; box <= 10; ++box) views.set_check(box, (doc.flags & layout::check_box_bit(box)) != 0);
    views.set_check(1, doc.single_level != -1);

    std::vector<std::string> labels;
    labels.reserve(doc.scripts.size());
    for (std::size_t i = 0; i < doc.scripts.size(); ++i) labels.push_back("Script#" + std::to_string(i));
    views.set_list(9, labels);
    views.slots_loaded(doc);

    std::vector<std::string> demos;
    demos.reserve(doc.demo_levels.size());
    for (std::uint16_t e : doc.demo_levels) demos.push_back(demo_description(doc, e));
    views.set_list(11, demos);

    views.set_list(7, doc.game_strings1.strings);
    views.set_list(8, doc.game_strings2.strings);
    for (int n = 1; n <= layout::kKeyStringTables; ++n)
        views.set_memo(n, doc.key_strings[static_cast<std::size_t>(n - 1)].strings);

    views.append_transcript(transcript_lines(doc));
}

// ---- memory_views ------------------------------------------------------------

namespace {
bool valid(int n, int hi) { return n >= 1 && n <= hi; }
}  // namespace

std::int32_t memory_views::spin_value(int spin) const {
    return valid(spin, 9) ? spins[static_cast<std::size_t>(spin)] : 0;
}

bool memory_views::check_state(int box) const {
    return valid(box, 10) && checks[static_cast<std::size_t>(box)];
}

int memory_views::list_count(int list) const {
    return valid(list, 11) ? static_cast<int>(lists[static_cast<std::size_t>(list)].size()) : 0;
}

std::string memory_views::list_row(int list, int row) const {
    if (!valid(list, 11) || row < 0) return {};
    const auto& rows = lists[static_cast<std::size_t>(list)];
    return static_cast<std::size_t>(row) < rows.size() ? rows[static_cast<std::size_t>(row)] : std::string();
}

std::string memory_views::memo_line(int memo, int line) const {
    if (!valid(memo, 10) || line < 0) return {};
    const auto& lines = memos[static_cast<std::size_t>(memo)];
    return static_cast<std::size_t>(line) < lines.size() ? lines[static_cast<std::size_t>(line)] : std::string();
}

void memory_views::set_list(int list, const std::vector<std::string>& rows) {
    if (valid(list, 11)) lists[static_cast<std::size_t>(list)] = rows;
}

void memory_views::set_memo(int memo, const std::vector<std::string>& lines) {
    if (valid(memo, 10)) memos[static_cast<std::size_t>(memo)] = lines;
}

void memory_views::set_spin(int spin, std::int32_t value) {
    if (valid(spin, 9)) spins[static_cast<std::size_t>(spin)] = value;
}

void memory_views::set_check(int box, bool checked) {
    if (valid(box, 10)) checks[static_cast<std::size_t>(box)] = checked;
}

void memory_views::append_memo12(const std::vector<std::string>& lines) {
    memo12.insert(memo12.end(), lines.begin(), lines.end());
}

void memory_views::append_transcript(const std::vector<std::string>& lines) {
    transcript.insert(transcript.end(), lines.begin(), lines.end());
}

void memory_views::slots_loaded(const Ttombpcdat& doc) {
    selected_slot = doc.scripts.empty() ? -1 : 0;
}

}  // namespace vellumark
