// The PlayStation layout and its beta's, told apart from the PC's and from
// each other at open and kept by a save; a file read in the layout that
// explains it, with its stray bytes and repairs named.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>

#include "codec/check.h"
#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "codec/sections.h"
#include "codec/tables.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using bytes_t = std::vector<std::uint8_t>;

namespace {

// "PC", "PlayStation", or the message of a failed open.
std::string opened_as(const bytes_t& b) {
    try {
        return std::string(layout_name(parse_script(b).layout));
    } catch (const script_error& e) {
        return e.what();
    }
}

std::string first_error(const Ttombpcdat& doc) {
    for (const problem& p : check_script(doc))
        if (p.level == severity::error) return p.message;
    return "";
}

// A generated script in a layout.
Ttombpcdat make_in(script_layout as, unsigned seed, int levels, bool all_bytes = false) {
    switch (as) {
    case script_layout::playstation: return samples::make_console_document(seed, levels, all_bytes);
    case script_layout::playstation_beta: return samples::make_beta_document(seed, levels, all_bytes);
    default: return samples::make_document(seed, levels, all_bytes);
    }
}

}  // namespace

TEST(PlayStation, MovieRecordsSitBetweenTheDemoLevelsAndGameStrings1) {
    Ttombpcdat doc;
    doc.layout = script_layout::playstation;
    doc.flags = 0x0300;
    doc.cipher_byte = 0xA6;
    doc.fmv_files.strings = {"a", "b"};
    doc.movie_records = {{1, 750}, {1, 4097}};
    doc.game_strings1.strings = {"g"};
    doc.game_strings2.strings.assign(80, "");
    const bytes_t b = samples::file_bytes(doc);

    // Header; five empty tables and the movies' (2 offsets, size, "a" and
    // "b" coded); one script offset, the size and a lone "End of set".
    const std::size_t records = layout::kHeaderSize + 5 * 2 + (2 * 2 + 2 + 4) + 2 + 2 + 2;
    const bytes_t expected = {1, 0, 0, 0, 0xEE, 0x02, 0, 0, 1, 0, 0, 0, 0x01, 0x10, 0, 0,  // 750, 4097
                              1, 0};                                                    // game strings 1
    ASSERT_EQ(b.size(), records + 2 * layout::kMovieRecordSize + 2 + (2 + 2 + 2) + (80 * 2 + 2 + 80) + 10 * 2);
    EXPECT_EQ(bytes_t(b.begin() + records, b.begin() + records + 18), expected);
    EXPECT_EQ(b[records + 18 + 6 + 2], 1);     // game strings 2: the second of 80 offsets,
    EXPECT_EQ(b[records + 18 + 6 + 160], 80);  // then the size of its 80 empty strings

    const Ttombpcdat back = parse_script(b);
    EXPECT_EQ(back.layout, script_layout::playstation);
    EXPECT_EQ(back.movie_records, doc.movie_records);
    EXPECT_EQ(back.game_strings2.strings.size(), 80u);
    EXPECT_EQ(back.trailing_bytes, 0u);
    EXPECT_EQ(samples::file_bytes(back), b);
}

// The beta: the console's sections up to game strings 1, then 79 game
// strings 2 and sixteen per-level tables, the six of its own after the
// fourth key-string table.
TEST(PlayStation, TheBetaHolds79GameStrings2AndSixteenPerLevelTablesInItsOrder) {
    Ttombpcdat doc;
    doc.layout = script_layout::playstation_beta;
    doc.flags = 0x0300;
    doc.level_names.strings = {"L"};
    doc.level_files.strings = {"f"};
    doc.fmv_files.strings = {"m"};
    doc.movie_records = {{1, 9}};
    doc.game_strings2.strings.assign(79, "");
    std::string texts;  // one letter per table, in the order the file holds them
    for (const table_info& t : tables_of(doc.layout))
        if (is_key_table(t.id)) {
            texts.push_back(static_cast<char>('a' + key_index(t.id)));
            table(doc, t.id).strings = {texts.substr(texts.size() - 1)};
        }
    EXPECT_EQ(texts, "abcdklmnopefghij");
    const bytes_t b = samples::file_bytes(doc);
    const Ttombpcdat back = parse_script(b);

    // After game strings 2 (79 offsets, its size, 79 empty strings) each
    // table is one offset, its size 2, a letter and its end.
    const std::size_t gs2 = samples::section_at(back, {section_kind::table, table_id::game_strings2});
    ASSERT_EQ(b.size(), gs2 + 79 * 2 + 2 + 79 + 16 * 6);
    EXPECT_EQ(b[gs2 + 79 * 2], 79);
    for (std::size_t k = 0; k < 16; ++k)
        EXPECT_EQ(bytes_t(b.begin() + long(gs2 + 79 * 3 + 2 + 6 * k), b.begin() + long(gs2 + 79 * 3 + 2 + 6 * k + 6)),
                  (bytes_t{0, 0, 2, 0, static_cast<std::uint8_t>(texts[k]), 0}))
            << "table " << k;

    EXPECT_EQ(back.layout, script_layout::playstation_beta);
    EXPECT_EQ(back.beta_key_strings[5].strings, (std::vector<std::string>{"p"}));  // Special 2
    EXPECT_EQ(back.key_strings[4].strings, (std::vector<std::string>{"e"}));       // Pickup 1
    EXPECT_EQ(info(key_table(15)).heading, "Special 2");
    EXPECT_EQ(json_path(key_table(12)), "secret_strings[2]");
    EXPECT_EQ(json_path(key_table(9)), "key_strings[9]");
}

