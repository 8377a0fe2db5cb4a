// Find and replace across the script: what each option finds, in which
// tables and slots, in windows-1251; what a replace writes and what it refuses.
#include <gtest/gtest.h>

#include <functional>

#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/search.h"

using namespace vellumark;

namespace {

const codepage::table& cyrillic() { return codepage::get(codepage::page::cp1251); }

std::string bytes(const std::string& utf8) { return cyrillic().utf8_to_bytes(utf8).value(); }

// Four levels, two movies, three game strings, a key-string table with "P1"
// in it; slot 0 plays the temple's movie and slot 2 "Temple of Xian", so
// their listings name the temple too.
Ttombpcdat document() {
    Ttombpcdat doc;
    doc.level_names.strings = {"Great Wall", "Temple of Xian", "Bartoli's Hideout", bytes("Храм\nКрасный")};
    doc.fmv_files.strings = {"fmv\\ANCIENT.RPL", "fmv\\temple.rpl"};
    doc.game_strings1.strings = {"Temples", bytes("храм"), "P1 key"};
    doc.key_strings[2].strings = {"P1", "", "P1 P1"};
    const auto slot = [](std::initializer_list<script_command> commands) {
        script_slot s;
        for (const script_command& c : commands) s.commands[std::size_t(s.command_count++)] = c;
        return s;
    };
    doc.scripts = {slot({{cmd::kPlayFmv, 1}, {cmd::kEndOfSet, cmd::kNoOperand}}),
                   slot({{cmd::kPlayLevel, 0}, {cmd::kEndOfSet, cmd::kNoOperand}}),
                   slot({{cmd::kPlayLevel, 1}, {cmd::kEndOfSet, cmd::kNoOperand}})};
    return doc;
}

search_scope scope_of(std::initializer_list<std::string_view> names) {
    if (names.size() == 0) return search_scope::everything();
    search_scope scope;
    for (std::string_view name : names) EXPECT_TRUE(add_to_scope(scope, name)) << name;
    return scope;
}

// "level_names[1]@0+6 slot[2] command 0@14+6": each match's place, first
// character and length.
std::string found(const Ttombpcdat& doc, const std::string& pattern, const search_options& options,
                  const search_scope& scope) {
    std::string out;
    for (const search_match& m : find_all(doc, cyrillic(), search_pattern(pattern, options), scope)) {
        if (!out.empty()) out += " ";
        out += match_path(m.where) + "@" + std::to_string(m.first) + "+" + std::to_string(m.length);
    }
    return out;
}

std::string refusal(const std::function<void()>& f) {
    try {
        f();
    } catch (const script_error& e) {
        return e.what();
    }
    return "(no refusal)";
}

constexpr search_options kPlain{}, kCase{true, false, false}, kWord{false, true, false},
    kRegex{true, false, true}, kRegexNoCase{false, false, true};

}  // namespace

TEST(Search, FindsWhatEachOptionAndScopeSays) {
    const Ttombpcdat doc = document();
    struct row {
        const char* pattern;
        search_options options;
        std::initializer_list<std::string_view> scope;  // empty: everything
        const char* expected;
    };
    const row rows[] = {
        // Letter case, in every table and in the command listings.
        {"temple", kPlain, {},
         "level_names[1]@0+6 fmv_files[1]@4+6 slot[0] command 0@21+6 slot[2] command 0@14+6 game_strings1[0]@0+6"},
        {"Temple", kCase, {}, "level_names[1]@0+6 slot[2] command 0@14+6 game_strings1[0]@0+6"},
        // Whole words: "Temples" is not the word, "\temple." is.
        {"temple", kWord, {},
         "level_names[1]@0+6 fmv_files[1]@4+6 slot[0] command 0@21+6 slot[2] command 0@14+6"},
        // A scope of one table and one slot; punctuation of plain text means itself.
        {"temple", kPlain, {"fmv_files", "slot[2]"}, "fmv_files[1]@4+6 slot[2] command 0@14+6"},
        {"(Temple", kPlain, {"slots"}, "slot[2] command 0@13+7"},
        {"P1", kCase, {"key_strings[2]"}, "key_strings[2][0]@0+2 key_strings[2][2]@0+2 key_strings[2][2]@3+2"},
        {"P1", kCase, {"key_strings[3]"}, ""},
        // Regular expressions and their groups; every match of a text, left to right.
        {"P(\\d) ", kRegex, {}, "game_strings1[2]@0+3 key_strings[2][2]@0+3"},
        {"^", kRegex, {"game_strings1"}, "game_strings1[0]@0+0 game_strings1[1]@0+0 game_strings1[2]@0+0"},
        {"fmv\\\\\\w+\\.RPL", kRegex, {}, "fmv_files[0]@0+15"},
        // Line breaks: their symbol in plain text, \n in a regular expression;
        // . does not cross one, ^ is the start of the string.
        {"Храм␊Красный", kPlain, {}, "level_names[3]@0+12"},
        {"м\\nК", kRegex, {}, "level_names[3]@3+3"},
        {"м.К", kRegex, {}, ""},
        {"^Красный", kRegex, {}, ""},
        // Windows-1251: Cyrillic letter case, words and \w.
        {"ХРАМ", kPlain, {}, "level_names[3]@0+4 game_strings1[1]@0+4"},
        {"ХРАМ", kCase, {}, ""},
        {"Крас", kWord, {}, ""},
        {"Крас", kPlain, {}, "level_names[3]@5+4"},
        {"^\\w+$", kRegexNoCase, {"game_strings1"}, "game_strings1[0]@0+7 game_strings1[1]@0+4"},
        // An empty pattern finds nothing.
        {"", kPlain, {}, ""},
    };
    for (const row& r : rows)
        EXPECT_EQ(found(doc, r.pattern, r.options, scope_of(r.scope)), r.expected)
            << r.pattern << " regex " << r.options.regex << " case " << r.options.match_case;

    // The tables of the script's layout, in its file order: the PlayStation
    // beta's Secret and Special tables after the fourth key-string table.
    Ttombpcdat beta = doc;
    beta.beta_key_strings[0].strings = {"P1 secret"};
    beta.beta_key_strings[5].strings = {"", "P1"};
    EXPECT_EQ(found(beta, "P1", kCase, scope_of({"key_strings", "special_strings"})),
              "key_strings[2][0]@0+2 key_strings[2][2]@0+2 key_strings[2][2]@3+2");
    beta.layout = script_layout::playstation_beta;
    EXPECT_EQ(found(beta, "P1", kCase, scope_of({"key_strings", "special_strings"})),
              "key_strings[2][0]@0+2 key_strings[2][2]@0+2 key_strings[2][2]@3+2 special_strings[1][1]@0+2");
    EXPECT_EQ(found(beta, "P1 ", kCase, scope_of({})), "game_strings1[2]@0+3 key_strings[2][2]@0+3 "
                                                       "secret_strings[0][0]@0+3");
}

