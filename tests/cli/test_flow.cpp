// The game flow: the nodes and edges of a generated script's DOT, the red
// cases included; `vellumark-cli flow` with and without Graphviz's dot.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <tuple>

#include "cli_support.h"
#include "codec/commands.h"
#include "codec/script_file.h"
#include "formats/flow_dot.h"
#include "formats/flow_graph.h"
#include "tests/samples/sample_scripts.h"

namespace vellumark {
namespace {

using cli::testing::run_program;
using cli::testing::scratch_dir;
using cli::testing::slurp;

script_slot slot_of(std::initializer_list<script_command> commands) {
    script_slot slot;
    for (const script_command& c : commands) slot.commands[std::size_t(slot.command_count++)] = c;
    return slot;
}

constexpr std::uint16_t kNone = cmd::kNoOperand;

// Six levels; the last has no slot of its own.
Ttombpcdat flow_script() {
    Ttombpcdat doc = samples::make_document(3, 6);
    doc.level_names.strings = {"Lara's Home", "The Great Wall", "Venice", "Bartoli's Hideout", "Opera House", "Xian"};
    doc.level_files.strings = {"ASSAULT.TR2", "WALL.TR2", "BOAT.TR2", "VENICE.TR2", "OPERA.TR2", "XIAN.TR2"};
    doc.fmv_files.strings = {"FMV\\LOGO.RPL", "ANCIENT.RPL"};
    doc.cutscene_files.strings = {"CUT1.TR2"};
    doc.pic_files.strings = {"PIX\\CHAPTER1.PCX"};
    doc.title_files.strings = {"TITLE.TR2"};
    doc.scripts = {
        slot_of({{3, 0}, {10, 64}, {9, kNone}}),
        slot_of({{4, 0}, {6, kNone}, {9, kNone}}),
        slot_of({{12, 0}, {4, 3}, {18, 7}, {18, 7}, {18, 2}, {6, kNone}, {9, kNone}}),  // plays another level
        slot_of({{3, 9}, {4, 2}, {16, 16384}, {5, 0}, {20, 3}, {6, kNone}, {9, kNone}}),  // movie 9: no movie
        slot_of({{10, 5}, {6, kNone}, {9, kNone}}),                                        // plays no level
        slot_of({{4, 4}, {14, kNone}, {15, kNone}, {9, kNone}}),                           // ends the game
    };
    doc.script_count = 6;
    doc.demo_levels = {2, 2, 5};
    return doc;
}

TEST(GameFlow, HasTheNodesAndEdgesOfPlayOrderDemoLevelsAndWarnings) {
    const flow::graph g = flow::build_graph(flow_script(), codepage::get(codepage::kDefaultPage));
    const std::string dot = flow::dot_text(g);

    // Every node line of the DOT: its name and whether it is red.
    std::set<std::pair<std::string, bool>> nodes;
    std::set<std::tuple<std::string, std::string, bool>> edges;
    const std::regex node_line(R"(^  (\w+) \[label=<.*, tooltip="[^\n]*"(, color=red)?\];$)");
    const std::regex edge_line(R"(^  (\w+) -> (\w+)( \[style=dashed\])?;$)");
    std::istringstream lines(dot);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_match(line, m, node_line)) nodes.emplace(m[1], m[2].matched);
        if (std::regex_match(line, m, edge_line)) edges.emplace(m[1], m[2], m[3].matched);
    }
    const std::set<std::pair<std::string, bool>> want_nodes = {
        {"s0", false}, {"s1", false}, {"s2", true}, {"s3", true}, {"s4", true}, {"s5", false}, {"l5", true}};
    EXPECT_EQ(nodes, want_nodes);
    const std::set<std::tuple<std::string, std::string, bool>> want_edges = {
        {"s0", "s1", false}, {"s1", "s2", false}, {"s2", "s3", false}, {"s3", "s4", false},
        {"s4", "s5", false}, {"s0", "s3", true},  {"s0", "l5", true}};  // none after "End of game"
    EXPECT_EQ(edges, want_edges);

