// Saving: round trips, normalisation of slots, and the refusals that keep a
// saved file readable as what the user sees.
#include <gtest/gtest.h>

#include <filesystem>

#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using bytes_t = std::vector<std::uint8_t>;

namespace {

std::string refusal(Ttombpcdat doc) {
    const Ttombpcdat before = doc;
    try {
        write_script_file(doc);
    } catch (const script_error& e) {
        EXPECT_EQ(doc, before) << "a refused save changed the document";
        return e.what();
    }
    return "(saved)";
}

script_slot slot_of(std::initializer_list<script_command> cmds) {
    script_slot s;
    for (auto c : cmds) s.commands[static_cast<std::size_t>(s.command_count++)] = c;
    return s;
}

struct temp_dir {
    std::filesystem::path path;
    temp_dir() {
        path = std::filesystem::temp_directory_path() /
               ("vellumark-writer-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::create_directories(path);
    }
    ~temp_dir() { std::filesystem::remove_all(path); }
    static int& counter() {
        static int n = 0;
        return n;
    }
};

}  // namespace

TEST(RoundTrip, GeneratedDocumentsLoadAndSaveByteForByte) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const int levels = static_cast<int>(seed % 7 == 0 ? 0 : seed * 3);
        const bytes_t b = samples::file_bytes(samples::make_document(seed, levels, seed % 2 == 0));
        Ttombpcdat doc = parse_script(b);
        Ttombpcdat work = doc;
        EXPECT_EQ(write_script_file(work), b) << "seed " << seed;
        EXPECT_EQ(work, doc) << "a save without edits changed the record, seed " << seed;
    }
}

TEST(RoundTrip, NearLimitScriptSavesByteForByte) {
    const bytes_t b = samples::near_limit_bytes();
    const Ttombpcdat doc = parse_script(b);
    EXPECT_GT(doc.level_count, 2000);
    EXPECT_GT(doc.level_names.total_size, 45000);
    EXPECT_EQ(samples::file_bytes(doc), b);
}

TEST(Normalisation, SlotsAreEndedAndFilledUpToLevelCountPlusOne) {
    Ttombpcdat doc = samples::make_document(5, 3);
    // A level added by the editor brings an empty slot; "Delete all" and new
    // levels leave one slot fewer than level_count + 1.
    doc.scripts = {slot_of({{10, 2}, {4, 0}}), script_slot{}, slot_of({{9, 0xFFFF}})};
    doc.script_count = 3;
    Ttombpcdat work = doc;
    const bytes_t b = write_script_file(work);
    const Ttombpcdat back = parse_script(b);
    ASSERT_EQ(back.scripts.size(), 4u);
    EXPECT_EQ(back.scripts[0], work.scripts[0]);
    EXPECT_EQ(back.scripts[0].command_count, 3);  // "End of set" appended
    EXPECT_EQ(back.scripts[0].commands[2].command, 9);
    EXPECT_EQ(back.scripts[1].command_count, 1);  // an empty slot becomes a lone end
    EXPECT_EQ(back.scripts[3].command_count, 1);  // the missing slot
    EXPECT_EQ(work.script_count, 4);                // the document matches the file
    EXPECT_EQ(back.script_offsets.size(), 4u);
    EXPECT_EQ(back.scripts, work.scripts);
}

TEST(Normalisation, ExtraSlotsAreKeptAndReadBack) {
    Ttombpcdat doc = samples::make_document(6, 2);
    doc.scripts.push_back(slot_of({{14, 0xFFFF}, {9, 0xFFFF}}));
    doc.script_count = static_cast<std::uint16_t>(doc.scripts.size());
    Ttombpcdat work = doc;
    const Ttombpcdat back = parse_script(write_script_file(work));
    EXPECT_EQ(back.scripts, doc.scripts);
}

