#include "codec/transcript.h"

namespace vellumark {

namespace {

void append_all(std::vector<std::string>& out, const list_strings& table) {
    out.insert(out.end(), table.strings.begin(), table.strings.end());
}

}  // namespace

std::string level_description(const Ttombpcdat& doc, std::size_t level) {
    return level < doc.level_names.strings.size() ? doc.level_names.strings[level] : std::string();
}

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
    lines.emplace_back(kTranscriptBanner);
    const auto bytes = memo12_lines(doc);
    lines.insert(lines.end(), bytes.begin(), bytes.end());
    append_all(lines, doc.pic_files);
    append_all(lines, doc.title_files);
    append_all(lines, doc.fmv_files);
    append_all(lines, doc.level_files);
    append_all(lines, doc.cutscene_files);
    for (std::size_t i = 0; i < doc.scripts.size(); ++i) lines.push_back("Script#" + std::to_string(i));
    for (std::uint16_t e : doc.demo_levels) lines.push_back(level_description(doc, e));
    append_all(lines, doc.game_strings1);
    append_all(lines, doc.game_strings2);
    return lines;
}

}  // namespace vellumark
