// Exact bytes of the small cases of the file layout, each read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "codec/codepage.h"
#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/layout.h"
#include "codec/options.h"
#include "codec/script_file.h"
#include "codec/transcript.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;
using bytes_t = std::vector<std::uint8_t>;

namespace {

// A minimal document: no levels, 41 empty game strings 2.
Ttombpcdat empty_document() {
    Ttombpcdat doc;
    doc.flags = 0x0300;
    doc.single_level = -1;
    doc.game_strings2.strings.assign(41, "");
    doc.scripts.push_back({});
    doc.scripts[0].command_count = 1;
    doc.scripts[0].commands[0] = {9, 0xFFFF};
    return doc;
}

bytes_t save(Ttombpcdat doc) { return samples::file_bytes(doc); }

std::uint16_t u16_at(const bytes_t& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// Where the level description table starts and what it holds.
bytes_t slice(const bytes_t& b, std::size_t from, std::size_t n) {
    return bytes_t(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + n));
}

std::string error_of(const bytes_t& b) {
    try {
        parse_script(b);
    } catch (const script_error& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(EncodeString, CodesWithTheKeyOnlyWhileTheFlagIsSet) {
    EXPECT_EQ(encode_string(0x0000, 0x5A, "ab"), std::string("ab\0", 3));
    EXPECT_EQ(encode_string(0x0100, 0x00, "ab"), std::string("ab\0", 3));
    const std::string coded = encode_string(0x0100, 0x5A, "ab");
    ASSERT_EQ(coded.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(coded[0]), 'a' ^ 0x5A);
    EXPECT_EQ(static_cast<unsigned char>(coded[1]), 'b' ^ 0x5A);
    EXPECT_EQ(static_cast<unsigned char>(coded[2]), 0x5A);  // the terminator is the key
    EXPECT_EQ(encode_string(0x0100, 0x33, ""), std::string(1, '\x33'));
}

TEST(StringTable, AbcEmptyDeIsLaidOutWithOffsetsAndTotalSize) {
    for (std::uint8_t key : {std::uint8_t{0}, std::uint8_t{0xA7}}) {
        Ttombpcdat doc = empty_document();
        doc.cipher_byte = key;
        doc.level_count = 3;
        doc.level_names.strings = {"abc", "", "de"};
        doc.level_files.strings = {"x", "y", "z"};
        for (auto& t : doc.key_strings) t.strings.assign(3, "");
        doc.scripts.resize(4, doc.scripts[0]);
        const bytes_t b = save(doc);

        const std::size_t at = layout::kHeaderSize;
        EXPECT_EQ(u16_at(b, at), 0);
        EXPECT_EQ(u16_at(b, at + 2), 4);
        EXPECT_EQ(u16_at(b, at + 4), 5);
        EXPECT_EQ(u16_at(b, at + 6), 8);
        bytes_t block = {'a', 'b', 'c', 0, 0, 'd', 'e', 0};
        for (auto& c : block) c ^= key;
        EXPECT_EQ(slice(b, at + 8, 8), block);

        const Ttombpcdat back = parse_script(b);
        EXPECT_EQ(back.level_names.strings, (std::vector<std::string>{"abc", "", "de"}));
        EXPECT_EQ(back.level_names.offsets, (std::vector<std::uint16_t>{0, 4, 5}));
        EXPECT_EQ(back.level_names.total_size, 8);
    }
}

TEST(StringTable, PlainStringsAreReadPlainWhateverTheKey) {
    Ttombpcdat doc = empty_document();
    doc.level_count = 1;
    doc.level_names.strings = {"Lara"};
    doc.level_files.strings = {"data\\x.tr2"};
    for (auto& t : doc.key_strings) t.strings.assign(1, "k");
    doc.scripts.resize(2, doc.scripts[0]);
    bytes_t b = save(doc);  // cipher_byte 0: coded and plain are the same bytes
    b[layout::kFlags] = 0x00;
    b[layout::kFlags + 1] = 0x00;  // flag 0x0100 cleared
    b[layout::kCipherByte] = 0x77;   // a key that must be ignored
    const Ttombpcdat back = parse_script(b);
    EXPECT_EQ(back.level_names.strings[0], "Lara");
    EXPECT_EQ(back.cipher_byte, 0x77);

    // Saved again: the strings are coded with the key and the flags gain 0x0300.
    const bytes_t again = save(back);
    EXPECT_EQ(u16_at(again, layout::kFlags), 0x0300);
    EXPECT_EQ(again[layout::kHeaderSize + 4], static_cast<std::uint8_t>('L' ^ 0x77));
    EXPECT_EQ(parse_script(again).level_names.strings[0], "Lara");
}

TEST(StringTable, ZeroEntriesIsJustTheTotalSize) {
    Ttombpcdat doc = empty_document();
    const bytes_t b = save(doc);
    // Six empty leading tables: six zero words right after the header.
    EXPECT_EQ(slice(b, layout::kHeaderSize, 12), bytes_t(12, 0));
    // One script offset (level_count + 1), the size 2, then the lone 9.
    EXPECT_EQ(slice(b, layout::kHeaderSize + 12, 6), (bytes_t{0, 0, 2, 0, 9, 0}));
    const Ttombpcdat back = parse_script(b);
    EXPECT_EQ(back.script_count, 1);
    EXPECT_EQ(back.key_strings[9].total_size, 0);
}

TEST(StringTable, A255CharacterStringIsStoredIn256BytesAndReadsBackWhole) {
    Ttombpcdat doc = empty_document();
    doc.cipher_byte = 0x11;
    doc.game_strings1.strings = {std::string(255, 'x'), "next"};
    const bytes_t b = save(doc);
    const Ttombpcdat back = parse_script(b);
    EXPECT_EQ(back.game_strings1.strings[0], std::string(255, 'x'));
    EXPECT_EQ(back.game_strings1.strings[1], "next");
    EXPECT_EQ(back.game_strings1.offsets[1], 256);
}

TEST(StringTable, TheReaderTakesAt256BytesWithoutATerminator) {
    // A hand-made file whose first level name runs 300 bytes without an end:
    // the first 256 bytes are one string, the rest start the next.
    Ttombpcdat doc = empty_document();
    doc.level_count = 2;
    doc.level_names.strings = {std::string(255, 'a'), "b"};
    doc.level_files.strings = {"", ""};
    for (auto& t : doc.key_strings) t.strings.assign(2, "");
    doc.scripts.resize(3, doc.scripts[0]);
    bytes_t b = save(doc);
    const std::size_t first = layout::kHeaderSize + 2 * 2 + 2;
    b[first + 255] = 'a';  // the terminator of the first string becomes a character
    const Ttombpcdat back = parse_script(b);
    EXPECT_EQ(back.level_names.strings[0], std::string(256, 'a'));
    EXPECT_EQ(back.level_names.strings[1], "b");
}

TEST(Sequences, PlayFmvThenEndIsSixBytesAndMovesTheNextOffset) {
    Ttombpcdat doc = empty_document();
    doc.level_count = 1;
    doc.level_names.strings = {"L"};
    doc.level_files.strings = {"f"};
    for (auto& t : doc.key_strings) t.strings.assign(1, "");
    script_slot s;
    s.command_count = 2;
    s.commands[0] = {3, 7};
    s.commands[1] = {9, 0xFFFF};
    script_slot quiet;
    quiet.command_count = 2;
    quiet.commands[0] = {6, 1234};  // a code without operand: its operand is not written
    quiet.commands[1] = {9, 0xFFFF};
    doc.scripts = {s, quiet};
    const bytes_t b = save(doc);
    const std::size_t at = layout::kHeaderSize + (2 + 2 + 2) * 2 + 4 * 2;  // after the six tables
    EXPECT_EQ(slice(b, at, 4), (bytes_t{0, 0, 6, 0}));   // offsets 0 and 6
    EXPECT_EQ(u16_at(b, at + 4), 10);                       // script_size
    EXPECT_EQ(slice(b, at + 6, 10), (bytes_t{3, 0, 7, 0, 9, 0, 6, 0, 9, 0}));
    const Ttombpcdat back = parse_script(b);
    ASSERT_EQ(back.scripts.size(), 2u);
    EXPECT_EQ(back.scripts[0].commands[0].operand, 7);
    EXPECT_EQ(back.scripts[1].commands[0].operand, 0xFFFF);
    EXPECT_EQ(back.scripts[0].operand_count, 1);
}

TEST(Flags, KeepTheNineBoxBitsAndGainTheCodingBits) {
    Ttombpcdat doc = empty_document();
    doc.flags = 0;
    EXPECT_EQ(u16_at(save(doc), layout::kFlags), 0x0300);
    doc.flags = 0x0422 | 0x0800;  // 0x0800 is read but not kept
    EXPECT_EQ(u16_at(save(doc), layout::kFlags), 0x0722);
}

TEST(Options, AreWrittenWholeOrAsTheirLow16Bits) {
    Ttombpcdat doc = empty_document();
    set_option_value(doc, option_id::demo_time, 70000);        // 32 bits
    set_option_value(doc, option_id::title_sound_id, 70000);   // 16 bits
    set_option_value(doc, option_id::secret_sound_id, -1);
    const bytes_t b = save(doc);
    EXPECT_EQ(u16_at(b, layout::kDemoTime) | (u16_at(b, layout::kDemoTime + 2) << 16), 70000);
    EXPECT_EQ(u16_at(b, layout::kTitleSoundId), 4464);
    EXPECT_EQ(u16_at(b, layout::kSecretSoundId), 65535);
    // A stored 65535 shows as -1 and is written back as 65535.
    EXPECT_EQ(option_value(parse_script(b), option_id::secret_sound_id), -1);
}

TEST(KeyStrings, TablesShorterAndLongerThanTheLevelCount) {
    Ttombpcdat doc = empty_document();
    doc.level_count = 5;
    doc.level_names.strings.assign(5, "L");
    doc.level_files.strings.assign(5, "F");
    for (auto& t : doc.key_strings) t.strings.assign(5, "k");
    doc.scripts.resize(6, doc.scripts[0]);
    doc.key_strings[2].strings = {"one", "two"};
    doc.key_strings[3].strings = {"1", "2", "3", "4", "5", "6", "7"};
    const Ttombpcdat back = parse_script(save(doc));
    EXPECT_EQ(back.key_strings[2].strings, (std::vector<std::string>{"one", "two", "", "", ""}));
    EXPECT_EQ(back.key_strings[3].strings, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

TEST(SingleLevel, IsCarried) {
    Ttombpcdat doc = empty_document();
    for (std::int16_t single : {std::int16_t{0}, std::int16_t{-1}}) {
        doc.single_level = single;
        EXPECT_EQ(static_cast<std::int16_t>(u16_at(save(doc), layout::kSingleLevel)), single);
    }
}

TEST(Loader, ReportsTheDocumentedFailures) {
    const bytes_t good = samples::real_size_bytes();
    EXPECT_EQ(error_of(bytes_t(good.begin(), good.begin() + 390)), "Read beyond end of file");
    EXPECT_EQ(error_of({}), "Read beyond end of file");
    bytes_t neg = good;
    neg[layout::kPicCount + 1] = 0x80;
    EXPECT_EQ(error_of(neg), "Range check error");
}

TEST(Loader, TakesUpTo64CommandsInASequence) {
    // The empty document's lone "End of set" replaced by n "Play soundtrack"
    // commands and the end; the size word in front of the block follows.
    const bytes_t b = save(empty_document());
    const auto with_commands = [&b](int n) {
        const std::size_t block = layout::kHeaderSize + 12 + 2;
        bytes_t out(b.begin(), b.begin() + block);
        const auto size = static_cast<std::uint16_t>(n * 4 + 2);
        out.insert(out.end(), {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8)});
        for (int i = 0; i < n; ++i) out.insert(out.end(), {10, 0, 1, 0});
        out.insert(out.end(), {9, 0});
        out.insert(out.end(), b.begin() + block + 4, b.end());
        return out;
    };
    EXPECT_EQ(parse_script(with_commands(63)).scripts[0].command_count, 64);
    EXPECT_EQ(error_of(with_commands(64)), "Script sequence 0 has more than 64 commands");
}

TEST(Loader, AnEmptySequenceBlockHasNoSlots) {
    Ttombpcdat doc = empty_document();
    bytes_t b = save(doc);
    // script_size 0 and no sequence bytes.
    b[layout::kHeaderSize + 14] = 0;
    b.erase(b.begin() + layout::kHeaderSize + 16, b.begin() + layout::kHeaderSize + 18);
    const Ttombpcdat back = parse_script(b);
    EXPECT_EQ(back.script_count, 0);
    EXPECT_TRUE(back.scripts.empty());
}

// Every code page from the system's iconv: each byte has its own character
// and back; undefined bytes keep a character of their own number.
TEST(CodePage, EachIsABijectionOnAllBytes) {
    const struct {
        codepage::page page;
        unsigned char byte;
        char32_t ch;
    } samples[] = {
        {codepage::page::cp1250, 0xA3, U'\u0141'}, {codepage::page::cp1250, 0x81, U'\u0081'},
        {codepage::page::cp1251, 0xC0, U'\u0410'}, {codepage::page::cp1251, 0x98, U'\u0098'},
        {codepage::page::cp1252, 0x80, U'\u20AC'}, {codepage::page::cp1252, 0x81, U'\u0081'},
        {codepage::page::cp1253, 0xAA, U'\uF7AA'}, {codepage::page::cp1254, 0xD0, U'\u011E'},
        {codepage::page::cp1255, 0xD9, U'\uF7D9'}, {codepage::page::cp1256, 0x81, U'\u067E'},
        {codepage::page::cp1257, 0xA1, U'\uF7A1'}, {codepage::page::cp1258, 0xD2, U'\u0309'},
    };
    std::string all;
    for (int b = 0; b <= 255; ++b) all.push_back(static_cast<char>(b));
    for (const codepage::page p : codepage::kPages) {
        const codepage::table& t = codepage::get(p);
        std::set<char32_t> seen;
        for (int b = 0; b <= 255; ++b) {
            const char32_t c = t.to_unicode(static_cast<unsigned char>(b));
            EXPECT_TRUE(seen.insert(c).second) << t.name() << " " << b;
            EXPECT_EQ(t.from_unicode(c), std::optional<unsigned char>(static_cast<unsigned char>(b))) << t.name();
        }
        EXPECT_EQ(t.utf8_to_bytes(t.bytes_to_utf8(all)), all) << t.name();
        EXPECT_EQ(codepage::parse_name("CP" + std::to_string(codepage::number(p))), p);
        EXPECT_EQ(codepage::parse_name(t.name()), p);
    }
    for (const auto& s : samples) EXPECT_EQ(codepage::get(s.page).to_unicode(s.byte), s.ch) << codepage::name(s.page);

    EXPECT_EQ(codepage::to_unicode(0x80), U'\u20AC');  // the default, windows-1252
    EXPECT_FALSE(codepage::from_unicode(U'\u0080').has_value());  // 0x80 is the euro sign
    EXPECT_FALSE(codepage::from_unicode(U'\u4E2D').has_value());
    EXPECT_FALSE(codepage::parse_name("windows-1259").has_value());
    EXPECT_FALSE(codepage::utf8_to_bytes("\xE4\xB8\xAD").has_value());  // not in the code page
    EXPECT_FALSE(codepage::utf8_to_bytes("\xC3").has_value());          // cut short
    EXPECT_FALSE(codepage::utf8_to_bytes("\xC0\xAF").has_value());      // overlong
}

TEST(Listing, FormatsNamesOperandsAndLookedUpNames) {
    Ttombpcdat doc;
    doc.level_names.strings = {"Great Wall", "Venice", "X"};
    doc.fmv_files.strings = {"fmv\\intro.rpl"};
    doc.cutscene_files.strings = {"cut1.tr2"};
    doc.pic_files.strings = {"pix\\a.pcx"};
    EXPECT_EQ(format_command({10, 33}, doc), "Play soundtrack,33");
    EXPECT_EQ(format_command({10, 0}, doc), "Play soundtrack,0");
    EXPECT_EQ(format_command({9, 0xFFFF}, doc), "End of set ");
    EXPECT_EQ(format_command({4, 2}, doc), "Play level,2 (X)");
    EXPECT_EQ(format_command({3, 0}, doc), "Play FMV file,0 (fmv\\intro.rpl)");
    EXPECT_EQ(format_command({5, 0}, doc), "Play CutScene,0 (cut1.tr2)");
    EXPECT_EQ(format_command({12, 0}, doc), "Show Chapter screen,0 (pix\\a.pcx)");
    EXPECT_EQ(format_command({7, 1}, doc), "Play demo level:,1");  // no name looked up
    EXPECT_EQ(format_command({4, 9}, doc), "Play level,9 (?)");
    EXPECT_EQ(format_command({23, 0xFFFF}, doc), "---UNKNOWN(23)");
    EXPECT_EQ(command_names[6], "Show level-completion display ");
    EXPECT_EQ(command_names[22], "Lose your armmo and medipacks");
}

TEST(Transcript, ListsTheLoadInOrder) {
    Ttombpcdat doc = empty_document();
    doc.level_count = 3;
    doc.description[0] = 'A';
    doc.description[1] = 'b';
    doc.description[2] = 'c';
    doc.level_names.strings = {"L0", "L1", "L2"};
    doc.level_files.strings = {"f0", "f1", "f2"};
    doc.pic_files.strings = {"p0"};
    doc.title_files.strings = {"t0"};
    doc.fmv_files.strings = {"m0"};
    doc.cutscene_files.strings = {"c0"};
    doc.scripts.resize(4, doc.scripts[0]);
    doc.demo_levels = {2, 0};
    doc.game_strings1.strings = {"g1"};
    doc.game_strings2.strings.assign(41, "h");
    const auto lines = transcript_lines(doc);
    const std::vector<std::string> head = {"Translated by Vellumark", "A", "b", "c", "p0", "t0", "m0",
                                           "f0", "f1", "f2", "c0", "Script#0", "Script#1", "Script#2",
                                           "Script#3", "L2", "L0", "g1"};
    ASSERT_EQ(lines.size(), head.size() + 41);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), lines.begin()));
    EXPECT_EQ(memo12_lines(doc), (std::vector<std::string>{"A", "b", "c"}));

    // Past the 256th level there is no description byte: an empty line.
    doc.level_count = 258;
    doc.description.fill('z');
    const auto bytes = memo12_lines(doc);
    EXPECT_EQ(bytes[255], "z");
    EXPECT_EQ(bytes[256], "");
    EXPECT_EQ(bytes[257], "");
}
