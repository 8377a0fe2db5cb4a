// The report of `check`: a script's summary (tables, counts, slots, demo
// levels, layout) and its problems in file order, as text or as JSON.
#pragma once

#include <string>
#include <vector>

#include "codec/check.h"
#include "codec/tombpcdat.h"

namespace vellumark::report {

// One "name: value" line per count, the layout and the number of errors and
// warnings, then each problem in the form compilers use:
// "FILE: warning: slot 5, command 3: ...". `file` is written as given; a
// key-string line's place names its level's name in the code page cp
// (place_text).
std::string check_text(const std::string& file, const Ttombpcdat& doc, const std::vector<problem>& problems,
                       const codepage::table& cp);

// The same as one JSON object, UTF-8 with two-blank indentation. `file` is a
// file name of bytes: written as valid UTF-8, each byte that is not part of a
// UTF-8 sequence as U+FFFD.
std::string check_json(const std::string& file, const Ttombpcdat& doc, const std::vector<problem>& problems,
                       const codepage::table& cp);

}  // namespace vellumark::report
