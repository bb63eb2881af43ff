#include "service/engines/layout/rules.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <string>

namespace ocrgated::layout {
namespace {

std::string Describe(const std::vector<Rule>& rules) {
    std::string text;
    for (const Rule& rule : rules)
        text += "(" + std::to_string(cvRound(rule.from.x)) + "," +
                std::to_string(cvRound(rule.from.y)) + ")-(" + std::to_string(cvRound(rule.to.x)) +
                "," + std::to_string(cvRound(rule.to.y)) + ") ";
    return text;
}

TEST(FindRules, LongRulesButNotText) {
    // A page 400 x 300: a header rule, a column rule, a footer rule drawn in two pieces
    // with a break, over text, word-like blocks, an underline and a filled picture.
    cv::Mat page(300, 400, CV_8UC1, cv::Scalar(235));
    cv::line(page, {20, 40}, {380, 40}, cv::Scalar(30), 2);
    cv::line(page, {200, 60}, {200, 240}, cv::Scalar(60), 2);
    cv::line(page, {20, 270}, {180, 270}, cv::Scalar(30), 1);
    cv::line(page, {185, 270}, {380, 270}, cv::Scalar(30), 1);
    for (int y = 70; y < 240; y += 20) {
        cv::putText(page, "Quillory reads it", {20, y}, cv::FONT_HERSHEY_SIMPLEX, 0.45,
                    cv::Scalar(20), 1);
        for (int x = 215; x < 380; x += 28)
            cv::rectangle(page, cv::Rect(x, y - 9, 20, 9), cv::Scalar(20), cv::FILLED);
    }
    cv::line(page, {40, 250}, {75, 250}, cv::Scalar(20), 1);
    cv::rectangle(page, cv::Rect(300, 245, 60, 18), cv::Scalar(50), cv::FILLED);

    const Rules rules = FindRules(page);

    struct Expected {
        const std::vector<Rule>* found;
        std::vector<Rule> rules;
    } expected[] = {
        {&rules.horizontal, {{{20, 40}, {380, 40}}, {{20, 270}, {380, 270}}}},
        {&rules.vertical, {{{200, 60}, {200, 240}}}},
    };
    for (const Expected& e : expected) {
        ASSERT_EQ(e.found->size(), e.rules.size()) << Describe(*e.found);
        for (std::size_t k = 0; k < e.rules.size(); ++k) {
            const Rule& rule = (*e.found)[k];
            EXPECT_LE(cv::norm(rule.from - e.rules[k].from), 3) << Describe(*e.found);
            EXPECT_LE(cv::norm(rule.to - e.rules[k].to), 3) << Describe(*e.found);
        }
    }
}

}  // namespace
}  // namespace ocrgated::layout