TEST(Refusals, NothingIsProducedForDataThatWouldNotReadBack) {
    const Ttombpcdat doc = samples::make_document(7, 4);

    Ttombpcdat long_row = doc;
    long_row.fmv_files.strings.push_back(std::string(256, 'm'));
    EXPECT_EQ(refusal(long_row), "Entry " + std::to_string(doc.fmv_files.strings.size()) +
                                     " of \"RPLs File Names\" is longer than 255 characters and cannot be saved");

    Ttombpcdat long_line = doc;
    long_line.key_strings[2].strings[1] = std::string(300, 'k');
    EXPECT_EQ(refusal(long_line), "Key Strings #3, level 1 is longer than 255 characters and cannot be saved");

    Ttombpcdat nul = doc;
    nul.level_files.strings[2] = std::string("a\0b", 3);
    EXPECT_EQ(refusal(nul), "Entry 2 of \"Level's File Names\" holds a character that cannot be saved");

    Ttombpcdat big_table = doc;
    big_table.game_strings1.strings.assign(300, std::string(250, 'g'));
    EXPECT_EQ(refusal(big_table), "The strings of \"Game String 1\" take more than 65535 bytes and cannot be saved");

    Ttombpcdat after_end = doc;
    after_end.scripts[1] = slot_of({{9, 0xFFFF}, {4, 0}, {9, 0xFFFF}});
    EXPECT_EQ(refusal(after_end), "Script slot 1 has a command after \"End of set\"; the game would not read it");

    Ttombpcdat full = doc;
    full.scripts[2] = script_slot{};
    full.scripts[2].command_count = 64;
    for (auto& c : full.scripts[2].commands) c = {10, 1};
    EXPECT_EQ(refusal(full), "Script slot 2 holds 64 commands and no \"End of set\"; there is no room to end it");

    Ttombpcdat big_block = doc;
    script_slot many;
    many.command_count = 64;
    for (auto& c : many.commands) c = {10, 1};
    many.commands[63] = {9, 0xFFFF};
    big_block.scripts.assign(300, many);  // 300 x 254 bytes
    EXPECT_EQ(refusal(big_block), "The script slots take more than 65535 bytes and cannot be saved");

    // A demo entry left naming a removed level would make the file unreadable.
    Ttombpcdat demo = doc;
    demo.demo_levels = {3};
    demo.level_names.strings.pop_back();
    demo.level_files.strings.pop_back();
    EXPECT_EQ(refusal(demo), "Demo level entry 0 names level 3, but the script has 3 levels");
}

TEST(AtomicSave, ReplacesTheTargetOnlyWhenComplete) {
    temp_dir dir;
    const std::string path = (dir.path / "TOMBPC.DAT").string();
    const bytes_t first = samples::real_size_bytes();
    samples::write_file(path, first);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);

    Ttombpcdat doc = parse_script(first);
    doc.level_names.strings[0] = "Changed";
    save_script_file(path, doc);
    EXPECT_EQ(parse_script(samples::read_file(path)).level_names.strings[0], "Changed");
    EXPECT_EQ(doc.level_names.strings[0], "Changed");
    const auto perms = std::filesystem::status(path).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);

    // A refused save leaves the file and the document as they were.
    const bytes_t saved = samples::read_file(path);
    Ttombpcdat refused = doc;
    refused.level_files.strings[0] = std::string(256, 'x');
    const Ttombpcdat before = refused;
    EXPECT_THROW(save_script_file(path, refused), script_error);
    EXPECT_EQ(samples::read_file(path), saved);
    EXPECT_EQ(refused, before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);

    // A folder that does not exist, and a folder given as the file.
    try {
        save_script_file((dir.path / "missing" / "x.dat").string(), doc);
        ADD_FAILURE();
    } catch (const script_error& e) {
        EXPECT_STREQ(e.what(), "Invalid filename");
    }
    try {
        save_script_file(dir.path.string(), doc);
        ADD_FAILURE();
    } catch (const script_error& e) {
        EXPECT_STREQ(e.what(), "File access denied");
    }
}

TEST(AtomicSave, WritesThroughASymbolicLink) {
    temp_dir dir;
    const auto real = dir.path / "real.dat";
    const auto link = dir.path / "link.dat";
    samples::write_file(real.string(), {1, 2, 3});
    std::filesystem::create_symlink(real, link);
    Ttombpcdat doc = parse_script(samples::real_size_bytes());
    save_script_file(link.string(), doc);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(samples::read_file(real.string()), samples::real_size_bytes());
}
