#pragma once
// Every threshold of the layout stage. Lengths are in multiples of the page's median line
// thickness unless said otherwise, so that they hold at any resolution.

namespace ocrgated::layout {

struct RegionOptions {
    float min_gutter = 0.7f;        // narrowest gap between columns that no rule marks
    int min_column_lines = 2;       // lines each side of a gutter needs
    int min_shared_lines = 3;       // ...when lines on both sides share rows (aligned baselines)
    float min_column_width = 3.f;   // narrowest column beside shared rows: keeps list numbers
                                    // and short table cells with their rows
    float min_line_length = 6.f;    // median piece on each side of a gutter that every row
                                    // crosses: shorter pieces are a table's cells in rows
    float min_shared_share = 0.8f;  // ...or that this share of one side's rows cross
    float gutter_intrusion = 0.5f;  // share of a gutter a line alone on its side may cover and
                                    // still belong to the columns beside it
    float min_side_overlap = 0.5f;  // the two sides overlap by this share of the shorter one
    float wide_gap = 2.f;           // a blank band this tall always ends a region
    float across_ratio = 2.f;       // a box this many times longer across the lines than they are
                                    // thick runs across them (a heading over vertical columns)
    float rule_reach = 0.25f;       // share of the region (or side) a rule must cover to count
    float rule_slack = 0.3f;        // how far a rule may stray into the text it separates
};

// A blank inside one detected line that is a gutter between columns: the lines around it
// stop on either side of it instead of running through.
struct GutterOptions {
    float min_blank = 0.8f;     // blank between two characters beyond the line's usual pitch
    float min_gap = 0.5f;       // or, measured on the picture, blank between ink
    float reach = 5.f;          // lines this far above and below (centre to centre) witness it
    int min_side_lines = 2;     // witnesses that stop at it, on each side
    float max_crossing = 0.3f;  // share of the witnesses that may run through it
};

struct ParagraphOptions {
    float size_change = 1.3f;  // ratio of line thicknesses that starts a paragraph
    float extra_gap = 0.6f;    // a gap this much beyond the region's usual one starts one
    float min_indent = 0.8f;   // a first line indented this much, and at most max_indent
    float max_indent = 6.f;
    // The share of a region's lines that reach its right edge: a ragged edge is where most
    // lines end, not where the longest one does.
    float edge_quantile = 0.75f;
};

struct CharacterOptions {
    float squareness = 1.5f;   // longest over shortest side of a box holding one character
    float max_offset = 0.3f;   // centres in one column or row differ by at most this much
    float max_gap = 1.6f;      // widest gap between neighbours of one column
    float max_pitch = 0.92f;   // a column's pitch over the pitch across it, at most
    float max_spacing = 4.f;   // neighbours farther apart than this do not count at all
    float size_ratio = 1.5f;   // neighbours' sizes differ by at most this ratio
    float pitch_break = 1.6f;  // a step this many times the column's usual one ends it
};

// Character sizes are the unit of CharacterOptions; line thicknesses of the others.
struct LayoutOptions {
    RegionOptions regions;
    GutterOptions gutters;
    ParagraphOptions paragraphs;
    CharacterOptions characters;
};

}  // namespace ocrgated::layout
