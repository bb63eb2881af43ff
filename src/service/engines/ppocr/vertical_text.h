#pragma once
// Columns of upright characters (Chinese and Japanese set top to bottom). The recognition
// network reads lines left to right, so a column is cut into its characters and they are
// set side by side.

#include <opencv2/core.hpp>

#include <string_view>

namespace ocrgated::ppocr {

// column: 8-bit BGR, upright, taller than wide. A line as wide as the characters
// placed one after another, as tall as the column is wide, on the column's background.
// Runs of ink merge into one character while they span at most `character_span` times
// the column's ink width.
cv::Mat ColumnAsLine(const cv::Mat& column, double character_span);

// The share of a UTF-8 text's characters that are Han, kana, hangul or CJK punctuation.
double CjkShare(std::string_view utf8);

}  // namespace ocrgated::ppocr