TEST(PlayStation, GeneratedScriptsOpenAsThemselvesAndSaveByteForByte) {
    for (const script_layout as : {script_layout::playstation, script_layout::playstation_beta})
    for (bool all_bytes : {false, true})
        for (int levels : {0, 1, 3, 22, 60})
            for (unsigned seed = 1; seed <= 6; ++seed) {
                SCOPED_TRACE("seed " + std::to_string(seed) + ", levels " + std::to_string(levels));
                const bytes_t b = samples::file_bytes(make_in(as, seed, levels, all_bytes));
                const Ttombpcdat doc = parse_script(b);
                ASSERT_EQ(doc.layout, as);
                EXPECT_EQ(doc.movie_records.size(), doc.fmv_files.strings.size());
                EXPECT_EQ(first_error(doc), "");
                EXPECT_EQ(trailing_bytes_message(doc), std::nullopt);
                Ttombpcdat work = doc;
                EXPECT_EQ(write_script_file(work), b);
                EXPECT_EQ(work, doc) << "a save without edits changed the record";
            }
}

// Each file opens in the layout that explains it: as it is, with a stray
// byte, padded to a 2,048-byte sector, with one table's size wrong, and cut
// short. The stray bytes and the repair are named, and a save writes the
// script as it was made.
TEST(LayoutChoice, AScriptOpensInItsOwnLayoutWithWhatASaveDropsNamed) {
    for (const script_layout as : kLayouts) {
        const Ttombpcdat made = make_in(as, 7, 22);
        const bytes_t script = samples::file_bytes(made);
        const std::string layout(layout_name(made.layout));
        SCOPED_TRACE(layout);
        const auto stray = [](std::size_t n) {
            return std::to_string(n) +
                   " bytes after the last key-string table are not part of the script; a save will not keep them.";
        };
        const std::size_t sector = (script.size() / 2048 + 1) * 2048;
        const std::size_t size_at = samples::size_word_at(made, table_id::level_files);
        const std::uint16_t size = made.level_files.total_size;

        bytes_t plus_one = script, padded = script, resized = script;
        plus_one.push_back(0);
        padded.resize(sector, 0);
        resized[size_at] = static_cast<std::uint8_t>(size + 1);
        resized[size_at + 1] = static_cast<std::uint8_t>((size + 1) >> 8);
        const struct {
            const char* name;
            bytes_t file;
            std::size_t stray_bytes;
            std::vector<std::string> notices;  // "" for none; a refusal's message otherwise
        } rows[] = {
            {"as made", script, 0, {}},
            {"one zero byte more", plus_one, 1, {stray(1)}},
            {"padded to 2,048 bytes", padded, sector - script.size(), {stray(sector - script.size())}},
            {"one size wrong", resized, 0,
             {"the size of Level's File Names says " + std::to_string(size + 1) + " bytes, its strings take " +
              std::to_string(size) + "; a save writes " + std::to_string(size)}},
        };
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            Ttombpcdat doc = parse_script(row.file);
            EXPECT_EQ(layout_name(doc.layout), layout);
            EXPECT_EQ(doc.trailing_bytes, row.stray_bytes);
            std::vector<std::string> notices;
            for (const problem& p : check_script(doc)) {
                EXPECT_EQ(p.level, severity::warning) << p.message;
                notices.push_back(p.message);
            }
            EXPECT_EQ(notices, row.notices);
            EXPECT_EQ(write_script_file(doc), script);
            EXPECT_TRUE(doc.repairs.empty() && doc.trailing_bytes == 0) << "the saved record has nothing to name";
        }
        EXPECT_EQ(opened_as(bytes_t(script.begin(), script.end() - 9)), "Read beyond end of file");
    }
}

