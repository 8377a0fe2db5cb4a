// The game flow of a script as a graph: what the game plays, in order. One
// node for the title slot and one for each level slot in play order, each
// with the events its commands make; arrows from each slot to the next (none
// after "End of game"), dashed arrows from the title to the demo levels.
// What the Problems panel warns about is marked, with the warning. The DOT
// form of the graph is what Graphviz's `dot` lays out and renders.
#pragma once

#include <string>
#include <vector>

#include "codec/codepage.h"
#include "codec/tombpcdat.h"

namespace vellumark::flow {

// One line of a node: a command or a group of "Give item" commands.
struct event {
    int line = -1;        // the (first) command's line in its slot
    std::string text;     // UTF-8: "Movie ANCIENT.RPL", "Cut-scene CUT1.TR2, angle 16384"
    std::string warning;  // the check's warning about the command; empty when none
};

struct node {
    std::string id;       // the DOT name: "s5" for slot 5, "l7" for level 7 when no slot is its own
    int slot = -1;        // -1 for a level without a slot
    std::string title;    // UTF-8: "4 Opera House", "Title"
    std::string file;     // UTF-8: the level's file, the title's first file; may be empty
    std::vector<event> events;
    std::string warning;  // the warnings about the slot itself, one per line; empty when none

    // Whether the node or one of its events has a warning: drawn in red.
    bool red() const;
    // Every warning of the node and its events, one per line.
    std::string warnings() const;
};

struct edge {
    std::string from, to;  // node ids
    bool demo = false;     // the title to a demo level: dashed
};

struct graph {
    std::vector<node> nodes;  // the title first, then the slots in play order
    std::vector<edge> edges;
};

// The graph of a document, its texts read in the code page cp.
graph build_graph(const Ttombpcdat& doc, const codepage::table& cp);

// Graphviz DOT (UTF-8) of the graph. Each node is an HTML-like table: its
// title, its file, then one row per event; red marks a warning, with the
// warning as tool tip.
std::string dot_text(const graph& g);

}  // namespace vellumark::flow