TEST(Search, ReplacesStringsOnlyAndRefusesWholeWhatCannotBeStored) {
    const Ttombpcdat doc = document();
    const search_scope all = search_scope::everything();

    // Groups; the command listings that name a temple stay as they are.
    const search_pattern key(R"(P(\d))", kRegex);
    replace_plan plan = plan_replace(doc, cyrillic(), key, all, R"(Key \1\\)");
    EXPECT_EQ(plan.occurrences, 4u);
    Ttombpcdat replaced = doc;
    apply(replaced, plan);
    EXPECT_EQ(replaced.game_strings1.strings[2], "Key 1\\ key");
    EXPECT_EQ(replaced.key_strings[2].strings, (std::vector<std::string>{"Key 1\\", "", "Key 1\\ Key 1\\"}));
    EXPECT_EQ(plan.edits.size(), 3u);

    plan = plan_replace(doc, cyrillic(), search_pattern("Temple", kCase), all, "Храм");
    EXPECT_EQ(plan.occurrences, 2u);
    apply(replaced, plan);
    EXPECT_EQ(replaced.level_names.strings[1], bytes("Храм of Xian"));
    EXPECT_EQ(replaced.scripts, doc.scripts);
    EXPECT_EQ(replace_step_text(plan.occurrences, "Temple"), "Replace 2 occurrences of \"Temple\"");

    // A line break's symbol in the pattern and in the replacement.
    plan = plan_replace(doc, cyrillic(), search_pattern("м␊", kPlain), all, "м␍␊ ");
    ASSERT_EQ(plan.edits.size(), 1u);
    EXPECT_EQ(plan.edits[0].bytes, bytes("Храм\r\n Красный"));

    // One match at its place; a command line's match replaces nothing.
    const search_pattern p1("P1", kCase);
    const auto matches = find_all(doc, cyrillic(), p1, all);
    plan = plan_replace_one(doc, cyrillic(), p1, matches.back(), "P2");
    ASSERT_EQ(plan.edits.size(), 1u);
    EXPECT_EQ(plan.edits[0].bytes, "P1 P2");
    const search_pattern temple("Temple", kCase);
    EXPECT_EQ(plan_replace_one(doc, cyrillic(), temple, find_all(doc, cyrillic(), temple, all)[1], "X").occurrences,
              0u);

    // Refusals name the first string that cannot take the replacement.
    EXPECT_EQ(refusal([&] { plan_replace(doc, cyrillic(), search_pattern("temple", kPlain), all, "☃"); }),
              "Entry 1 of \"Level's Description\" cannot take the replacement: it would hold \"☃\" (U+2603), a "
              "character that cannot be stored in a script. Only characters of the Windows-1251 code page can be "
              "used. Nothing was replaced");
    EXPECT_EQ(refusal([&] { plan_replace(doc, cyrillic(), p1, all, std::string(200, 'x')); }),
              "Key Strings #3, level 2 cannot take the replacement: it would have 401 characters, and a script "
              "string holds at most 255. Nothing was replaced");
    EXPECT_EQ(refusal([&] { plan_replace(doc, cyrillic(), key, all, "\\2"); }),
              "The replacement refers to \\2, but the regular expression has only 1 capture group");
    EXPECT_EQ(refusal([&] { search_pattern("(ab", kRegex); }),
              "The regular expression is not valid: missing closing parenthesis, at its end");
    EXPECT_EQ(refusal([&] { search_pattern("a)b", kRegex); }),
              "The regular expression is not valid: unmatched closing parenthesis, at character 2");
    // A regular expression that would backtrack without end gives up.
    Ttombpcdat many_a;
    many_a.level_names.strings = {std::string(60, 'a') + "!"};
    EXPECT_EQ(refusal([&] { find_all(many_a, cyrillic(), search_pattern("^(a|aa)+$", kRegex), all); }),
              "The regular expression takes too long to match; it gave up at Level's Description, entry 0. Try a "
              "simpler one");
}
