#include "service/engines/tables/table_grid.h"

#include <algorithm>
#include <cmath>

namespace ocrgated::layout {
namespace {

// A label of the header: the box of its lines, set one under the other, the columns it
// names and its level.
struct Label {
    float top = 0, bottom = 0, x0 = 0, x1 = 0;
    int first = 0, last = 0;  // columns, inclusive
    int depth = 0;
    bool leaf = true;
};

// The header's lines gathered into labels, each over the columns it names.
std::vector<Label> Labels(std::vector<cv::Rect2f> head, const std::vector<cv::Rect2f>& body,
                          const std::vector<Rule>& rules, const std::vector<float>& column_edges,
                          float rule, double unit) {
    const int columns = int(column_edges.size()) - 1;
    // What the body sets in each column, from its left to its right.
    std::vector<std::pair<float, float>> content(std::size_t(columns), {1e30f, -1e30f});
    for (const cv::Rect2f& b : body) {
        auto& [from, to] = content[std::size_t(ColumnOf(column_edges, Centre(b).x))];
        from = std::min(from, b.x);
        to = std::max(to, b.x + b.width);
    }
    std::sort(head.begin(), head.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
    std::vector<Label> labels;
    for (const cv::Rect2f& b : head) {
        Label line{b.y, b.y + b.height, b.x, b.x + b.width};
        // A label over several columns is underlined as far as they run, up to the labels
        // beside it, halfway (underlines set close may be found as one).
        float left = -1e30f, right = 1e30f;
        for (const cv::Rect2f& other : head)
            if (std::min(b.br().y, other.br().y) - std::max(b.y, other.y) > b.height / 2) {
                if (other.br().x <= b.x)
                    left = std::max(left, (other.br().x + b.x) / 2);
                else if (other.x >= b.br().x)
                    right = std::min(right, (b.br().x + other.x) / 2);
            }
        for (const Rule& r : rules)
            if (r.from.y > line.bottom - b.height / 4 && r.from.y < line.bottom + unit &&
                r.from.x < line.x1 && r.to.x > line.x0 && r.from.y < rule - unit / 2) {
                line.x0 = std::min(line.x0, std::max(r.from.x, left));
                line.x1 = std::max(line.x1, std::min(r.to.x, right));
            }
        // It names the columns whose figures it stands over, at least the one of its centre.
        line.first = line.last = ColumnOf(column_edges, (line.x0 + line.x1) / 2);
        for (int c = 0; c < columns; ++c) {
            const auto [from, to] = content[std::size_t(c)];
            if (from < to && std::min(line.x1, to) - std::max(line.x0, from) >= (to - from) / 2) {
                line.first = std::min(line.first, c);
                line.last = std::max(line.last, c);
            }
        }
        // The next line of a label stands close under it, over the same columns, set on
        // the same axis: centred, flush left or flush right.
        const auto same = std::find_if(labels.begin(), labels.end(), [&](const Label& l) {
            const bool aligned = std::abs(l.x0 + l.x1 - b.x - b.br().x) < unit ||
                                 std::abs(l.x0 - b.x) < unit / 4 ||
                                 std::abs(l.x1 - b.br().x) < unit / 4;
            return l.first == line.first && l.last == line.last &&
                   line.top - l.bottom < 0.7f * b.height && line.top > l.top && aligned;
        });
        if (same == labels.end()) {
            labels.push_back(line);
            continue;
        }
        same->bottom = std::max(same->bottom, line.bottom);
        same->x0 = std::min(same->x0, line.x0);
        same->x1 = std::max(same->x1, line.x1);
    }
    return labels;
}

// Each label's parent: the label a level above it (-1 none).
std::vector<int> Parents(std::vector<Label>& labels, double unit) {
    // A label under one that names its columns and more is a level below it.
    std::sort(labels.begin(), labels.end(),
              [](const auto& a, const auto& b) { return a.top < b.top; });
    std::vector<int> parent(labels.size(), -1);
    for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = 0; j < labels.size(); ++j) {
            const Label &above = labels[j], &label = labels[i];
            if (j != i && above.bottom <= label.top + unit / 4 && above.first <= label.first &&
                above.last >= label.last &&
                (parent[i] < 0 || above.bottom > labels[std::size_t(parent[i])].bottom))
                parent[i] = int(j);
        }
    // A label centred over the columns it names, without an underline, may stand over one
    // of them alone: the label of a column beside it, under nothing, is one of them when
    // taking it centres the label's columns under it better.
    for (std::size_t j = 0; j < labels.size(); ++j) {
        Label& over = labels[j];
        const float middle = (over.x0 + over.x1) / 2;
        for (bool grew = true; grew;) {
            grew = false;
            float from = 1e30f, to = -1e30f;
            for (std::size_t i = 0; i < labels.size(); ++i)
                if (parent[i] == int(j)) {
                    from = std::min(from, labels[i].x0);
                    to = std::max(to, labels[i].x1);
                }
            if (from > to)
                break;
            for (std::size_t i = 0; i < labels.size() && !grew; ++i) {
                const Label& beside = labels[i];
                if (parent[i] >= 0 || beside.top < over.bottom ||
                    (beside.last != over.first - 1 && beside.first != over.last + 1) ||
                    std::any_of(parent.begin(), parent.end(), [&](int p) { return p == int(i); }))
                    continue;
                const float both = (std::min(from, beside.x0) + std::max(to, beside.x1)) / 2;
                if (std::abs(both - middle) < std::abs((from + to) / 2 - middle)) {
                    parent[i] = int(j);
                    over.first = std::min(over.first, beside.first);
                    over.last = std::max(over.last, beside.last);
                    grew = true;
                }
            }
        }
    }
    return parent;
}

}  // namespace

bool StackedHeader::Joins(int r, int c, bool right) const {
    const int holder = owner[std::size_t(r)][std::size_t(c)];
    if (right)
        return holder >= 0 && c + 1 < int(owner[0].size()) &&
               holder == owner[std::size_t(r)][std::size_t(c + 1)];
    return holder >= 0 && r + 1 < int(owner.size()) &&
           holder == owner[std::size_t(r + 1)][std::size_t(c)];
}

std::optional<float> HeaderRule(const std::vector<Rule>& rules,
                                const std::vector<cv::Rect2f>& boxes, double unit) {
    if (boxes.empty())
        return std::nullopt;
    float left = 1e30f, right = -1e30f;
    for (const cv::Rect2f& b : boxes) {
        left = std::min(left, b.x);
        right = std::max(right, b.x + b.width);
    }
    for (const Rule& rule : rules) {
        const float y = (rule.from.y + rule.to.y) / 2;
        // Across the whole table: an underline of labels over some columns stops short.
        if (rule.from.x > left + unit || rule.to.x < right - unit)
            continue;
        std::vector<cv::Rect2f> below;
        std::size_t above = 0;
        for (const cv::Rect2f& b : boxes) {
            if (Centre(b).y < y)
                ++above;
            else
                below.push_back(b);
        }
        if (above == 0)
            continue;  // the table's top rule
        // The header names the columns: fewer lines than the body, which has rows of its own.
        if (2 * above > boxes.size() || Rows(below).size() < 2)
            return std::nullopt;
        return y;
    }
    return std::nullopt;
}

std::optional<StackedHeader> StackHeader(std::vector<cv::Rect2f> head,
                                         const std::vector<cv::Rect2f>& body,
                                         const std::vector<Rule>& rules,
                                         const std::vector<float>& column_edges, float rule,
                                         double unit) {
    const int columns = int(column_edges.size()) - 1;
    if (head.empty() || columns < 2)
        return std::nullopt;
    std::vector<Label> labels = Labels(std::move(head), body, rules, column_edges, rule, unit);
    const std::vector<int> parent = Parents(labels, unit);
    // The first column's head is one label, however many levels the others have: a label
    // under another there is a body row above a rule between rows.
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (parent[i] >= 0 && labels[i].first == 0)
            return std::nullopt;
    int levels = 1;
    for (std::size_t i = 0; i < labels.size(); ++i) {  // parents first: they stand higher
        if (parent[i] >= 0) {
            labels[i].depth = labels[std::size_t(parent[i])].depth + 1;
            labels[std::size_t(parent[i])].leaf = false;
        }
        levels = std::max(levels, labels[i].depth + 1);
    }
    if (levels > 5)
        return std::nullopt;
    StackedHeader header;
    float top = 1e30f;
    for (const Label& label : labels)
        top = std::min(top, label.top);
    header.row_edges.push_back(top - float(unit) / 4);
    for (int d = 1; d < levels; ++d) {
        float upper = -1e30f, lower = 1e30f;
        for (const Label& label : labels) {
            if (label.depth == d - 1 && !label.leaf)
                upper = std::max(upper, label.bottom);
            if (label.depth >= d)
                lower = std::min(lower, label.top);
        }
        if (upper > lower + unit / 4)
            return std::nullopt;  // the levels overlap: not a header of stacked labels
        header.row_edges.push_back((upper + lower) / 2);
    }
    header.row_edges.push_back(rule);
    // A label standing alone takes the rows down to the rule from the one it is centred
    // beside them from: all of them, or the last alone when it is set on the last's line.
    header.owner.assign(std::size_t(levels), std::vector<int>(std::size_t(columns), -1));
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const Label& label = labels[i];
        int from = label.depth;
        const auto off = [&](int r) {
            return std::abs(label.top + label.bottom - header.row_edges[std::size_t(r)] - rule);
        };
        for (int r = from + 1; label.leaf && r < levels; ++r)
            if (off(r) < off(from))
                from = r;
        for (int r = from; r < (label.leaf ? levels : label.depth + 1); ++r)
            for (int c = label.first; c <= label.last; ++c) {
                int& owner = header.owner[std::size_t(r)][std::size_t(c)];
                if (owner >= 0)
                    return std::nullopt;
                owner = int(i);
            }
    }
    return header;
}

}  // namespace ocrgated::layout
