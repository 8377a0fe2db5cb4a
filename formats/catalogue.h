// The translatable texts of a script as a gettext catalogue: a PO template
// that translators fill in with their own tools (Poedit, Lokalize, Weblate),
// and the translations read back into the script. PO files are read and
// written by gettext's own library, libgettextpo.
//
// Level names, game strings 1 and 2 and the ten key-string tables are
// translated; file names are not. Each text is one entry whose msgctxt names
// its table and position as the JSON form does: "level_names[3]",
// "game_strings2[0]", "key_strings[2][5]" (Key Strings #3, level 5). Empty
// texts are left out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codec/codepage.h"
#include "codec/tables.h"
#include "codec/tombpcdat.h"

namespace vellumark::catalogue {

bool translatable(table_id id);

// The msgctxt of an entry.
std::string context(table_id id, std::size_t index);
// The table and position a msgctxt names, when it has the form context()
// gives and names a translatable table.
std::optional<std::pair<table_id, std::size_t>> parse_context(std::string_view text);

// The PO template of the script's texts, read in the code page cp, as the
// file's bytes. `project` names the script in the header. Throws
// script_error when libgettextpo fails.
std::string template_text(const Ttombpcdat& doc, const codepage::table& cp, const std::string& project);

// template_text written to path atomically: on failure the target is as it was.
void write_template(const std::string& path, const Ttombpcdat& doc, const codepage::table& cp,
                    const std::string& project);

// One translated text, stored in the target code page.
struct translation {
    table_id table;
    std::size_t index;
    std::string bytes;

    bool operator==(const translation&) const = default;
};

// The translations of the catalogue at path for doc: every entry with a
// non-empty msgstr that is not marked fuzzy, encoded in cp. Throws
// script_error "path:LINE: reason" at the first fault, in the form compilers
// use: a syntax error, an unknown msgctxt, a translation that cp cannot
// store or that is longer than a script string can be.
std::vector<translation> read_translations(const std::string& path, const Ttombpcdat& doc,
                                           const codepage::table& cp);

// Puts the translations in place. A key-string table shorter than the entry's
// level is first filled up with empty strings.
void apply(Ttombpcdat& doc, const std::vector<translation>& translations);

}  // namespace vellumark::catalogue
