// A long game flow laid out in parts: split_graph() and join_layouts() of
// formats/flow_dot.h.
#include <algorithm>
#include <map>

#include "formats/flow_dot.h"

namespace vellumark::flow {

std::vector<graph> split_graph(const graph& whole, std::size_t most) {
    most = std::max<std::size_t>(most, 1);
    std::vector<graph> parts;
    std::map<std::string, std::size_t> part_of;
    for (std::size_t i = 0; i < whole.nodes.size(); ++i) {
        if (i % most == 0) parts.emplace_back();
        parts.back().nodes.push_back(whole.nodes[i]);
        part_of[whole.nodes[i].id] = parts.size() - 1;
    }
    if (parts.empty()) parts.emplace_back();
    for (const edge& e : whole.edges) {
        const auto from = part_of.find(e.from), to = part_of.find(e.to);
        if (from != part_of.end() && to != part_of.end() && from->second == to->second)
            parts[from->second].edges.push_back(e);
    }
    return parts;
}

layout join_layouts(const graph& whole, const std::vector<layout>& placed) {
    constexpr double kGap = 25;    // between two parts
    constexpr double kArrow = 7;   // the arrowhead's length, as dot leaves room for it
    layout joined;
    std::map<std::string, std::size_t> part_of;
    for (std::size_t p = 0; p < placed.size(); ++p) {
        const double top = p == 0 ? 0 : joined.height + kGap;
        for (placed_node n : placed[p].nodes) {
            n.y += top;
            part_of[n.id] = p;
            joined.nodes.push_back(std::move(n));
        }
        for (placed_edge e : placed[p].edges) {
            for (auto& point : e.points) point.second += top;
            joined.edges.push_back(std::move(e));
        }
        joined.width = std::max(joined.width, placed[p].width);
        joined.height = top + placed[p].height;
    }
    std::map<std::string, const placed_node*> at;
    for (const placed_node& n : joined.nodes) at[n.id] = &n;
    // The edges from one part to another.
    double lane = joined.width;  // demo curves run right of everything, each in its own lane
    for (const edge& e : whole.edges) {
        const auto from = at.find(e.from), to = at.find(e.to);
        if (from == at.end() || to == at.end() || part_of[e.from] == part_of[e.to]) continue;
        const placed_node& a = *from->second;
        const placed_node& b = *to->second;
        placed_edge line{e.from, e.to, {}, e.demo};
        if (!e.demo) {
            const double x0 = a.x, y0 = a.y + a.height / 2, x3 = b.x, y3 = b.y - b.height / 2 - kArrow;
            for (int i = 0; i < 4; ++i)
                line.points.emplace_back(x0 + (x3 - x0) * i / 3, y0 + (y3 - y0) * i / 3);
        } else {
            lane += 6;
            const double x0 = a.x + a.width / 2, x3 = b.x + b.width / 2 + kArrow;
            line.points = {{x0, a.y}, {lane, a.y}, {lane, b.y}, {x3, b.y}};
        }
        joined.edges.push_back(std::move(line));
    }
    joined.width = std::max(joined.width, lane + 4);
    return joined;
}

}  // namespace vellumark::flow
