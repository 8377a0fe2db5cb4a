// Level operations on the record: every table moves in step, and the
// commands and demo entries that name levels follow them.
#include <gtest/gtest.h>

#include <functional>

#include "codec/commands.h"
#include "codec/errors.h"
#include "codec/levels.h"
#include "codec/script_file.h"
#include "tests/samples/sample_scripts.h"

using namespace vellumark;

namespace {

// Four levels A to D with pictures; slot i + 1 shows picture i and plays
// level i, slot 1 also shows picture 3; slot 0 plays level 2 and the demo of
// level 3; a stray operand 99 names no level.
Ttombpcdat four_levels() {
    Ttombpcdat doc = samples::make_document(3, 4);
    doc.level_names.strings = {"A", "B", "C", "D"};
    doc.level_files.strings = {"a", "b", "c", "d"};
    doc.pic_files.strings = {"pa", "pb", "pc", "pd"};
    for (int t = 0; t < kKeyStringTables; ++t)
        doc.key_strings[std::size_t(t)].strings = {"ka", "kb", "kc", "kd"};
    const auto slot = [](std::initializer_list<script_command> commands) {
        script_slot s;
        for (auto c : commands) s.commands[std::size_t(s.command_count++)] = c;
        return s;
    };
    doc.scripts = {slot({{cmd::kPlayLevel, 2}, {cmd::kPlayDemoLevel, 3}, {cmd::kPlayLevel, 99}, {cmd::kEndOfSet, 0xFFFF}})};
    for (std::uint16_t i = 0; i < 4; ++i)
        doc.scripts.push_back(slot({{cmd::kPlaySoundtrack, i}, {cmd::kShowChapterScreen, i}, {cmd::kPlayLevel, i},
                                    {cmd::kEndOfSet, 0xFFFF}}));
    doc.scripts[1] = slot({{cmd::kShowChapterScreen, 0}, {cmd::kShowChapterScreen, 3}, {cmd::kPlayLevel, 0},
                           {cmd::kEndOfSet, 0xFFFF}});
    doc.demo_levels = {3, 0};
    return doc;
}

// The level each slot plays, the title slot's three operands, the demo list.
std::string summary(const Ttombpcdat& doc) {
    std::string out;
    for (const auto& s : doc.level_names.strings) out += s;
    out += " ";
    for (const auto& s : doc.level_files.strings) out += s;
    out += " ";
    for (const auto& s : doc.pic_files.strings) out += s;
    out += " ";
    for (const auto& s : doc.key_strings[9].strings) out += s.empty() ? "-" : s.substr(1);
    if (doc.layout == script_layout::playstation_beta) {  // and Special 2
        out += " ";
        for (const auto& s : doc.beta_key_strings[5].strings) out += s.empty() ? "-" : s.substr(1);
    }
    out += " |";
    for (std::size_t k = 0; k < doc.scripts.size(); ++k) {
        const script_slot& slot = doc.scripts[k];
        std::string operands;
        for (int i = 0; i < slot.command_count; ++i)
            if (slot.commands[std::size_t(i)].command != cmd::kEndOfSet &&
                (k == 0 || slot.commands[std::size_t(i)].command == cmd::kPlayLevel))
                operands.append(std::to_string(slot.commands[std::size_t(i)].operand)).append(",");
        // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) about " " + ...
        out.append(" ").append(operands.empty() ? std::string("-") : operands);
    }
    out += " | demo";
    for (auto d : doc.demo_levels) out.append(" ").append(std::to_string(d));
    return out;
}

// The pictures each slot's chapter screens show.
std::string chapters(const Ttombpcdat& doc) {
    std::string out;
    for (const script_slot& slot : doc.scripts) {
        std::string operands;
        for (int i = 0; i < slot.command_count; ++i)
            if (const script_command& c = slot.commands[std::size_t(i)]; c.command == cmd::kShowChapterScreen)
                operands.append(operands.empty() ? "" : ",").append(std::to_string(c.operand));
        out.append(out.empty() ? "" : " ").append(operands.empty() ? std::string("-") : operands);
    }
    return out;
}

// four_levels() as a script of the PlayStation beta, whose six more tables
// move with the levels too.
void make_beta(Ttombpcdat& doc) {
    doc.layout = script_layout::playstation_beta;
    for (auto& t : doc.beta_key_strings) t.strings = {"sa", "sb", "sc", "sd"};
}

// The level a slot plays: the operand of its first "Play level".
int played(const script_slot& slot) {
    for (int i = 0; i < slot.command_count; ++i)
        if (slot.commands[std::size_t(i)].command == cmd::kPlayLevel) return slot.commands[std::size_t(i)].operand;
    return -1;
}

}  // namespace