namespace {

// A file made from a generated script, and whether the change keeps the
// script whole: bytes after it, or one table's size wrong.
struct mutant {
    const char* kind;
    bytes_t file;
    bool script_whole;
};

// Twenty damaged copies of a script: bytes appended, padding, wrong sizes
// and offsets (of any table of its layout), cuts, flipped bytes, a word
// overwritten.
std::vector<mutant> damaged(const Ttombpcdat& doc, const bytes_t& file, std::mt19937& rng) {
    const auto below = [&rng](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const auto put16 = [](bytes_t& b, std::size_t at, unsigned v) {
        b[at] = static_cast<std::uint8_t>(v);
        b[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    std::vector<mutant> out;
    for (int twice = 0; twice < 2; ++twice) {
        bytes_t random_tail = file, zeros = file, pad0 = file, pad_ff = file;
        for (std::size_t n = 1 + below(3000); n > 0; --n) random_tail.push_back(static_cast<std::uint8_t>(below(256)));
        zeros.resize(file.size() + 1 + below(64), 0);
        pad0.resize((file.size() / 2048 + 1) * 2048, 0);
        pad_ff.resize((file.size() / 2048 + 1 + std::size_t(twice)) * 2048, 0xFF);
        out.push_back({"random bytes appended", random_tail, true});
        out.push_back({"zero bytes appended", zeros, true});
        out.push_back({"padded with zeros", pad0, true});
        out.push_back({"padded with 0xFF", pad_ff, true});

        const auto tables = tables_of(doc.layout);
        const table_id id = tables[below(tables.size())].id;
        const std::size_t size_at = samples::size_word_at(doc, id);
        bytes_t size = file, offset = file, block = file, cut = file, flipped = file, word = file;
        put16(size, size_at, twice ? unsigned(below(65536)) : table(doc, id).total_size + 1 + unsigned(below(300)));
        if (size != file) out.push_back({"a table's size wrong", size, true});
        const list_strings& t = table(doc, id);
        if (!t.offsets.empty()) {
            const std::size_t i = below(t.offsets.size());
            put16(offset, size_at - 2 * (t.offsets.size() - i), t.offsets[i] + 1 + unsigned(below(40)));
            out.push_back({"an offset wrong", offset, false});
        }
        const std::size_t block_at = samples::section_at(doc, {section_kind::sequences}) + 2 * doc.script_offsets.size();
        put16(block, block_at, doc.script_size + (twice ? -2u : 2u));
        out.push_back({"the slot block's size wrong", block, false});
        cut.resize(below(file.size()));
        out.push_back({"cut short", cut, false});
        for (std::size_t n = 1 + below(3); n > 0; --n) flipped[below(file.size())] ^= static_cast<std::uint8_t>(1 + below(255));
        out.push_back({"bytes flipped", flipped, false});
        put16(word, below(file.size() - 1), unsigned(below(65536)));
        out.push_back({"a word overwritten", word, false});
    }
    return out;
}

}  // namespace

// Generated scripts of the three layouts, damaged in many ways. A PC script
// is never read as a console one; a script whose bytes are all there opens in
// its own layout; a damaged one read in another layout (the reading that
// explains more of it) names what a save would change; and whatever opens and
// names nothing that a save would change is saved as the very bytes that were
// read.
TEST(LayoutChoice, DamagedScriptsKeepTheirLayoutAndASaveChangesOnlyWhatIsNamed) {
    std::mt19937 rng(20260611);
    constexpr std::size_t kinds = std::size(kLayouts);
    struct counts {
        int files = 0, refused = 0;
        int as[kinds] = {};
    };
    std::map<std::string, counts> by_kind[kinds];
    int unnamed = 0;
    for (const script_layout as : kLayouts)
        for (const int levels : {0, 1, 2, 5, 9, 22})
            for (unsigned seed = 1; seed <= (as == script_layout::pc ? 41u : 20u); ++seed) {  // about 4,800 PC files
                const Ttombpcdat doc = make_in(as, seed, levels, seed % 2 == 0);
                const bytes_t file = samples::file_bytes(doc);
                for (const mutant& m : damaged(doc, file, rng)) {
                    counts& c = by_kind[std::size_t(as)][m.kind];
                    ++c.files;
                    Ttombpcdat read;
                    try {
                        read = parse_script(m.file);
                    } catch (const script_error& e) {
                        ++c.refused;
                        ASSERT_FALSE(m.script_whole) << m.kind << ": " << e.what();
                        continue;
                    }
                    ++c.as[std::size_t(read.layout)];
                    if (as == script_layout::pc) {
                        ASSERT_EQ(read.layout, script_layout::pc) << m.kind << ", seed " << seed;
                    }
                    if (m.script_whole) {
                        ASSERT_EQ(read.layout, doc.layout) << m.kind << ", seed " << seed;
                    }
                    // A damaged script read in another layout names what a save changes.
                    if (read.layout != doc.layout) {
                        ASSERT_FALSE(read_notices(read).empty()) << m.kind << ", seed " << seed;
                    }

                    // A save writes the bytes that were read, unless a notice says otherwise.
                    if (!read_notices(read).empty()) continue;
                    ++unnamed;
                    Ttombpcdat work = read;
                    try {
                        ASSERT_EQ(write_script_file(work), m.file) << m.kind << ", seed " << seed;
                    } catch (const script_error&) {
                        // A file that a save refuses is not written at all.
                    }
                }
            }
    for (const script_layout as : kLayouts) {
        counts all;
        const auto print = [as](const std::string& what, const counts& c) {
            std::printf("[ figures  ] %s, %s: %d files, %d opened as PC, %d as PlayStation, %d as PlayStation beta, "
                        "%d refused\n",
                        std::string(layout_name(as)).c_str(), what.c_str(), c.files, c.as[0], c.as[1], c.as[2],
                        c.refused);
        };
        for (const auto& [kind, c] : by_kind[std::size_t(as)]) {
            print(kind, c);
            all.files += c.files, all.refused += c.refused;
            for (std::size_t k = 0; k < kinds; ++k) all.as[k] += c.as[k];
        }
        print("all damaged scripts", all);
    }
    std::printf("[ figures  ] %d opened files named nothing a save changes, and saved as read\n", unnamed);
}

TEST(StrayBytes, AreCountedNamedAndLeftOutOfASave) {
    const bytes_t pc = samples::real_size_bytes();
    for (const std::size_t n : {std::size_t{1}, std::size_t{8}, std::size_t{821}}) {
        bytes_t file = pc;
        for (std::size_t i = 0; i < n; ++i) file.push_back(static_cast<std::uint8_t>(i * 37 + 5));
        Ttombpcdat doc = parse_script(file);
        EXPECT_EQ(doc.layout, script_layout::pc);
        EXPECT_EQ(doc.trailing_bytes, n);
        EXPECT_EQ(trailing_bytes_message(doc),
                  std::to_string(n) +
                      " bytes after the last key-string table are not part of the script; a save will not keep them.");
        EXPECT_EQ(write_script_file(doc), pc);
        EXPECT_EQ(doc, parse_script(pc)) << "the saved record has no stray bytes left";
    }
}

TEST(PlayStation, SaveRefusesCountsTheLayoutCannotHold) {
    const Ttombpcdat console = samples::make_console_document(3, 4);
    const Ttombpcdat beta = samples::make_beta_document(3, 4);
    const Ttombpcdat pc = samples::make_document(3, 4);
    const std::size_t movies = pc.fmv_files.strings.size();
    ASSERT_GT(movies, 1u);
    const auto with = [](Ttombpcdat doc, auto change) {
        change(doc);
        return doc;
    };
    const std::pair<Ttombpcdat, std::string> cases[] = {
        {with(console, [](Ttombpcdat& d) { d.game_strings2.strings.resize(41); }),
         "\"Game String 2\" has 41 entries; the PlayStation layout always has 80"},
        {with(pc, [](Ttombpcdat& d) { d.game_strings2.strings.resize(80); }),
         "\"Game String 2\" has 80 entries; it always has 41"},
        {with(console, [](Ttombpcdat& d) { d.movie_records.pop_back(); }),
         "The PlayStation layout needs one movie record per movie: the script has " + std::to_string(movies) +
             " movies and " + std::to_string(movies - 1) + " records"},
        {with(console, [](Ttombpcdat& d) { d.fmv_files.strings.push_back("new.rpl"); }),
         "The PlayStation layout needs one movie record per movie: the script has " + std::to_string(movies + 1) +
             " movies and " + std::to_string(movies) + " records"},
        {with(pc, [](Ttombpcdat& d) { d.movie_records = {{1, 2}}; }),
         "The PC layout holds no movie records, but the script has 1 record"},
        {with(beta, [](Ttombpcdat& d) { d.game_strings2.strings.resize(80); }),
         "\"Game String 2\" has 80 entries; the PlayStation beta layout always has 79"},
        {with(beta, [](Ttombpcdat& d) { d.movie_records.pop_back(); }),
         "The PlayStation beta layout needs one movie record per movie: the script has " + std::to_string(movies) +
             " movies and " + std::to_string(movies - 1) + " records"},
        {with(console, [](Ttombpcdat& d) { d.beta_key_strings[4].strings = {"", "x"}; }),
         "The PlayStation layout holds no \"Special 1\" table, but the script has text in it"},
    };
    for (const auto& [doc, message] : cases) {
        EXPECT_EQ(first_error(doc), message);
        Ttombpcdat work = doc;
        EXPECT_THROW(write_script_file(work), script_error);
        EXPECT_EQ(work, doc);
    }
}
