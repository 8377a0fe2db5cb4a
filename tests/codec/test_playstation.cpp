// The PlayStation layout, told apart from the PC's at open and kept by a
// save; bytes after the last table of a PC script, counted and named.
#include <gtest/gtest.h>

#include "codec/check.h"
#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/script_file.h"
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

TEST(PlayStation, GeneratedScriptsOpenAsThemselvesAndSaveByteForByte) {
    for (bool all_bytes : {false, true})
        for (int levels : {0, 1, 3, 22, 60})
            for (unsigned seed = 1; seed <= 6; ++seed) {
                SCOPED_TRACE("seed " + std::to_string(seed) + ", levels " + std::to_string(levels));
                const bytes_t b = samples::file_bytes(samples::make_console_document(seed, levels, all_bytes));
                const Ttombpcdat doc = parse_script(b);
                ASSERT_EQ(doc.layout, script_layout::playstation);
                EXPECT_EQ(doc.movie_records.size(), doc.fmv_files.strings.size());
                EXPECT_EQ(first_error(doc), "");
                EXPECT_EQ(trailing_bytes_message(doc), std::nullopt);
                Ttombpcdat work = doc;
                EXPECT_EQ(write_script_file(work), b);
                EXPECT_EQ(work, doc) << "a save without edits changed the record";
            }
}

TEST(PlayStation, OnlyAReadingOfEveryByteWithRightSizesMakesOne) {
    const bytes_t pc = samples::real_size_bytes();
    const Ttombpcdat console_doc = samples::make_console_document(7, 22);
    const bytes_t console = samples::file_bytes(console_doc);
    ASSERT_FALSE(console_doc.movie_records.empty());
    bytes_t longer = console, shorter = console, resized = console;
    longer.push_back(0);
    shorter.pop_back();
    // The last key-string table's size one byte larger: its strings still end
    // at the end of the file.
    const std::size_t size_at = console.size() - console_doc.key_strings[9].total_size - 2;
    ++resized[size_at];
    EXPECT_EQ(opened_as(pc), "PC");
    EXPECT_EQ(opened_as(console), "PlayStation");
    for (const bytes_t& file : {longer, shorter, resized}) EXPECT_NE(opened_as(file), "PlayStation") << file.size();
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
    };
    for (const auto& [doc, message] : cases) {
        EXPECT_EQ(first_error(doc), message);
        Ttombpcdat work = doc;
        EXPECT_THROW(write_script_file(work), script_error);
        EXPECT_EQ(work, doc);
    }
}