TEST(LevelOperations, RenumberEveryTableCommandAndDemoEntry) {
    const struct {
        const char* what;
        std::function<void(Ttombpcdat&)> op;
        std::string after;
        std::string chapter_screens;  // follow their pictures, which move with the levels
    } cases[] = {
        {"nothing", [](Ttombpcdat&) {}, "ABCD abcd papbpcpd abcd | 2,3,99, 0, 1, 2, 3, | demo 3 0", "- 0,3 1 2 3"},
        {"move 3 to 1", [](Ttombpcdat& d) { move_level(d, 3, 1); },
         "ADBC adbc papdpbpc adbc | 3,1,99, 0, 1, 2, 3, | demo 1 0", "- 0,1 1 2 3"},
        {"move 0 to 3", [](Ttombpcdat& d) { move_level(d, 0, 3); },
         "BCDA bcda pbpcpdpa bcda | 1,2,99, 0, 1, 2, 3, | demo 2 3", "- 0 1 2 3,2"},
        {"insert at 1", [](Ttombpcdat& d) { insert_level(d, 1, "N", "n"); },
         "ANBCD anbcd papbpcpd a-bcd | 3,4,99, 0, - 2, 3, 4, | demo 4 0", "- 0,4 - 2 3 4"},
        {"insert at the end", [](Ttombpcdat& d) { insert_level(d, 4); },
         "ABCD abcd papbpcpd abcd- | 2,3,99, 0, 1, 2, 3, - | demo 3 0", "- 0,3 1 2 3 -"},
        {"delete 2", [](Ttombpcdat& d) { delete_level(d, 2); },
         "ABD abd papbpd abd | 65535,2,99, 0, 1, 2, | demo 2 0", "- 0,2 1 2"},
        {"delete 3", [](Ttombpcdat& d) { delete_level(d, 3); },
         "ABC abc papbpc abc | 2,65535,99, 0, 1, 2, | demo 0", "- 0,65535 1 2"},
        {"move 3 to 1 in the PlayStation beta",
         [](Ttombpcdat& d) {
             make_beta(d);
             move_level(d, 3, 1);
         },
         "ADBC adbc papdpbpc adbc adbc | 3,1,99, 0, 1, 2, 3, | demo 1 0", "- 0,1 1 2 3"},
    };
    for (const auto& c : cases) {
        Ttombpcdat doc = four_levels();
        c.op(doc);
        EXPECT_EQ(summary(doc), c.after) << c.what;
        EXPECT_EQ(chapters(doc), c.chapter_screens) << c.what;
    }

    // Pictures that are not one per level stay, and so do the chapter
    // screens; a short key-string table is filled up before a line moves.
    Ttombpcdat doc = four_levels();
    doc.pic_files.strings = {"p"};
    doc.key_strings[9].strings = {"ka"};
    move_level(doc, 0, 2);
    EXPECT_EQ(summary(doc), "BCAD bcad p --a- | 1,3,99, 0, 1, 2, 3, | demo 3 2");
    EXPECT_EQ(chapters(doc), "- 1 2 0,3 3");
    delete_level(doc, 0);
    EXPECT_EQ(chapters(doc), "- 2 0,3 3");

    // The places a deletion names: chapter screens only while pictures move.
    const auto places = [](const level_references& r) {
        std::vector<std::pair<int, int>> out = r.commands;
        for (int entry : r.demo_entries) out.emplace_back(-1, entry);
        return out;
    };
    using Places = std::vector<std::pair<int, int>>;
    EXPECT_EQ(places(references_to_level(four_levels(), 3)), (Places{{0, 1}, {1, 1}, {-1, 0}}));
    EXPECT_EQ(places(references_to_level(doc, 2)), (Places{{0, 1}, {-1, 0}}));  // not slot 1's chapter screen

    // Numbers out of range change nothing.
    doc = four_levels();
    const Ttombpcdat before = doc;
    for (const auto& op : std::vector<std::function<void()>>{[&] { move_level(doc, 4, 0); },
                                                             [&] { insert_level(doc, 5); },
                                                             [&] { delete_level(doc, -1); }})
        EXPECT_THROW(op(), script_error);
    EXPECT_EQ(doc, before);
}

TEST(LevelOperations, MovedThereAndBackTheFileIsTheSameAndEverySlotPlaysItsLevel) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const auto bytes = samples::file_bytes(seed <= 5 ? samples::make_document(seed, 20)
                                                         : samples::make_beta_document(seed, 20));
        for (const auto& [a, b] : {std::pair{7, 3}, std::pair{0, 19}, std::pair{12, 13}}) {
            Ttombpcdat doc = parse_script(bytes);
            move_level(doc, a, b);
            const Ttombpcdat moved = parse_script(write_script_file(doc));
            for (int i = 0; i < 20; ++i)  // slot i + 1 still plays level i
                EXPECT_EQ(played(moved.scripts[std::size_t(i) + 1]), i) << seed;
            move_level(doc, b, a);
            EXPECT_EQ(write_script_file(doc), bytes) << "seed " << seed << ", " << a << " to " << b;
        }
        Ttombpcdat doc = parse_script(bytes);
        insert_level(doc, 4);
        delete_level(doc, 10);
        const Ttombpcdat saved = parse_script(write_script_file(doc));
        for (int i = 0; i < 20; ++i)
            if (i != 4) {
                EXPECT_EQ(played(saved.scripts[std::size_t(i) + 1]), i);
            }
    }
}
