// The reports of `find` and `replace`: the matches of a search as grep
// prints lines or as JSON, and the count of a replace.
#pragma once

#include <string>
#include <vector>

#include "codec/codepage.h"
#include "codec/search.h"
#include "codec/tombpcdat.h"

namespace vellumark::report {

// Each string or command line that holds a match, once however many it
// holds: "FILE:level_names[3]: Bartoli's Hideout", "FILE:slot[4] command 2:
// Play level,3 (Bartoli's Hideout)". `file` is written as given.
std::string find_text(const std::string& file, const Ttombpcdat& doc, const codepage::table& cp,
                      const std::vector<search_match>& matches);

// Every match as a JSON array: place, table and index (or slot and command),
// start and length in characters, the match and the whole text.
std::string find_json(const Ttombpcdat& doc, const codepage::table& cp, const std::vector<search_match>& matches);

// "12 occurrences replaced in 9 strings", or the two counts as JSON.
std::string replace_text(const replace_plan& plan);
std::string replace_json(const replace_plan& plan);

}  // namespace vellumark::report
