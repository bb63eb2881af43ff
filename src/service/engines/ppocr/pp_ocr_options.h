#pragma once
// Every tunable of the PP-OCR engine in one place, with the values that read best on
// our test sets. An operator may override the few that `ocrgated` exposes as flags.

#include "service/engines/layout/layout_options.h"
#include "service/engines/layout/rules.h"
#include "service/engines/ppocr/db_postprocess.h"
#include "service/engines/ppocr/faint_lines.h"
#include "service/engines/ppocr/seal_removal.h"
#include "service/engines/tables/tables.h"
#include "service/pictures/picture_decoder.h"

#include <opencv2/core.hpp>

#include <cstddef>

namespace ocrgated::ppocr {

struct DetectionOptions {
    // Scaling small pictures up (to this short side) read worse on every set we tried: the
    // padding of thin pictures is what small text needs. 0 leaves them at their size.
    int min_short_side = 0;
    int max_long_side = 960;  // larger pictures are scaled down to this long side
    // Upscaling beyond this only blurs: text that small has too few pixels to gain from it.
    double max_upscale = 4.0;
    float max_aspect = 6;  // thinner pictures are padded with their background to this
    // A large page of small print shows the network text a few pixels tall at that long
    // side, too small to find: text found under this height (or none) is looked for again
    // at the scale that makes it `text_height` tall, in bands of `band_rows` network rows.
    double min_text_height = 10;
    double text_height = 20;
    int band_rows = 960;
    // The network was trained on ImageNet-normalised channels, in BGR order here.
    cv::Scalar mean{0.485, 0.456, 0.406};
    cv::Scalar deviation{0.229, 0.224, 0.225};
    DbOptions db;
};

// Small print (a table cropped from a page shown on a screen): the detector runs lines and
// cells together and the layout's measures have too few pixels to tell a column from a
// space, so a picture whose lines come out under `min_height` high is read enlarged until
// they are `height` high, at most `max_scale` times and to `max_long_side`; a gain under
// `min_scale` is not worth a second look. The detector looks again at the enlargement
// where its lines are `detection_height` high: closer reads small print no better and
// costs the square. A page already that long is read as it is: the detector looks closer
// at a large page of small print itself.
struct SmallTextOptions {
    double min_height = 20;
    double height = 40;
    double detection_height = 24;
    double max_scale = 4;
    double min_scale = 1.25;
    int max_long_side = 2000;
};

// When a thin picture is read whole as one line: the detector finds the ends of a long
// screenshot line better than its middle.
struct SingleLineOptions {
    double min_aspect = 4;  // pictures at least this many times wider than tall
    // The widest line the recognition network reads without squeezing, at its height of 48.
    int widest_line = 2816;
    double min_box_height_share = 0.6;   // every box at least this share of the text's height
    double min_text_height_share = 0.4;  // the text at least this share of the picture's height
    double min_text_width_share = 0.5;   // and of its width
};

// The judgement calls made while reading: which way lines stand, and columns or a turn.
struct ReadingOptions {
    double confident_reading = 0.9;  // a line read with less may be upside down anyway
    // How much more confident a line's reading turned against its page must be to win.
    double against_page_margin = 0.1;
    // A page read turned a quarter with this confidence is not tried as columns.
    double turned_page_confidence = 0.95;
    double min_column_cjk_share = 0.5;  // only CJK is set in columns
    // The strokes of one character in a column (三, 二) merge while they stay within this
    // many times the column's ink width.
    double column_character_span = 1.15;
    std::size_t lines_per_deadline_check = 16;
    // The text the time limit is set for, in characters (a line's length over its height):
    // a page holding more has its limit stretched in proportion. A quiet machine reads
    // about 400 a second, a busy one a quarter of that.
    double characters_per_limit = 3000;
};

struct LayoutStageOptions {
    // Off, lines come top to bottom as the detector's rows give them, without paragraphs:
    // the baseline against which the stage's cost is measured.
    bool enabled = true;
    bool find_rules = true;        // rules in the picture help cut regions
    bool group_characters = true;  // characters found one by one join into columns
    layout::LayoutOptions page;
    layout::RuleOptions rules;
    // Tables: their inner rules are as short as a few rows or a column's width.
    bool find_tables = true;
    layout::RuleOptions table_rules{
        .kernel = 0.02, .min_length = 0.04, .bridge = 4, .picture_edges = true};
    layout::TableOptions tables;
};

struct PpOcrOptions {
    DetectionOptions detection;
    bool classify_direction = true;       // turn upside-down lines before reading
    float upside_down_confidence = 0.9f;  // a line's own vote that overrides its page's
    float tall_ratio = 1.5f;              // boxes this much taller than wide are vertical
    float min_line_confidence = 0.5f;     // lines read with less are dropped as noise
    SingleLineOptions single_line;
    SmallTextOptions small_text;
    ReadingOptions reading;
    LayoutStageOptions layout;
    // Lines printed faintly behind the page's text (a receipt roll's notes) are not read.
    bool drop_faint_lines = true;
    FaintOptions faint;
    // Red and blue seals over text have their ink lifted before detection; none when off.
    bool lift_seals = true;
    SealOptions seals;
    // Lines read at once, each on one core with networks of its own (tens of MiB each):
    // one network on two threads keeps the second core idle for most layers of a line.
    // 0 means one per core, at most four; a service with a worker per core wants 1.
    int recognition_lanes = 0;
    // For decoded pictures handed in directly; bytes meet the decoder's own check.
    long long max_pixels = static_cast<long long>(kMaxPicturePixels);
};

}  // namespace ocrgated::ppocr
