// What a load shows beside the tables: the transcript lines and the one-byte
// description lines of Memo12.
#pragma once

#include <string>
#include <vector>

#include "codec/tombpcdat.h"

namespace vellumark {

// The banner every load writes first.
inline constexpr const char* kTranscriptBanner = "Translated by Vellumark";

// Everything a load appends to the transcript, in order: the banner, one
// one-byte description line per level, the picture, title, movie, level file
// and cut-scene names, one "Script#n" line per slot, the demo level
// descriptions, the game strings.
std::vector<std::string> transcript_lines(const Ttombpcdat& doc);

// The one-byte description lines of Memo12, one per level of the header's
// count (an empty line past level 256).
std::vector<std::string> memo12_lines(const Ttombpcdat& doc);

// The description of level n as the demo list shows it; empty when there is
// no such level.
std::string level_description(const Ttombpcdat& doc, std::size_t level);

}  // namespace vellumark
