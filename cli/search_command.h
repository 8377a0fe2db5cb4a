// "vellumark-cli find" and "vellumark-cli replace": the codec's search over a
// script file, printed as grep prints its lines or as JSON.
#pragma once

#include <iosfwd>
#include <string>

#include "codec/codepage.h"
#include "codec/search.h"

namespace vellumark::cli {

struct search_request {
    std::string pattern;  // UTF-8
    search_options options;
    search_scope scope = search_scope::everything();
    const codepage::table* cp = nullptr;
    bool json = false;
};

// Prints each string or command line that matches once, FILE:PLACE: text
// (level_names[3], key_strings[2][5], slot[4] command 2), or every match as a
// JSON array. True when something matched.
bool find_in_file(const std::string& path, const search_request& request, std::ostream& out);

// Writes the script at path with every match of its string tables replaced
// as target, and prints how many were replaced. Throws script_error, writing
// nothing, when the replace or the save is refused.
void replace_in_file(const std::string& path, const std::string& replacement, const std::string& target,
                     const search_request& request, std::ostream& out);

}  // namespace vellumark::cli