    // What the nodes say, in order, and the warnings they carry.
    struct row {
        std::size_t node;
        std::string title, file;
        std::vector<std::string> events;
        std::string warnings;
    };
    const std::vector<row> want = {
        {0, "Title", "TITLE.TR2", {"Movie FMV\\LOGO.RPL", "Soundtrack 64"}, ""},
        {2, "1 The Great Wall", "WALL.TR2",
         {"Chapter screen PIX\\CHAPTER1.PCX", "Play level 3 Bartoli's Hideout", "Item 7 \xC3\x97" "2", "Item 2",
          "Level complete"},
         "Play level 3 names another level than the slot's own level 1"},
        {3, "2 Venice", "BOAT.TR2", {"Movie #9", "Cut-scene CUT1.TR2, angle 16384", "Number of secrets 3", "Level complete"},
         "Play FMV file 9 names no movie (the script has 2 movies)"},
        {4, "3 Bartoli's Hideout", "VENICE.TR2", {"Soundtrack 5", "Level complete"},
         "The slot of level 3 has no \"Play level\" or \"Play demo level:\""},
        {5, "4 Opera House", "OPERA.TR2", {"Lose your weapons", "End of game"}, ""},
        {6, "5 Xian", "XIAN.TR2", {}, "Level 5 has no script slot"},
    };
    ASSERT_EQ(g.nodes.size(), 7u);
    for (const row& r : want) {
        const flow::node& n = g.nodes[r.node];
        std::vector<std::string> events;
        for (const flow::event& e : n.events) events.push_back(e.text);
        EXPECT_EQ(n.title, r.title);
        EXPECT_EQ(n.file, r.file);
        EXPECT_EQ(events, r.events) << n.title;
        EXPECT_EQ(n.warnings(), r.warnings);
    }
    // The warning is the tool tip of the red node.
    EXPECT_NE(dot.find("tooltip=\"Play FMV file 9 names no movie (the script has 2 movies)\", color=red"),
              std::string::npos);
}

// `flow` writes DOT, SVG and PNG by OUT's name or --format; without dot it
// says so once, fails, and leaves OUT alone, while DOT still works.
TEST(GameFlowCommand, WritesPicturesThroughDotAndSaysWhenDotIsMissing) {
    scratch_dir dir;
    const std::string script = dir / "TOMBPC.DAT";
    const std::vector<std::uint8_t> bytes = samples::file_bytes(flow_script());
    samples::write_file(script, bytes);

    const auto dot = run_program(dir, {"flow", script});
    ASSERT_EQ(dot.code, 0) << dot.err;
    EXPECT_EQ(dot.out, flow::dot_text(flow::build_graph(parse_script(bytes), codepage::get(codepage::kDefaultPage))));

    ASSERT_EQ(run_program(dir, {"flow", script, "-o", dir / "flow.png"}).code, 0);
    const std::string png = slurp(dir / "flow.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    ASSERT_EQ(run_program(dir, {"flow", script, "--format", "svg", "-o", dir / "flow.pic"}).code, 0);
    const std::string svg = slurp(dir / "flow.pic");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("Opera House"), std::string::npos);
    // dot would read "\L" as a name: the backslash stays, before a zero-width space.
    EXPECT_NE(svg.find("Movie FMV\\\xE2\x80\x8BLOGO.RPL"), std::string::npos);

    // No dot on PATH.
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", dir.path().c_str(), 1);
    const auto missing = run_program(dir, {"flow", script, "-o", dir / "flow.png"}, VELLUMARK_CLI_PATH);
    const auto still_dot = run_program(dir, {"flow", script, "--format=dot"}, VELLUMARK_CLI_PATH);
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, std::string(flow::kDotMissing) + ".\n");
    EXPECT_EQ(slurp(dir / "flow.png"), png);
    EXPECT_EQ(still_dot.code, 0);
    EXPECT_EQ(still_dot.out, dot.out);
}

}  // namespace
}  // namespace vellumark
