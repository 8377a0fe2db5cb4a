// Graphviz's `dot` as a separate program (never linked: Graphviz's licence
// does not combine with the GPL of libgettextpo): running it on DOT text, and
// reading back the layout it gives in its plain format.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/flow_graph.h"

namespace vellumark::flow {

// The message when `dot` cannot be started.
inline constexpr std::string_view kDotMissing =
    "Graphviz's \"dot\" program was not found; install the graphviz package to draw the game flow";

// The message when `dot` ran but gave no picture: "Graphviz's "dot" failed: "
// and what it said (its first line), or its exit status.
std::string dot_failed_message(const std::string& said, int status);

// dot's output for DOT text in one of its formats ("svg", "png", "plain");
// `dot` is looked up in PATH. Throws script_error with kDotMissing or
// dot_failed_message().
std::string run_dot(const std::string& dot, const std::string& format);

// A layout in points (1/72 inch), y growing downwards, (0, 0) the top left
// corner of the picture.
struct placed_node {
    std::string id;
    double x = 0, y = 0;           // the centre
    double width = 0, height = 0;
};
struct placed_edge {
    std::string from, to;
    std::vector<std::pair<double, double>> points;  // B-spline control points: 1 + 3k
    bool dashed = false;
};
struct layout {
    double width = 0, height = 0;
    std::vector<placed_node> nodes;
    std::vector<placed_edge> edges;
};

// Reads dot's `-Tplain` output. Throws script_error (dot_failed_message) when
// the text is not such output.
layout parse_plain(std::string_view text);

}  // namespace vellumark::flow

namespace vellumark::flow {

// dot's time grows faster than the graph: a long script is laid out in
// parts of at most this many nodes, one below the other.
inline constexpr std::size_t kPartNodes = 250;

// The graph in parts of at most `most` nodes in their order, each with the
// edges between its own nodes. One part when the graph is no larger.
std::vector<graph> split_graph(const graph& whole, std::size_t most = kPartNodes);

// The layouts of the parts one below the other, and the edges between parts
// added: the next slot straight below, a demo level by a dashed curve on
// the right.
layout join_layouts(const graph& whole, const std::vector<layout>& placed);

}  // namespace vellumark::flow
