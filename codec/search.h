// Find and replace across the whole script: every string table and the
// command lines of the script slots as the Script Commands tab lists them
// ("Play FMV file,3 (fmv\ANCIENT.RPL)"), read in the document's code page.
// The window and the command line share this one search and its syntax.
//
// A pattern is plain text or a PCRE2 regular expression, matched on the
// UTF-8 text of each string or command line with Unicode properties: \w, \d,
// \b and case folding know Cyrillic, Greek and every other letter of the code
// pages. A string's line breaks are the real characters LF and CR there: a
// regular expression matches them as \n and \r (. does not match them; ^ and
// $ are the start and end of the whole string), and the symbols the views
// show for them, U+240A and U+240D, stand for them in any pattern and any
// replacement, so that a plain search for a copied "A␊B" finds the string.
// Whole words: the match has no letter, digit, combining mark or underscore
// right before or after it.
//
// Positions count characters of the string, which are its bytes: every code
// page has one character per byte, and a view shows one character per byte.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codec/check.h"
#include "codec/codepage.h"
#include "codec/tables.h"
#include "codec/tombpcdat.h"

namespace vellumark {

struct search_options {
    bool match_case = false;
    bool whole_words = false;
    bool regex = false;  // PCRE2 syntax; otherwise the text as it stands
};

// What is searched: string tables, and the command lines of all or some
// slots. Command lines are found, never replaced.
struct search_scope {
    std::bitset<kTableIds> tables;  // by table_id, the PlayStation beta's six included
    bool every_slot = false;
    std::vector<int> slot_numbers;  // when not every_slot, in any order

    // Every table and every slot.
    static search_scope everything();
    bool covers_slot(int slot) const;
    bool empty() const { return tables.none() && !every_slot && slot_numbers.empty(); }
};

// Adds the part of a script a name gives to a scope: a table by its JSON path
// ("level_names", "key_strings[2]", "secret_strings[0]"), a JSON member for
// all its tables ("key_strings": the ten; "secret_strings", "special_strings":
// the PlayStation beta's), "slots" for the command lines of every slot,
// "slot[5]" for one. A script is searched in the tables its layout has.
// False, changing nothing, for any other name.
bool add_to_scope(search_scope& scope, std::string_view name);
// The names add_to_scope() takes, for a usage text.
std::string scope_names();

// One match. `where` is a string (area::table: table, index) or a command
// line (area::slot: index is the slot, line the command).
struct search_match {
    place where;
    std::uint32_t first = 0;   // the first character of the match
    std::uint32_t length = 0;  // in characters; 0 for an empty match of a regular expression

    bool operator==(const search_match&) const = default;
};

// A pattern compiled once for every text it is matched against. Throws
// script_error with the program's message for a regular expression PCRE2
// refuses ("The regular expression is not valid: missing closing
// parenthesis, at character 4").
class search_pattern {
public:
    search_pattern(std::string_view utf8, const search_options& options);
    ~search_pattern();
    search_pattern(search_pattern&&) noexcept;
    search_pattern& operator=(search_pattern&&) noexcept;

    // An empty pattern finds nothing.
    bool empty() const;
    const search_options& options() const;
    // The capture groups of a regular expression; 0 for plain text.
    int groups() const;

    // The compiled form, for the search itself.
    struct impl;
    const impl& compiled() const { return *impl_; }

private:
    std::unique_ptr<impl> impl_;
};

// Every match, in file order: the tables and the slots in the order of the
// file, within a string from left to right. A text holds as many matches as
// do not overlap, as a search from left to right finds them. Throws
// script_error when a regular expression takes too long on one text.
std::vector<search_match> find_all(const Ttombpcdat& doc, const codepage::table& cp, const search_pattern& pattern,
                                   const search_scope& scope);

// The text a match lies in as the views show it: UTF-8, its line breaks as
// their symbols. The entry of a table, or the listing line of a command;
// empty for a place that is not there.
std::string place_text_of(const Ttombpcdat& doc, const codepage::table& cp, const place& where);

// The name of a match's place in the command line's output and JSON:
// "level_names[3]", "key_strings[2][5]", "slot[4] command 2".
std::string match_path(const place& where);

// New bytes for some strings: what a replace changes.
struct string_edit {
    table_id table;
    int index;
    std::string bytes;

    bool operator==(const string_edit&) const = default;
};
struct replace_plan {
    std::vector<string_edit> edits;  // in file order, one per string changed
    std::size_t occurrences = 0;     // the matches replaced
};

// Replaces every match in the string tables of `scope` by `replacement`
// (UTF-8). For a regular expression, \0 to \99 in the replacement give the
// whole match and its capture groups (a group that took no part gives
// nothing), \n and \r a line break, \\ a backslash; plain text replaces as
// it stands. Command lines are not replaced.
//
// All or nothing: a string that would be longer than 255 characters or hold a
// character the code page cannot store refuses the whole replace with
// script_error naming the first such string; nothing is planned. So does a
// replacement naming a group the regular expression does not have.
replace_plan plan_replace(const Ttombpcdat& doc, const codepage::table& cp, const search_pattern& pattern,
                          const search_scope& scope, std::string_view replacement);

// Replaces one match, as found by find_all() on this document: the
// occurrence that still begins there and has that length. An empty plan
// when the match is a command line's, or is no longer there.
replace_plan plan_replace_one(const Ttombpcdat& doc, const codepage::table& cp, const search_pattern& pattern,
                              const search_match& match, std::string_view replacement);

// Puts a plan's strings in place.
void apply(Ttombpcdat& doc, const replace_plan& plan);

// The name of a replace as an undo step and the command line's report:
// "Replace 12 occurrences of "P1"", "Replace 1 occurrence of "P1"".
std::string replace_step_text(std::size_t occurrences, std::string_view pattern_utf8);

}  // namespace vellumark
