// The translatable texts of a script as a gettext catalogue: a PO template
// that translators fill in with their own tools (Poedit, Lokalize, Weblate),
// and the translations read back into the script. PO files are read and
// written by gettext's own library, libgettextpo (po_library.h); the writer
// is catalogue_writer.cpp, the reader catalogue_reader.cpp.
//
// Level names, game strings 1 and 2 and the ten key-string tables (sixteen in
// the PlayStation beta) are translated; file names are not. Each text is one
// entry whose msgctxt names its table and position as the JSON form does:
// "level_names[3]", "game_strings2[0]", "key_strings[2][5]" (Key Strings #3,
// level 5), "special_strings[1][5]" (Special 2, level 5). Empty
// texts are left out. The byte 0x04, which gettext keeps for itself, shows
// as its symbol (codepage::kEndOfTransmissionSymbol); line breaks are line
// breaks of the entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codec/codepage.h"
#include "codec/fileio.h"
#include "codec/tables.h"
#include "codec/tombpcdat.h"

namespace vellumark::catalogue {

bool translatable(table_id id);

// The msgctxt of an entry.
std::string context(table_id id, std::size_t index);
// The table and position a msgctxt names, when it has the form context()
// gives and names a translatable table.
std::optional<std::pair<table_id, std::size_t>> parse_context(std::string_view text);

// A script text (bytes in the code page cp) as a catalogue holds it: UTF-8,
// the byte 0x04 as its symbol.
std::string catalogue_text(const codepage::table& cp, std::string_view bytes);

// The positions of a table that a catalogue may name: every entry, and for
// key strings one per level, as a save writes them (none for a table the
// script's layout does not have).
std::size_t positions(const Ttombpcdat& doc, table_id id);

// ---- writing ----------------------------------------------------------------------

// The PO template of the script's texts, read in the code page cp, as the
// file's bytes. `project` names the script in the header; a file name of
// bytes, it is written as valid UTF-8 on one line (a byte that is not part of
// a UTF-8 sequence as U+FFFD, line breaks as their symbols). Throws
// script_error when libgettextpo fails.
std::string template_text(const Ttombpcdat& doc, const codepage::table& cp, const std::string& project);

// template_text written to path atomically: on failure the target is as it
// was. With backup_rule::keep an existing file is first kept as "NAME.bak".
void write_template(const std::string& path, const Ttombpcdat& doc, const codepage::table& cp,
                    const std::string& project, backup_rule backup = backup_rule::none);

// ---- reading ----------------------------------------------------------------------

// The longest catalogue of a script's texts that is read; a longer one is
// refused before it is read (catalogue_reader.cpp says how it is reached).
extern const std::size_t kMostCatalogueBytes;
// What the refusal calls a catalogue.
inline constexpr std::string_view kCatalogueWhat = "a catalogue of a script's texts";

// One translated text, stored in the target code page.
struct translation {
    table_id table;
    std::size_t index;
    std::string bytes;

    bool operator==(const translation&) const = default;
};

// The translations of the catalogue that bytes hold, named `name` in messages
// ("<stdin>" for standard input): every entry with a non-empty msgstr that is
// not marked fuzzy, encoded in cp. The whole catalogue is checked first.
// Throws script_error "NAME:LINE: reason" at the first fault, in the form
// compilers use: a syntax error, an unknown msgctxt, an entry whose msgid is
// not the script's current text at its msgctxt (a stale catalogue), a
// translation that holds a NUL, that cp cannot store or that is longer than a
// script text can be. The current text of a key-string position past its
// table's lines is empty.
std::vector<translation> read_translations(std::span<const std::uint8_t> bytes, const std::string& name,
                                           const Ttombpcdat& doc, const codepage::table& cp);

// The same for the catalogue file at path, read whole first; a file longer
// than kMostCatalogueBytes is refused before it is read.
std::vector<translation> read_translations(const std::string& path, const Ttombpcdat& doc,
                                           const codepage::table& cp);

// Puts the translations in place. A key-string table shorter than the entry's
// level is first filled up with empty strings.
void apply(Ttombpcdat& doc, const std::vector<translation>& translations);

}  // namespace vellumark::catalogue
